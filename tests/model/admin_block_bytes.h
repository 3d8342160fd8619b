// A complete variable administrative block for the block object tests: every
// text element holds its own tag in hex, so a crossed wire shows.
#pragma once

#include <string>
#include <vector>

#include "block_bytes.h"

namespace ZKTest {

struct AdminText {
  std::uint16_t tag;
  bool utf16;
  bool optional;
};

inline const std::vector<AdminText>& AdminTexts() {
  static const std::vector<AdminText> texts{
      {0x0640, false, false}, {0x0641, true, true},   {0x0642, true, true},   {0x0644, false, false},
      {0x0645, true, false},  {0x0646, false, true},  {0x0647, true, false},  {0x0648, true, false},
      {0x0649, false, false}, {0x064A, true, false},  {0x064B, true, true},   {0x064C, true, true},
      {0x064D, false, false}, {0x064E, false, false}, {0x064F, true, false},  {0x0650, true, true},
      {0x0652, false, true},  {0x0653, false, true},  {0x0654, true, true},   {0x0655, true, true},
      {0x0656, true, true},   {0x0657, true, true},   {0x0659, false, false}, {0x065A, true, false},
      {0x065B, false, false}, {0x065C, true, false},  {0x065D, true, true},   {0x065E, true, false},
      {0x065F, true, false},  {0x0660, false, true},  {0x0661, false, true},  {0x0662, false, true},
      {0x0663, false, true}};
  return texts;
}

inline std::string TagText(std::uint16_t tag) {
  static const char digits[] = "0123456789ABCDEF";
  return {digits[(tag >> 8) & 0xF], digits[(tag >> 4) & 0xF], digits[tag & 0xF]};
}

inline std::u16string WideTagText(std::uint16_t tag) {
  const std::string text = TagText(tag);
  return {text.begin(), text.end()};
}

// Gender "02", InsuredFrom 01012010 and, with optionals, CarrierFamilyMember "1".
inline ByteArray AdminBlock(bool withOptionals) {
  std::vector<ByteArray> elements{Element(0x0643, Ascii("02")), Element(0x0658, Ascii("01012010"))};
  if (withOptionals) elements.push_back(Element(0x0651, Ascii("1")));
  for (const AdminText& text : AdminTexts()) {
    if (text.optional && !withOptionals) continue;
    const std::string value = TagText(text.tag);
    elements.push_back(Element(text.tag, text.utf16 ? Utf16(WideTagText(text.tag)) : Ascii(value)));
  }
  ByteArray body;
  for (const ByteArray& element : elements) body.insert(body.end(), element.begin(), element.end());
  return Element(0x0D04, body);
}

}  // namespace ZKTest
