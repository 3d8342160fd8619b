#include "cli/text_report.h"

#include <algorithm>
#include <sstream>
#include <vector>

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

// A code whose meaning the block itself carries: in a text element beside it, or, for
// the yes/no number tables (0 and 1), in the table.
struct CodeMeaning {
  const char* block;
  const char* code;
  const char* textProperty;  // null: a 0/1 number read as no/yes
};

constexpr CodeMeaning kCodeMeanings[] = {
    {"variableAdmin", "InsuranceBasisRZZOCode", "InsuranceBasisRZZO"},
    {"variableAdmin", "CountryCode", "Country"},
    {"variableAdmin", "CarrierFamilyMember", nullptr},
    {"variablePerso", "Permanent", nullptr},
};

std::string ErrorText(const Json& error) {
  return "error " + error.at("hresult").get<std::string>() + ": " + error.at("message").get<std::string>();
}

std::string ValueText(const Json& value) {
  if (value.is_null()) return "(absent)";
  if (value.is_string()) return value.get<std::string>();
  return value.dump();
}

// " (meaning)" for a code of the block whose meaning is known, else nothing.
std::string MeaningOf(const char* blockKey, const std::string& property, const Json& block) {
  for (const CodeMeaning& code : kCodeMeanings) {
    if (blockKey != std::string(code.block) || property != code.code) continue;
    const Json& value = block.at(property);
    if (code.textProperty == nullptr) {
      if (value == 0) return " (no)";
      if (value == 1) return " (yes)";
      return "";
    }
    const auto text = block.find(code.textProperty);
    if (value.is_null() || text == block.end() || !text->is_string()) return "";
    return " (" + text->get<std::string>() + ")";
  }
  return "";
}

void Properties(std::ostream& out, const char* blockKey, const Json& block) {
  std::size_t width = 0;
  for (const auto& item : block.items()) width = std::max(width, item.key().size());
  for (const auto& item : block.items()) {
    out << "  " << item.key() << std::string(width - item.key().size(), ' ') << "  " << ValueText(item.value())
        << MeaningOf(blockKey, item.key(), block) << '\n';
  }
}

// The blocks one signer signed, in report order.
struct SignerGroup {
  Json signer;
  std::vector<std::string> blocks;
};

std::vector<SignerGroup> SignerGroups(const Json& verification) {
  std::vector<SignerGroup> groups;
  for (const Section& section : kBlocks) {
    const Json& result = verification.at(section.key);
    if (!result.contains("signer")) continue;
    const Json& signer = result.at("signer");
    auto group = std::find_if(groups.begin(), groups.end(), [&](const SignerGroup& g) { return g.signer == signer; });
    if (group == groups.end()) group = groups.insert(groups.end(), SignerGroup{signer, {}});
    group->blocks.push_back(section.title);
  }
  return groups;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

void Signers(std::ostream& out, const Json& verification) {
  const std::vector<SignerGroup> groups = SignerGroups(verification);
  for (const SignerGroup& group : groups) {
    const Json& signer = group.signer;
    out << "  Signer" << (groups.size() > 1 ? " of " + Joined(group.blocks) : std::string()) << ": "
        << signer.at("subject").get<std::string>() << '\n'
        << "    issued by   " << signer.at("issuer").get<std::string>() << '\n'
        << "    valid until " << signer.at("notAfter").get<std::string>() << '\n'
        << "    "
        << (signer.at("trusted").is_null() ? "not checked against a trust anchor (--trust-anchors FILE checks it)"
                                           : "trusted: its chain to a trust anchor checks out")
        << '\n';
  }
}

// The last line: what was done and passed, or what failed.
std::string ClosingLine(const Json& report) {
  std::vector<std::string> failed;
  for (const Section& section : kBlocks) {
    if (report.at(section.key).contains("error")) failed.push_back(std::string("reading ") + section.title);
  }
  const bool verified = report.contains("verification");
  bool trusted = verified;
  if (verified) {
    for (const Section& section : kBlocks) {
      const Json& result = report.at("verification").at(section.key);
      if (result.contains("error")) {
        failed.push_back(std::string("verifying ") + section.title);
      } else if (!result.contains("signer") || result.at("signer").at("trusted").is_null()) {
        trusted = false;
      }
    }
  }
  const bool originChecked = report.contains("origin");
  if (originChecked && report.at("origin").is_object()) failed.push_back("the origin check");
  if (!failed.empty()) return "FAILED: " + Joined(failed) + ".";

  std::vector<std::string> done = {"read"};
  if (verified) {
    done.push_back(trusted ? "verified by a trusted signer" : "verified (signer not checked against a trust anchor)");
  }
  if (originChecked) done.push_back("origin-checked");
  std::string line = "The card was " + Joined(done);
  if (!verified) line += "; not verified";
  if (!originChecked) line += "; origin not checked";
  return line + ".";
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
      Properties(out, section.key, block);
    }
  }
  if (report.contains("verification")) {
    const Json& verification = report.at("verification");
    out << "\nVerification against the SOD\n";
    for (const Section& section : kBlocks) {
      const Json& result = verification.at(section.key);
      out << "  " << section.title << ": " << (result.contains("error") ? ErrorText(result.at("error")) : "verified")
          << '\n';
    }
    Signers(out, verification);
  }
  if (report.contains("origin")) {
    const Json& origin = report.at("origin");
    out << "\nOrigin: " << (origin.is_object() ? ErrorText(origin.at("error")) : "ok") << '\n';
  }
  out << '\n' << ClosingLine(report) << '\n';
  return out.str();
}

}  // namespace Cli
