// A card data block: a 4-byte header (tag, value length; least significant byte
// first) followed by elements back to back, in any order.
#pragma once

#include <cstdint>
#include <vector>

#include "model/tlv_element.h"
#include "support/types.h"

namespace ZK {

class TlvBlock {
 public:
  virtual ~TlvBlock();

  // Fills the elements from the bytes of one whole block, header included. An
  // element anywhere in the body whose header or value runs past the end of the
  // block fails the block before any element is filled. Then the elements are
  // visited in list order: the first failure (CardException, or the date code's
  // exception for an impossible calendar date) ends decoding, and elements visited
  // before it keep what they received. Undeclared tags are skipped; of two elements
  // with one tag the first counts.
  void Decode(const TAVQ::ByteArray& bytes);

  std::uint16_t RequiredTag() const { return requiredTag_; }

  // The block's own elements in declaration order; the list does not own them.
  virtual std::vector<TlvElement*> Elements() = 0;
  std::vector<const TlvElement*> Elements() const;
  // The declared element with this tag, or null.
  const TlvElement* FindElement(std::uint16_t tag) const;

 protected:
  explicit TlvBlock(std::uint16_t requiredTag) : requiredTag_(requiredTag) {}
  TlvBlock(const TlvBlock&) = default;
  TlvBlock& operator=(const TlvBlock&) = default;

 private:
  std::uint16_t requiredTag_;
};

}  // namespace ZK
