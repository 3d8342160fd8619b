// The browsers' native messaging framing: each message is a 32-bit length in the
// machine's byte order followed by that many bytes of UTF-8 JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace Host {

// A browser accepts no message from a host longer than this.
constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;
// Requests are small (a read names a reader and a few flags); nothing longer is read.
constexpr std::size_t kMaxRequestBytes = 1024 * 1024;

struct IncomingFrame {
  enum class Kind {
    Message,    // body holds the message
    End,        // the input ended cleanly, between two frames
    Truncated,  // the input ended inside a frame
    TooLong     // the frame was longer than the limit; its body has been skipped
  };
  Kind kind;
  std::string body;
  std::uint32_t declaredLength = 0;
};

// Reads the next frame. A frame longer than limit is read past without being kept, so
// that the next frame starts where the browser put it.
IncomingFrame ReadFrame(std::istream& in, std::size_t limit = kMaxRequestBytes);

// Writes one frame and flushes it. The caller keeps body within kMaxAnswerBytes.
void WriteFrame(std::ostream& out, std::string_view body);

}  // namespace Host
