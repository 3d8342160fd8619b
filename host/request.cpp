#include "host/request.h"

#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "card/trust_anchors.h"
#include "cli/service_call.h"
#include "support/exception.h"
#include "support/text.h"

namespace Host {

namespace {

using Json = nlohmann::json;

// The longest field name a complaint repeats back.
constexpr std::size_t kMaxEchoedName = 64;

void RequireOnlyFields(const Json& request, std::initializer_list<const char*> known) {
  for (const auto& item : request.items()) {
    bool found = item.key() == "request";
    for (const char* name : known) found = found || item.key() == name;
    if (!found) {
      const std::string name = item.key().size() > kMaxEchoedName ? item.key().substr(0, kMaxEchoedName) + "…" : item.key();
      throw BadRequest("The request has a field it does not know: \"" + name + "\".");
    }
  }
}

bool Flag(const Json& request, const char* name) {
  const auto field = request.find(name);
  if (field == request.end() || field->is_null()) return false;
  if (!field->is_boolean()) throw BadRequest(std::string("\"") + name + "\" must be true or false.");
  return field->get<bool>();
}

std::uint16_t CardId(const Json& request) {
  const auto field = request.find("cardId");
  if (field == request.end() || field->is_null()) return 0xFFFF;
  if (field->is_number_unsigned() && (field->get<std::uint64_t>() == 1 || field->get<std::uint64_t>() == 7)) {
    return static_cast<std::uint16_t>(field->get<std::uint64_t>());
  }
  if (field->is_string() && field->get<std::string>() == "any") return 0xFFFF;
  throw BadRequest("\"cardId\" must be 1, 7 or \"any\".");
}

ReadCardRequest Read(const Json& request) {
  RequireOnlyFields(request, {"reader", "cardId", "verify", "checkOrigin", "trustAnchors"});
  ReadCardRequest read;
  if (const auto reader = request.find("reader"); reader != request.end() && !reader->is_null()) {
    if (!reader->is_string() || reader->get<std::string>().empty()) {
      throw BadRequest("\"reader\" must be the name of a reader.");
    }
    read.options.reader = TAVQ::FromUtf8(reader->get<std::string>());
  }
  read.options.cardId = CardId(request);
  read.options.verify = Flag(request, "verify");
  read.options.checkOrigin = Flag(request, "checkOrigin");
  // The anchors come as PEM text: a page never names a file of the user's.
  if (const auto anchors = request.find("trustAnchors"); anchors != request.end() && !anchors->is_null()) {
    if (!anchors->is_string()) throw BadRequest("\"trustAnchors\" must be PEM text of one or more certificates.");
    if (!read.options.verify) throw BadRequest("\"trustAnchors\" needs \"verify\": the signers of verified blocks are checked.");
    const std::string pem = anchors->get<std::string>();
    try {
      read.options.trustAnchors = std::make_shared<const TrustAnchors>(TrustAnchors::FromPem(TAVQ::ByteArray(pem.begin(), pem.end())));
    } catch (const CardException& e) {
      throw BadRequest(TAVQ::ToUtf8(e.message));
    }
  }
  return read;
}

ErrorMessageRequest ErrorMessage(const Json& request) {
  RequireOnlyFields(request, {"code"});
  const auto code = request.find("code");
  if (code != request.end()) {
    if (code->is_number_unsigned() && code->get<std::uint64_t>() <= std::numeric_limits<std::uint32_t>::max()) {
      return {static_cast<std::int32_t>(static_cast<std::uint32_t>(code->get<std::uint64_t>()))};
    }
    if (code->is_number_integer() && !code->is_number_unsigned() &&
        code->get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min()) {
      return {static_cast<std::int32_t>(code->get<std::int64_t>())};
    }
    if (code->is_string()) {
      if (const auto parsed = Cli::ParseHResultText(code->get<std::string>())) return {*parsed};
    }
  }
  throw BadRequest("\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits.");
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, point = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, point = lead & 0x07u;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      point = point << 6 | (next & 0x3Fu);
    }
    // The shortest form only; no UTF-16 surrogates; nothing past U+10FFFF.
    constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[extra] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

Request ParseRequest(std::string_view body) {
  if (!IsValidUtf8(body)) throw BadRequest("The request is not valid UTF-8.");
  const Json request = Json::parse(body, nullptr, false);
  if (request.is_discarded()) throw BadRequest("The request is not valid JSON.");
  if (!request.is_object()) throw BadRequest("The request must be a JSON object.");

  const auto name = request.find("request");
  const std::string operation = name != request.end() && name->is_string() ? name->get<std::string>() : "";
  if (operation == "version") {
    RequireOnlyFields(request, {});
    return VersionRequest{};
  }
  if (operation == "listReaders") {
    RequireOnlyFields(request, {});
    return ListReadersRequest{};
  }
  if (operation == "read") return Read(request);
  if (operation == "errorMessage") return ErrorMessage(request);
  throw BadRequest("\"request\" must name one of: version, listReaders, read, errorMessage.");
}

}  // namespace Host
