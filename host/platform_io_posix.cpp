#include <cerrno>
#include <unistd.h>

#include "host/platform_io.h"

namespace Host {

int TakeStdoutForFrames() {
  const int frames = dup(STDOUT_FILENO);
  if (frames >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
  return frames;
}

long ReadSome(int fd, char* into, std::size_t count) {
  for (;;) {
    const ssize_t got = read(fd, into, count);
    if (got >= 0 || errno != EINTR) return static_cast<long>(got);
  }
}

long WriteSome(int fd, const char* from, std::size_t count) {
  for (;;) {
    const ssize_t put = write(fd, from, count);
    if (put >= 0 || errno != EINTR) return static_cast<long>(put);
  }
}

}  // namespace Host
