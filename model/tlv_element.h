// One element of a card data block: a 2-byte tag, a 2-byte length and a value,
// both numbers least significant byte first. The kinds of value derive from here.
#pragma once

#include <cstdint>
#include <optional>

#include "support/types.h"

namespace ZK {

// Mandatory never changes; an optional element moves between Absent and Present.
enum class ElementPresence : std::uint8_t { Absent = 0, Mandatory = 1, Present = 2 };

class TlvElement {
 public:
  // maxLength is the largest value length in bytes that block decoding accepts.
  // Start as Mandatory or as Absent (which makes the element optional).
  TlvElement(std::uint16_t tag, std::uint32_t maxLength, ElementPresence presence);

  // Replaces the content of out with the encoded value. Encoding does not check
  // the maximum length; a value the kind cannot encode raises CardException.
  virtual void Encode(TAVQ::ByteArray& out) const = 0;
  // Sets the value from the value bytes; malformed bytes raise CardException.
  virtual void Decode(const TAVQ::ByteArray& value) = 0;
  virtual ~TlvElement();

  // The encoded value, or none for an Absent element.
  std::optional<TAVQ::ByteArray> GetBytes() const;
  // Hands the element the value found in a block, or null when its tag was not
  // found: a missing Mandatory element raises, an optional one becomes Absent.
  // A value that fails to decode leaves the presence as it was.
  void SetBytes(const TAVQ::ByteArray* value);

  // True for Absent, false for Present; raises for a Mandatory element.
  bool IsNull() const;

  std::uint16_t Tag() const { return tag_; }
  std::uint32_t MaxLength() const { return maxLength_; }
  ElementPresence Presence() const { return presence_; }

 protected:
  TlvElement(const TlvElement&) = default;
  TlvElement& operator=(const TlvElement&) = default;

  // For GetValue of the kinds: raises for an Absent element.
  void RequireValue() const;
  // For SetValue of the kinds: an Absent element becomes Present.
  void MarkSet();

 private:
  std::uint16_t tag_;
  std::uint32_t maxLength_;
  ElementPresence presence_;
};

}  // namespace ZK
