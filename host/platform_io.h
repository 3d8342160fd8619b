// Raw access to the standard streams, in binary: a browser's frames must reach the host
// and the browser byte for byte (no newline translation on Windows).
#pragma once

#include <cstddef>

namespace Host {

// Puts stdin and stdout into binary mode, and returns a new descriptor for the original
// stdout after pointing descriptor 1 at stderr: from then on only the host's frames
// reach the browser, whatever else in the process writes to stdout.
int TakeStdoutForFrames();

// read(2)/write(2) of the platform; the count of bytes moved, or -1 on error.
long ReadSome(int fd, char* into, std::size_t count);
long WriteSome(int fd, const char* from, std::size_t count);

}  // namespace Host
