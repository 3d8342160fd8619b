// The command line of kavrin-hc, parsed into what to do.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Cli {

enum class Command { Help, Readers, Select, Read, Message };

struct Options {
  Command command = Command::Help;
  std::optional<std::string> reader;  // read: the reader; none means ask SelectReader
  std::uint16_t cardId = 0xFFFF;      // read: 1, 7, or 0xFFFF for either
  bool verify = false;
  bool checkOrigin = false;
  bool json = false;
  std::int32_t code = 0;  // message: the error code
  unsigned timeoutSeconds = 30;  // how long the card may keep us waiting; 0: for ever
};

// A command line that cannot be understood; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name.
Options ParseOptions(const std::vector<std::string>& arguments);

// An error code as given by a user: decimal (possibly negative) or 0x-hexadecimal,
// anything that fits in 32 bits, taken as the bit pattern of a signed 32-bit code.
std::int32_t ParseErrorCode(const std::string& text);

// A word of the command line as a message may show it: valid UTF-8 stays as it is,
// any other byte and any control character is written \xNN.
std::string PrintableWord(const std::string& word);

// The usage text printed for help and after a usage error.
const char* UsageText();

}  // namespace Cli
