// An SOD file as the card delivers it: the block framing, the one TLV element and
// the PKCS#7 SignedData inside it.
#include <cstddef>
#include <cstdint>

#include "card/sod_block.h"
#include "card/sod_signature.h"
#include "support/exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TAVQ::ByteArray file(data, data + size);
  try {
    SodBlock sod(0x0D05);
    sod.Decode(file);
    SignedMessage message = VerifySignedMessage(sod.SignedData().GetValue());
    if (!message.signer.IsEmpty()) message.signer.GetEncoded();
  } catch (const TAVQ::Exception&) {
  }
  return 0;
}
