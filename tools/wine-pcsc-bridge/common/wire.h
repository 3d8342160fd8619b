// The bridge's wire format: every message is a little-endian u32 body length followed
// by the body, a sequence of u32 values and length-prefixed byte strings. The same
// code runs on both ends (Linux server, Windows DLL), so the format is explicit
// little-endian rather than the host's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace WinePcscBridge {

// Bodies larger than this are refused: no PC/SC call needs more (extended APDUs and
// reader lists stay far below it), and a garbled length must not allocate gigabytes.
constexpr std::uint32_t kMaxBodyLength = 1u << 20;

class WireError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MessageWriter {
 public:
  MessageWriter& U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) body_.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
  }
  MessageWriter& Bytes(const std::uint8_t* data, std::size_t length) {
    if (length > kMaxBodyLength) throw WireError("byte string too long for a message");
    U32(static_cast<std::uint32_t>(length));
    body_.insert(body_.end(), data, data + length);
    return *this;
  }
  MessageWriter& Bytes(const std::vector<std::uint8_t>& data) { return Bytes(data.data(), data.size()); }
  MessageWriter& Text(const std::string& text) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }
  const std::vector<std::uint8_t>& Body() const { return body_; }

  // Length prefix and body, ready to send.
  std::vector<std::uint8_t> Frame() const {
    if (body_.size() > kMaxBodyLength) throw WireError("message body too long");
    MessageWriter frame;
    frame.U32(static_cast<std::uint32_t>(body_.size()));
    frame.body_.insert(frame.body_.end(), body_.begin(), body_.end());
    return frame.body_;
  }

 private:
  std::vector<std::uint8_t> body_;
};

class MessageReader {
 public:
  explicit MessageReader(std::vector<std::uint8_t> body) : body_(std::move(body)) {}

  std::uint32_t U32() {
    Need(4, "a number");
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(body_[position_ + i]) << (8 * i);
    position_ += 4;
    return value;
  }
  std::vector<std::uint8_t> Bytes() {
    const std::uint32_t length = U32();
    Need(length, "a byte string");
    std::vector<std::uint8_t> data(body_.begin() + position_, body_.begin() + position_ + length);
    position_ += length;
    return data;
  }
  std::string Text() {
    const std::vector<std::uint8_t> data = Bytes();
    return std::string(data.begin(), data.end());
  }
  // A message with bytes left over was not written by the other end's code.
  void ExpectEnd() const {
    if (position_ != body_.size()) throw WireError("message has " + std::to_string(body_.size() - position_) +
                                                   " unexpected trailing bytes");
  }

 private:
  void Need(std::size_t count, const char* what) const {
    if (body_.size() - position_ < count) throw WireError(std::string("message ends before ") + what);
  }

  std::vector<std::uint8_t> body_;
  std::size_t position_ = 0;
};

// Reads the u32 length prefix of a frame and checks it against the limit.
inline std::uint32_t FrameBodyLength(const std::uint8_t prefix[4]) {
  const std::uint32_t length = static_cast<std::uint32_t>(prefix[0]) | static_cast<std::uint32_t>(prefix[1]) << 8 |
                               static_cast<std::uint32_t>(prefix[2]) << 16 | static_cast<std::uint32_t>(prefix[3]) << 24;
  if (length > kMaxBodyLength) throw WireError("message length " + std::to_string(length) + " exceeds the limit");
  return length;
}

}  // namespace WinePcscBridge
