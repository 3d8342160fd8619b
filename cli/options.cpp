#include "cli/options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace Cli {

namespace {

Command ParseCommand(const std::string& word) {
  if (word == "readers") return Command::Readers;
  if (word == "select") return Command::Select;
  if (word == "read") return Command::Read;
  if (word == "message") return Command::Message;
  if (word == "help" || word == "--help" || word == "-h") return Command::Help;
  throw UsageError("unknown command: " + PrintableWord(word));
}

std::uint16_t ParseCardId(const std::string& text) {
  if (text == "1") return 1;
  if (text == "7") return 7;
  if (text == "any") return 0xFFFF;
  throw UsageError("--card-id must be 1, 7 or any, not: " + PrintableWord(text));
}

// A day is more than any card needs; a larger number is more likely a typing error.
constexpr unsigned long kMaxTimeoutSeconds = 86400;

unsigned ParseTimeout(const std::string& text) {
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || text.size() > 6 || std::stoul(text) > kMaxTimeoutSeconds) {
    throw UsageError("--timeout must be a number of seconds from 0 to 86400, not: " + PrintableWord(text));
  }
  return static_cast<unsigned>(std::stoul(text));
}

// The length of the UTF-8 sequence that starts at word[at], or 0 when none does.
std::size_t Utf8SequenceAt(const std::string& word, std::size_t at) {
  const auto byte = [&word](std::size_t i) { return static_cast<unsigned char>(word[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned minimum = 0;
  unsigned value = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, minimum = 0x80, value = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, minimum = 0x800, value = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, minimum = 0x10000, value = lead & 0x07;
  else return 0;
  if (at + length > word.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

// Splits "--name=value" into its two halves; a bare "--name" has no value.
std::pair<std::string, std::optional<std::string>> SplitOption(const std::string& argument) {
  const auto equals = argument.find('=');
  if (argument.rfind("--", 0) != 0 || equals == std::string::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}
  bool Done() const { return next_ >= arguments_.size(); }
  const std::string& Next() { return arguments_[next_++]; }
  // The value of an option: "--name=value", or the next argument unless that is itself
  // an option (so "--reader --json" is a missing name, not a reader called "--json").
  std::string ValueOf(const std::string& option, const std::optional<std::string>& inlineValue) {
    if (inlineValue) return *inlineValue;
    if (Done() || arguments_[next_].rfind("--", 0) == 0) throw UsageError(option + " needs a value");
    return Next();
  }

 private:
  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
};

void RequireNoValue(const std::string& option, const std::optional<std::string>& value) {
  if (value) throw UsageError(option + " takes no value");
}

}  // namespace

std::int32_t ParseErrorCode(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits[0]))) {
    throw UsageError("not an error code: " + PrintableWord(text));
  }
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), &end, hex ? 16 : 10);
  if (end == digits.c_str() || *end != '\0' || errno == ERANGE) {
    throw UsageError("not an error code: " + PrintableWord(text));
  }
  if (negative) {
    if (hex || magnitude > 0x80000000ull) throw UsageError("error code out of range: " + PrintableWord(text));
    return static_cast<std::int32_t>(-static_cast<long long>(magnitude));
  }
  if (magnitude > 0xFFFFFFFFull) throw UsageError("error code out of range: " + PrintableWord(text));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
}

Options ParseOptions(const std::vector<std::string>& arguments) {
  Options options;
  ArgumentReader reader(arguments);
  if (reader.Done()) throw UsageError("a command is required");
  options.command = ParseCommand(reader.Next());
  std::optional<std::string> code;

  while (!reader.Done()) {
    const std::string& argument = reader.Next();
    const auto [name, value] = SplitOption(argument);
    if (name == "--json") {
      RequireNoValue(name, value);
      options.json = true;
    } else if (name == "--timeout") {
      options.timeoutSeconds = ParseTimeout(reader.ValueOf(name, value));
    } else if (options.command == Command::Read && name == "--reader") {
      options.reader = reader.ValueOf(name, value);
      if (options.reader->empty()) throw UsageError("--reader needs a reader name");
    } else if (options.command == Command::Read && name == "--card-id") {
      options.cardId = ParseCardId(reader.ValueOf(name, value));
    } else if (options.command == Command::Read && name == "--verify") {
      RequireNoValue(name, value);
      options.verify = true;
    } else if (options.command == Command::Read && name == "--check-origin") {
      RequireNoValue(name, value);
      options.checkOrigin = true;
    } else if (options.command == Command::Message && !code && (argument.rfind("--", 0) != 0)) {
      code = argument;
    } else {
      throw UsageError("unexpected argument: " + PrintableWord(argument));
    }
  }

  if (options.command == Command::Message) {
    if (!code) throw UsageError("message needs an error code");
    options.code = ParseErrorCode(*code);
  }
  return options;
}

std::string PrintableWord(const std::string& word) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t at = 0; at < word.size();) {
    const std::size_t length = Utf8SequenceAt(word, at);
    const auto byte = static_cast<unsigned char>(word[at]);
    if (length == 0 || (length == 1 && (byte < 0x20 || byte == 0x7F))) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
      ++at;
    } else {
      shown.append(word, at, length);
      at += length;
    }
  }
  return shown;
}

const char* UsageText() {
  return "usage: kavrin-hc COMMAND [OPTIONS]\n"
         "\n"
         "commands:\n"
         "  readers                 list the smart card readers\n"
         "  select                  the reader that holds a health card (asks when several do)\n"
         "  read                    read the card's four data blocks\n"
         "      --reader NAME       the reader (default: the one select gives)\n"
         "      --card-id 1|7|any   the card application (default: any, 1 then 7)\n"
         "      --verify            verify each block against the card's SOD\n"
         "      --check-origin      check the chip serial number and active authentication\n"
         "  message CODE            the system's text for an error code (decimal or 0x...)\n"
         "  help                    this text\n"
         "\n"
         "every command takes --json for one JSON document on stdout, and --timeout SECONDS:\n"
         "how long the card or reader may keep it waiting (default 30, 0 for no limit).\n"
         "\n"
         "exit status: 0 success; 1 failure; 2 usage error; 3 the card was read but a block,\n"
         "a verification or the origin check failed; 4 no reader was selected.\n";
}

}  // namespace Cli
