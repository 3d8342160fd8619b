// The requests a browser extension sends the host, parsed from one frame's body.
//
//   {"request": "version"}
//   {"request": "listReaders"}
//   {"request": "read", "reader": "…", "cardId": 1 | 7 | "any", "verify": bool, "checkOrigin": bool}
//   {"request": "errorMessage", "code": 2148532329 | -2146435031 | "0x80100069"}
//
// Every field but "request" is optional; a field the request does not know, or a value
// of the wrong type, makes the whole request bad rather than being ignored.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <variant>

#include "cli/card_reading.h"

namespace Host {

struct VersionRequest {};
struct ListReadersRequest {};
struct ReadCardRequest {
  Cli::ReadRequest options;
};
struct ErrorMessageRequest {
  std::int32_t code = 0;
};

using Request = std::variant<VersionRequest, ListReadersRequest, ReadCardRequest, ErrorMessageRequest>;

// A request that cannot be understood; the text says why, for the page's developer.
class BadRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Request ParseRequest(std::string_view body);

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code
// points past U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace Host
