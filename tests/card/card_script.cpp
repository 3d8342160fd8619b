#include <openssl/rand.h>

#include <stdexcept>

#include "card/random_challenge.h"

// Linked in place of the library's: the same strong generator, with every challenge
// recorded, since the card only ever sees its digest.
std::vector<TAVQ::ByteArray> issuedChallenges;

TAVQ::ByteArray RandomChallenge(std::size_t length) {
  TAVQ::ByteArray challenge(length);
  if (RAND_bytes(challenge.data(), static_cast<int>(length)) != 1) throw std::runtime_error("no random bytes");
  issuedChallenges.push_back(challenge);
  return challenge;
}
