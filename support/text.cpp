#include "support/text.h"

namespace TAVQ {

namespace {

const std::string& Base64Alphabet() {
  static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  return alphabet;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(WString& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::string ToUtf8(const WString& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

WString FromUtf8(const std::string& text) {
  WString out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char lead = s[i];
    std::size_t extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      c = lead & 0x07;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    bool valid = i + extra < n;
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) valid = false;
      else c = (c << 6) | (s[i + k] & 0x3F);
    }
    static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, c);
    i += extra + 1;
  }
  return out;
}

WString ToBase64(const ByteArray& bytes) {
  const std::string& alphabet = Base64Alphabet();
  WString out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    std::uint32_t v = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (count > 1) v |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (count > 2) v |= bytes[i + 2];
    out += static_cast<char16_t>(alphabet[(v >> 18) & 63]);
    out += static_cast<char16_t>(alphabet[(v >> 12) & 63]);
    out += count > 1 ? static_cast<char16_t>(alphabet[(v >> 6) & 63]) : u'=';
    out += count > 2 ? static_cast<char16_t>(alphabet[v & 63]) : u'=';
  }
  return out;
}

std::optional<ByteArray> FromBase64(const WString& text) {
  if (text.size() % 4 != 0) return std::nullopt;
  const std::string& alphabet = Base64Alphabet();
  ByteArray out;
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    std::uint32_t v = 0;
    int padding = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char16_t c = text[i + j];
      // Up to two '=' and only at the end of the last group.
      if (c == u'=' && last && j >= 2 && (j == 3 || text[i + 3] == u'=')) {
        ++padding;
        v <<= 6;
        continue;
      }
      const std::size_t digit = c < 0x80 && padding == 0 ? alphabet.find(static_cast<char>(c)) : std::string::npos;
      if (digit == std::string::npos) return std::nullopt;
      v = v << 6 | static_cast<std::uint32_t>(digit);
    }
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    if (padding < 2) out.push_back(static_cast<std::uint8_t>(v >> 8));
    if (padding < 1) out.push_back(static_cast<std::uint8_t>(v));
  }
  return out;
}

WString ToHexString(const ByteArray& bytes) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  WString out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

namespace {
// The upper-case rule of the Windows C runtime's default ("C") locale: only a-z change.
char16_t UpperChar(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

unsigned Nibble(char16_t c) {
  c = UpperChar(c);
  return (c < u'A' ? static_cast<unsigned>(c - u'0') : static_cast<unsigned>(c - 55)) & 15;
}
}  // namespace

ByteArray FromHexString(const WString& text) {
  ByteArray out(text.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(Nibble(text[2 * i]) * 16 + Nibble(text[2 * i + 1]));
  }
  return out;
}

WString& ToUpper(WString& text) {
  for (char16_t& c : text) c = UpperChar(c);
  return text;
}

}  // namespace TAVQ
