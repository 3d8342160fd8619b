// Block verification against the card's Security Objects.
#include <algorithm>

#include "card/sod_block.h"
#include "card/sod_registry.h"
#include "card/sod_signature.h"
#include "card/zk_card.h"
#include "support/exception.h"
#include "support/format.h"

using TAVQ::ByteArray;

namespace {

// Raises CardException unless SHA-256 of bytes stands at the position in the SOD's
// signed content.
void CompareWithSignedHash(const SignedMessage& message, std::size_t position, std::uint16_t blockId,
                           const ByteArray& bytes) {
  const ByteArray digest = Sha256Hasher::Hash(bytes);
  const std::size_t start = position * digest.size();
  // Signed content too short for this position: the block's hash is not there.
  const bool matches =
      message.content.size() >= start + digest.size() &&
      std::equal(digest.begin(), digest.end(), message.content.begin() + static_cast<std::ptrdiff_t>(start));
  if (!matches) {
    throw CardException(TAVQ::FormatString(
        u"Hash of block with ID 0x%X does not match the hash in corresponding SOD block", blockId));
  }
}

}  // namespace

SignedMessage ZKCard::CheckSodSignature(std::uint16_t sodId, ByteArray (ZKCard::*read)(std::uint16_t)) {
  SodBlock sod(sodId);
  sod.Decode((this->*read)(sodId));
  const ByteArray& der = sod.SignedData().GetValue();
  const auto known = verifiedSods_.find(der);
  if (known != verifiedSods_.end()) return known->second;
  SignedMessage message = VerifySignedMessage(der);
  verifiedSods_.emplace(der, message);
  return message;
}

Certificate ZKCard::VerifyBlock(std::uint16_t blockId) {
  const SodRegistry& registry = SodRegistry::ForCard(cardId_);
  const std::optional<std::uint16_t> sodId = registry.SodOf(blockId);
  if (!sodId) return Certificate();

  // The certificate is owned by the message: released on every path but the return.
  SignedMessage message = CheckSodSignature(*sodId, &ZKCard::ReadBlockBytes);
  CompareWithSignedHash(message, registry.PositionOf(*sodId, blockId), blockId, ReadBlockBytes(blockId));
  return std::move(message.signer);
}

void ZKCard::CheckKeyFileSigned(const ByteArray& keyFile) {
  // The key file has no block framing, so VerifyBlock cannot read it; its hash is
  // checked here, over the bytes that active authentication uses.
  const SodRegistry& registry = SodRegistry::ForCard(cardId_);
  const std::uint16_t sodId = registry.SodOf(ZKBlock::kPublicKey).value();
  const SignedMessage message = CheckSodSignature(sodId, &ZKCard::ReadBlockBytesInScope);
  CompareWithSignedHash(message, registry.PositionOf(sodId, ZKBlock::kPublicKey), ZKBlock::kPublicKey, keyFile);
}
