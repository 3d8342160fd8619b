#include "host/frame.h"

#include <cstring>

namespace Host {

namespace {

// Reads up to count bytes; fewer only at the end of the input.
std::size_t ReadBytes(std::streambuf& in, char* into, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::streamsize got = in.sgetn(into + done, static_cast<std::streamsize>(count - done));
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// Skips count bytes without keeping them; false when the input ends first.
bool SkipBytes(std::streambuf& in, std::uint64_t count) {
  char scratch[64 * 1024];
  while (count > 0) {
    const std::size_t chunk = count < sizeof scratch ? static_cast<std::size_t>(count) : sizeof scratch;
    const std::size_t got = ReadBytes(in, scratch, chunk);
    if (got < chunk) return false;
    count -= got;
  }
  return true;
}

}  // namespace

IncomingFrame ReadFrame(std::istream& in, std::size_t limit) {
  std::streambuf& buffer = *in.rdbuf();
  char header[sizeof(std::uint32_t)];
  const std::size_t got = ReadBytes(buffer, header, sizeof header);
  if (got == 0) return {IncomingFrame::Kind::End, {}};
  if (got < sizeof header) return {IncomingFrame::Kind::Truncated, {}};

  std::uint32_t length = 0;
  std::memcpy(&length, header, sizeof length);  // native byte order, as the browser writes it
  if (length > limit) {
    const bool complete = SkipBytes(buffer, length);
    return {complete ? IncomingFrame::Kind::TooLong : IncomingFrame::Kind::Truncated, {}, length};
  }
  std::string body(length, '\0');
  if (ReadBytes(buffer, body.data(), length) < length) return {IncomingFrame::Kind::Truncated, {}, length};
  return {IncomingFrame::Kind::Message, std::move(body), length};
}

void WriteFrame(std::ostream& out, std::string_view body) {
  const auto length = static_cast<std::uint32_t>(body.size());
  char header[sizeof length];
  std::memcpy(header, &length, sizeof length);
  out.write(header, sizeof header);
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
}

}  // namespace Host
