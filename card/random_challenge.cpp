#include "card/random_challenge.h"

#include <openssl/err.h>
#include <openssl/rand.h>

#include "support/exception.h"

TAVQ::ByteArray RandomChallenge(std::size_t length) {
  TAVQ::ByteArray challenge(length);
  if (RAND_bytes(challenge.data(), static_cast<int>(length)) != 1) {
    ERR_clear_error();
    throw TAVQ::Exception(u"The random number generator is not available");
  }
  return challenge;
}
