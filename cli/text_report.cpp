#include "cli/text_report.h"

#include <algorithm>
#include <sstream>

namespace Cli {

namespace {

struct Section {
  const char* key;
  const char* title;
};

constexpr Section kBlocks[] = {
    {"document", "Document data"},
    {"fixedPerso", "Fixed personal data"},
    {"variableAdmin", "Variable administrative data"},
    {"variablePerso", "Variable personal data"},
};

std::string ErrorText(const Json& error) {
  return "error " + error.at("hresult").get<std::string>() + ": " + error.at("message").get<std::string>();
}

std::string ValueText(const Json& value) {
  if (value.is_null()) return "(absent)";
  if (value.is_string()) return value.get<std::string>();
  return value.dump();
}

void Properties(std::ostream& out, const Json& block) {
  std::size_t width = 0;
  for (const auto& item : block.items()) width = std::max(width, item.key().size());
  for (const auto& item : block.items()) {
    out << "  " << item.key() << std::string(width - item.key().size(), ' ') << "  " << ValueText(item.value())
        << '\n';
  }
}

}  // namespace

std::string TextReport(const Json& report) {
  std::ostringstream out;
  out << "Reader:  " << report.at("reader").get<std::string>() << '\n';
  out << "Card ID: " << report.at("cardId").get<int>() << '\n';

  for (const Section& section : kBlocks) {
    const Json& block = report.at(section.key);
    out << '\n' << section.title << '\n';
    if (block.contains("error")) {
      out << "  " << ErrorText(block.at("error")) << '\n';
    } else {
      Properties(out, block);
    }
  }
  if (report.contains("verification")) {
    out << "\nVerification against the SOD\n";
    for (const Section& section : kBlocks) {
      const Json& result = report.at("verification").at(section.key);
      out << "  " << section.title << ": "
          << (result.contains("error") ? ErrorText(result.at("error"))
                                       : "verified, signer certificate " +
                                             std::to_string(result.at("signerCertificate").get<std::string>().size()) +
                                             " Base64 characters")
          << '\n';
    }
  }
  if (report.contains("origin")) {
    const Json& origin = report.at("origin");
    out << "\nOrigin: " << (origin.is_object() ? ErrorText(origin.at("error")) : "ok") << '\n';
  }
  return out.str();
}

}  // namespace Cli
