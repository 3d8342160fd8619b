// A small printf engine over both character widths. Numbers go through the C
// library's snprintf; characters and strings are placed here so that the string
// conversions mean what they mean in the Windows C runtime on every platform.
#include "support/format.h"

#include <cstdio>
#include <cstring>

#include "support/text.h"

namespace TAVQ {

namespace {

enum class Length { None, Char, Short, Long, LongLong, Size, LongDouble, Wide };

struct Directive {
  std::string flags;
  int width = -1;
  int precision = -1;
  Length length = Length::None;
  bool leftAlign = false;
};

template <class CharT>
std::basic_string<CharT> Widen(const std::string& ascii) {
  return std::basic_string<CharT>(ascii.begin(), ascii.end());
}

template <class CharT>
std::basic_string<CharT> FromWide(const char16_t* text);
template <>
std::u16string FromWide<char16_t>(const char16_t* text) { return text; }
template <>
std::string FromWide<char>(const char16_t* text) { return ToNarrow(text); }

template <class CharT>
std::basic_string<CharT> FromNarrowText(const char* text);
template <>
std::u16string FromNarrowText<char16_t>(const char* text) { return FromNarrow(text); }
template <>
std::string FromNarrowText<char>(const char* text) { return text; }

template <class CharT>
void Pad(std::basic_string<CharT>& out, const std::basic_string<CharT>& text, const Directive& directive) {
  const std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
  const std::size_t fill = width > text.size() ? width - text.size() : 0;
  const bool zero = !directive.leftAlign && directive.flags.find('0') != std::string::npos;
  if (!directive.leftAlign) out.append(fill, static_cast<CharT>(zero ? '0' : ' '));
  out += text;
  if (directive.leftAlign) out.append(fill, static_cast<CharT>(' '));
}

std::string NumberFormat(const Directive& directive, const char* length, char conversion) {
  std::string s = "%" + directive.flags;
  if (directive.width >= 0) s += std::to_string(directive.width);
  if (directive.precision >= 0) s += "." + std::to_string(directive.precision);
  s += length;
  s += conversion;
  return s;
}

template <class T>
std::string FormatNumber(const std::string& format, T value) {
  const int n = std::snprintf(nullptr, 0, format.c_str(), value);
  if (n < 0) return std::string();
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(&text[0], text.size(), format.c_str(), value);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

std::string FormatSigned(const Directive& directive, va_list& args) {
  switch (directive.length) {
    case Length::Char: return FormatNumber(NumberFormat(directive, "", 'd'), static_cast<int>(static_cast<signed char>(va_arg(args, int))));
    case Length::Short: return FormatNumber(NumberFormat(directive, "", 'd'), static_cast<int>(static_cast<short>(va_arg(args, int))));
    case Length::Long: return FormatNumber(NumberFormat(directive, "l", 'd'), va_arg(args, long));
    case Length::LongLong: return FormatNumber(NumberFormat(directive, "ll", 'd'), va_arg(args, long long));
    case Length::Size: return FormatNumber(NumberFormat(directive, "ll", 'd'), static_cast<long long>(va_arg(args, std::ptrdiff_t)));
    default: return FormatNumber(NumberFormat(directive, "", 'd'), va_arg(args, int));
  }
}

std::string FormatUnsigned(const Directive& directive, char conversion, va_list& args) {
  switch (directive.length) {
    case Length::Char: return FormatNumber(NumberFormat(directive, "", conversion), static_cast<unsigned>(static_cast<unsigned char>(va_arg(args, unsigned))));
    case Length::Short: return FormatNumber(NumberFormat(directive, "", conversion), static_cast<unsigned>(static_cast<unsigned short>(va_arg(args, unsigned))));
    case Length::Long: return FormatNumber(NumberFormat(directive, "l", conversion), va_arg(args, unsigned long));
    case Length::LongLong: return FormatNumber(NumberFormat(directive, "ll", conversion), va_arg(args, unsigned long long));
    case Length::Size: return FormatNumber(NumberFormat(directive, "ll", conversion), static_cast<unsigned long long>(va_arg(args, std::size_t)));
    default: return FormatNumber(NumberFormat(directive, "", conversion), va_arg(args, unsigned));
  }
}

std::string FormatFloating(const Directive& directive, char conversion, va_list& args) {
  if (directive.length == Length::LongDouble) return FormatNumber(NumberFormat(directive, "L", conversion), va_arg(args, long double));
  return FormatNumber(NumberFormat(directive, "", conversion), va_arg(args, double));
}

// Whether a %c or %s conversion takes the wide form, by the Windows rules.
template <class CharT>
bool TakesWide(char conversion, Length length) {
  const bool upper = conversion == 'S' || conversion == 'C';
  if (length == Length::Short) return false;
  if (length == Length::Long || length == Length::Wide) return true;
  const bool wideFormat = sizeof(CharT) == sizeof(char16_t);
  return wideFormat != upper;
}

template <class CharT>
bool Format(std::basic_string<CharT>& out, const CharT* format, va_list& args) {
  for (const CharT* p = format; *p != 0; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    ++p;
    Directive directive;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') {
      if (*p == '-') directive.leftAlign = true;
      directive.flags += static_cast<char>(*p++);
    }
    if (*p == '*') {
      directive.width = va_arg(args, int);
      if (directive.width < 0) {
        directive.leftAlign = true;
        directive.flags += '-';
        directive.width = -directive.width;
      }
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') directive.width = (directive.width < 0 ? 0 : directive.width * 10) + (*p++ - '0');
    }
    if (*p == '.') {
      ++p;
      directive.precision = 0;
      if (*p == '*') {
        directive.precision = va_arg(args, int);
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') directive.precision = directive.precision * 10 + (*p++ - '0');
      }
    }
    if (*p == 'h') {
      directive.length = p[1] == 'h' ? Length::Char : Length::Short;
      p += p[1] == 'h' ? 2 : 1;
    } else if (*p == 'l') {
      directive.length = p[1] == 'l' ? Length::LongLong : Length::Long;
      p += p[1] == 'l' ? 2 : 1;
    } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
      directive.length = Length::LongLong;
      p += 3;
    } else if (*p == 'I' && p[1] == '3' && p[2] == '2') {
      p += 3;
    } else if (*p == 'I' || *p == 'z' || *p == 't' || *p == 'j') {
      directive.length = *p == 'j' ? Length::LongLong : Length::Size;
      ++p;
    } else if (*p == 'L') {
      directive.length = Length::LongDouble;
      ++p;
    } else if (*p == 'w') {
      directive.length = Length::Wide;
      ++p;
    }

    const CharT conversion = *p;
    switch (conversion) {
      case '%':
        out += static_cast<CharT>('%');
        break;
      case 'd':
      case 'i':
        out += Widen<CharT>(FormatSigned(directive, args));
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        out += Widen<CharT>(FormatUnsigned(directive, static_cast<char>(conversion), args));
        break;
      case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        out += Widen<CharT>(FormatFloating(directive, static_cast<char>(conversion), args));
        break;
      case 'p': {
        Directive pointer;
        pointer.flags = "0";
        pointer.width = static_cast<int>(sizeof(void*) * 2);
        pointer.length = Length::LongLong;
        const auto value = reinterpret_cast<std::uintptr_t>(va_arg(args, void*));
        Pad(out, Widen<CharT>(FormatNumber(NumberFormat(pointer, "ll", 'X'), static_cast<unsigned long long>(value))), directive);
        break;
      }
      case 'c':
      case 'C': {
        const int value = va_arg(args, int);
        std::basic_string<CharT> text;
        if (TakesWide<CharT>(static_cast<char>(conversion), directive.length)) {
          const char16_t wide[2] = {static_cast<char16_t>(value), 0};
          text = wide[0] == 0 ? std::basic_string<CharT>(1, 0) : FromWide<CharT>(wide);
        } else {
          const char narrow[2] = {static_cast<char>(value), 0};
          text = narrow[0] == 0 ? std::basic_string<CharT>(1, 0) : FromNarrowText<CharT>(narrow);
        }
        Pad(out, text, directive);
        break;
      }
      case 's':
      case 'S': {
        std::basic_string<CharT> text;
        if (TakesWide<CharT>(static_cast<char>(conversion), directive.length)) {
          const char16_t* value = va_arg(args, const char16_t*);
          text = value == nullptr ? Widen<CharT>("(null)") : FromWide<CharT>(value);
        } else {
          const char* value = va_arg(args, const char*);
          text = value == nullptr ? Widen<CharT>("(null)") : FromNarrowText<CharT>(value);
        }
        if (directive.precision >= 0 && text.size() > static_cast<std::size_t>(directive.precision)) text.resize(static_cast<std::size_t>(directive.precision));
        Pad(out, text, directive);
        break;
      }
      default:
        return false;  // unknown conversion, %n, or a format cut short
    }
  }
  return true;
}

template <class CharT>
std::basic_string<CharT> VFormat(const CharT* format, va_list args) {
  if (format == nullptr) return {};
  std::basic_string<CharT> out;
  va_list copy;
  va_copy(copy, args);
  const bool ok = Format(out, format, copy);
  va_end(copy);
  if (!ok) return {};
  // The result is the text up to the first zero, as read back from a C buffer.
  const std::size_t zero = out.find(static_cast<CharT>(0));
  if (zero != std::basic_string<CharT>::npos) out.resize(zero);
  return out;
}

}  // namespace

WString VFormatString(const char16_t* format, va_list args) { return VFormat(format, args); }
std::string VFormatString(const char* format, va_list args) { return VFormat(format, args); }

WString FormatString(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  WString result = VFormat(format, args);
  va_end(args);
  return result;
}

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = VFormat(format, args);
  va_end(args);
  return result;
}

}  // namespace TAVQ
