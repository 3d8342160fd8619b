// Block verification against the card's Security Objects.
#include <algorithm>

#include "card/sod_block.h"
#include "card/sod_registry.h"
#include "card/sod_signature.h"
#include "card/zk_card.h"
#include "support/exception.h"
#include "support/format.h"

using TAVQ::ByteArray;

Certificate ZKCard::VerifyBlock(std::uint16_t blockId) {
  const SodRegistry& registry = SodRegistry::ForCard(cardId_);
  const std::optional<std::uint16_t> sodId = registry.SodOf(blockId);
  if (!sodId) return Certificate();

  SodBlock sod(*sodId);
  sod.Decode(ReadBlockBytes(*sodId));
  // The certificate is owned by the message: released on every path but the return.
  SignedMessage message = VerifySignedMessage(sod.SignedData().GetValue());

  const std::size_t position = registry.PositionOf(*sodId, blockId);
  const ByteArray digest = Sha256Hasher::Hash(ReadBlockBytes(blockId));
  const std::size_t start = position * digest.size();
  // Signed content too short for this position: the block's hash is not there.
  const bool matches = message.content.size() >= start + digest.size() &&
                       std::equal(digest.begin(), digest.end(), message.content.begin() + static_cast<std::ptrdiff_t>(start));
  if (!matches) {
    throw CardException(TAVQ::FormatString(
        u"Hash of block with ID 0x%X does not match the hash in corresponding SOD block", blockId));
  }
  return std::move(message.signer);
}
