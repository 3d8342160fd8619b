// The EF 0x0D07 public key file parse and the RSA key built from it, over
// arbitrary card bytes.
#include <cstddef>
#include <cstdint>

#include "card/rsa_signature_verifier.h"
#include "support/exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TAVQ::ByteArray file(data, data + size);
  const TAVQ::ByteArray challenge(128, 0x5A);
  const TAVQ::ByteArray signature(128, 0xA5);
  try {
    RsaSignatureVerifier verifier(u"SHA1");
    verifier.Verify(challenge, signature, file);
  } catch (const TAVQ::Exception&) {
  }
  return 0;
}
