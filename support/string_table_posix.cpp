// Portable string table: the same ids and texts as the Windows resource, laid out
// as the platform's string-table resources (blocks of 16 length-prefixed entries)
// and looked up by the same walk, so both platforms answer alike.
#include <cstdarg>
#include <map>

#include "support/format.h"
#include "support/string_table.h"

namespace TAVQ {

namespace {

struct Entry {
  std::uint16_t id;
  const char16_t* text;
};

#define KAVRIN_STRING(id, text) {id, u"" text},
const Entry kEntries[] = {
#include "support/string_table.def"
};
#undef KAVRIN_STRING

using Block = std::vector<char16_t>;

// Resource blocks of the neutral language, keyed by block number.
std::map<std::uint16_t, Block> BuildBlocks() {
  std::map<std::uint16_t, std::map<unsigned, WString>> texts;
  for (const Entry& e : kEntries) texts[(e.id >> 4) + 1][e.id & 15] = e.text;
  std::map<std::uint16_t, Block> blocks;
  for (const auto& [number, entries] : texts) {
    Block& block = blocks[number];
    for (unsigned index = 0; index < 16; ++index) {
      auto it = entries.find(index);
      const WString text = it == entries.end() ? WString() : it->second;
      block.push_back(static_cast<char16_t>(text.size()));
      block.insert(block.end(), text.begin(), text.end());
    }
  }
  return blocks;
}

const std::map<std::uint16_t, Block>& Blocks() {
  static const std::map<std::uint16_t, Block> blocks = BuildBlocks();
  return blocks;
}

const Block* FindBlock(std::uint16_t number, std::uint16_t language) {
  if (language != kNeutralLanguage) return nullptr;  // the table is stored neutral only
  auto it = Blocks().find(number);
  return it == Blocks().end() ? nullptr : &it->second;
}

}  // namespace

WString LoadResourceString(std::uint16_t id, std::uint16_t language) {
  const std::uint16_t number = static_cast<std::uint16_t>((id >> 4) + 1);
  const Block* block = FindBlock(number, language);
  if (block == nullptr && language != kNeutralLanguage) block = FindBlock(number, kNeutralLanguage);
  if (block == nullptr) return WString();

  std::size_t pos = 0;
  for (unsigned skip = id & 15; skip > 0; --skip) {
    if (pos >= block->size()) return WString();
    pos += static_cast<std::size_t>((*block)[pos]) + 1;
  }
  if (pos >= block->size()) return WString();
  const std::size_t length = (*block)[pos];
  if (length == 0 || pos + 1 + length > block->size()) return WString();
  return WString(block->data() + pos + 1, length);
}

WString LoadResourceString(std::uint16_t id) {
  // No per-thread UI language here: the neutral table serves every language.
  return LoadResourceString(id, kNeutralLanguage);
}

WString LoadResourceFormat(unsigned int id, ...) {
  const WString format = LoadResourceString(static_cast<std::uint16_t>(id));
  if (format.empty()) return WString();
  va_list args;
  va_start(args, id);
  WString result = VFormatString(format.c_str(), args);
  va_end(args);
  return result;
}

}  // namespace TAVQ
