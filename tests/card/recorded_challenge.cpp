// The card tests' RandomChallenge, linked in place of the library's: the same strong
// generator, with every requested length recorded, since the card only ever sees a
// digest of the challenge.
#include "card/random_challenge.h"

#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

std::vector<std::size_t> requestedChallengeLengths;

TAVQ::ByteArray RandomChallenge(std::size_t length) {
  requestedChallengeLengths.push_back(length);
  TAVQ::ByteArray challenge(length);
  if (RAND_bytes(challenge.data(), static_cast<int>(length)) != 1) throw std::runtime_error("no random bytes");
  return challenge;
}
