#include <fcntl.h>
#include <io.h>

#include "host/platform_io.h"

namespace Host {

namespace {
// _read and _write take an unsigned int count.
constexpr std::size_t kMaxChunk = 1u << 30;
}  // namespace

int TakeStdoutForFrames() {
  _setmode(0, _O_BINARY);
  _setmode(1, _O_BINARY);
  const int frames = _dup(1);
  if (frames >= 0) {
    _setmode(frames, _O_BINARY);
    _dup2(2, 1);
  }
  return frames;
}

long ReadSome(int fd, char* into, std::size_t count) {
  return _read(fd, into, static_cast<unsigned>(count < kMaxChunk ? count : kMaxChunk));
}

long WriteSome(int fd, const char* from, std::size_t count) {
  return _write(fd, from, static_cast<unsigned>(count < kMaxChunk ? count : kMaxChunk));
}

}  // namespace Host
