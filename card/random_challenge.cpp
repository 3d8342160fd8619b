#include "card/random_challenge.h"

#ifdef __linux__
#include <sys/random.h>

#include <cerrno>
#else
#include <openssl/err.h>
#include <openssl/rand.h>
#endif

#include "support/exception.h"

namespace {

[[noreturn]] void ThrowUnavailable() { throw TAVQ::Exception(u"The random number generator is not available"); }

}  // namespace

#ifdef __linux__
// The kernel's generator: strong from boot on, and nothing to set up in the process
// for the few bytes one challenge needs.
TAVQ::ByteArray RandomChallenge(std::size_t length) {
  TAVQ::ByteArray challenge(length);
  std::size_t filled = 0;
  while (filled < length) {
    const ssize_t n = getrandom(challenge.data() + filled, length - filled, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ThrowUnavailable();
    filled += static_cast<std::size_t>(n);
  }
  return challenge;
}
#else
TAVQ::ByteArray RandomChallenge(std::size_t length) {
  TAVQ::ByteArray challenge(length);
  if (RAND_bytes(challenge.data(), static_cast<int>(length)) != 1) {
    ERR_clear_error();
    ThrowUnavailable();
  }
  return challenge;
}
#endif
