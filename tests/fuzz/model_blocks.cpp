// Arbitrary card bytes decoded as the file the first byte picks: a block loaded into its
// object (and stored back) as a client would, the SOD, the public key file. Only
// exceptions of the tree are expected.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "card/card_header_block.h"
#include "card/rsa_signature_verifier.h"
#include "card/sod_block.h"
#include "card/sod_signature.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "support/exception.h"

namespace {

void EncodeAll(ZK::TlvBlock& block) {
  for (const ZK::TlvElement* element : block.Elements()) {
    try {
      (void)element->GetBytes();
    } catch (const TAVQ::Exception&) {
    }
  }
}

template <class Block, class Object = void, bool store = false>
void Decode(const TAVQ::ByteArray& bytes) {
  Block block;
  block.Decode(bytes);
  if constexpr (!std::is_void_v<Object>) {
    Object object;
    if (object.Load(&block) != S_OK) __builtin_trap();
    if constexpr (store) {
      Block fresh;
      if (object.Store(&fresh) != S_OK || object.Store(&block) != S_OK) __builtin_trap();
      EncodeAll(fresh);
    }
  }
  EncodeAll(block);
}

void DecodeSod(const TAVQ::ByteArray& bytes) {
  SodBlock sod(0x0D05);
  sod.Decode(bytes);
  SignedMessage message = VerifySignedMessage(sod.SignedData().GetValue());
  if (!message.signer.IsEmpty()) message.signer.GetEncoded();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const TAVQ::ByteArray bytes(data + 1, data + size);
  try {
    switch (data[0] % 7) {
      case 0: Decode<CardHeaderBlock>(bytes); break;
      case 1: Decode<ZK::DocumentDataBlock, ZK::DocumentBlockObject>(bytes); break;
      case 2: Decode<ZK::FixedPersoDataBlock, ZK::FixedPersoBlockObject>(bytes); break;
      case 3: Decode<ZK::VariablePersoDataBlock, ZK::VariablePersoBlockObject, true>(bytes); break;
      case 4: Decode<ZK::VariableAdminDataBlock, ZK::VariableAdminBlockObject, true>(bytes); break;
      case 5: DecodeSod(bytes); break;
      case 6:
        RsaSignatureVerifier(u"SHA1").Verify(TAVQ::ByteArray(128, 0x5A), TAVQ::ByteArray(128, 0xA5), bytes);
        break;
    }
  } catch (const TAVQ::Exception&) {
  }
  return 0;
}
