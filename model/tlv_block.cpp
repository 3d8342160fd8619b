#include "model/tlv_block.h"


#include "support/exception.h"
#include "support/format.h"

namespace ZK {

namespace {

constexpr std::size_t kHeaderSize = 4;

std::uint16_t ReadUInt16(const TAVQ::ByteArray& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

struct ValueRange {
  std::uint16_t tag;
  std::size_t offset;
  std::size_t length;
};

// Walks every element of the block body once, from the first one after the block
// header to the end. Every header and value must lie inside the block: a truncated
// element is malformed data, not an absent one, so it fails the block wherever it
// sits, even after the last element a block declares.
std::vector<ValueRange> WalkElements(const TAVQ::ByteArray& bytes) {
  std::vector<ValueRange> values;
  const std::size_t size = bytes.size();
  std::size_t offset = kHeaderSize;
  while (offset < size) {
    if (size - offset < kHeaderSize) {
      throw CardException(TAVQ::FormatString(
          u"Element header at offset %d runs past the end of the block of %d bytes",
          static_cast<int>(offset), static_cast<int>(size)));
    }
    const std::uint16_t elementTag = ReadUInt16(bytes, offset);
    const std::size_t length = ReadUInt16(bytes, offset + 2);
    const std::size_t available = size - offset - kHeaderSize;
    if (length > available) {
      throw CardException(TAVQ::FormatString(
          u"Element with tag 0x%X has length %d, different from declared length %d",
          static_cast<unsigned>(elementTag), static_cast<int>(available), static_cast<int>(length)));
    }
    values.push_back(ValueRange{elementTag, offset + kHeaderSize, length});
    offset += kHeaderSize + length;
  }
  return values;
}

// Of two elements with one tag the first counts.
const ValueRange* FindValue(const std::vector<ValueRange>& values, std::uint16_t tag) {
  for (const ValueRange& value : values) {
    if (value.tag == tag) return &value;
  }
  return nullptr;
}

}  // namespace

TlvBlock::~TlvBlock() = default;

std::vector<const TlvElement*> TlvBlock::Elements() const {
  const auto elements = const_cast<TlvBlock*>(this)->Elements();
  return {elements.begin(), elements.end()};
}

const TlvElement* TlvBlock::FindElement(std::uint16_t tag) const {
  for (const TlvElement* element : Elements()) {
    if (element->Tag() == tag) return element;
  }
  return nullptr;
}

void TlvBlock::Decode(const TAVQ::ByteArray& bytes) {
  if (bytes.size() < kHeaderSize) throw CardException(u"Block size is smaller than minimum allowed");

  const std::uint16_t declaredTag = ReadUInt16(bytes, 0);
  const std::size_t declaredLength = ReadUInt16(bytes, 2);
  if (declaredTag != requiredTag_) {
    throw CardException(TAVQ::FormatString(u"Declared block tag 0x%X is different from required value 0x%X",
                                           static_cast<unsigned>(declaredTag),
                                           static_cast<unsigned>(requiredTag_)));
  }
  const std::size_t valueLength = bytes.size() - kHeaderSize;
  if (declaredLength != valueLength) {
    throw CardException(TAVQ::FormatString(
        u"Element with tag 0x%X has length %d, different from declared length %d",
        static_cast<unsigned>(declaredTag), static_cast<int>(valueLength), static_cast<int>(declaredLength)));
  }

  const std::vector<ValueRange> values = WalkElements(bytes);
  for (TlvElement* element : Elements()) {
    const ValueRange* found = FindValue(values, element->Tag());
    if (!found) {
      element->SetBytes(nullptr);
      continue;
    }
    if (found->length > element->MaxLength()) {
      throw CardException(TAVQ::FormatString(
          u"Length %d of TLV element with tag 0x%X in given block is larger than maximum allowed %d",
          static_cast<int>(found->length), static_cast<unsigned>(element->Tag()),
          static_cast<int>(element->MaxLength())));
    }
    const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(found->offset);
    const TAVQ::ByteArray value(begin, begin + static_cast<std::ptrdiff_t>(found->length));
    element->SetBytes(&value);
  }
}

}  // namespace ZK
