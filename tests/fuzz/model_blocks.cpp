// Card bytes are untrusted: decodes arbitrary input as one of the block
// declarations (picked by the first byte), then drives the decoded block through
// its block object and back, as a client would. Failures of the codec and the date
// code are expected; anything else (a crash, a sanitizer report, another
// exception) is a finding.
#include <cstddef>
#include <cstdint>

#include "model/block_id_list.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/number_element.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "support/exception.h"

namespace {

// The shape of the card header block: document ID, a version code, present blocks.
class HeaderShapedBlock : public ZK::TlvBlock {
 public:
  HeaderShapedBlock() : TlvBlock(0x0D00) {}
  std::vector<ZK::TlvElement*> Elements() override { return {&documentId, &version, &presentBlocks}; }

  static const ZK::NumberTable& DocumentIds() {
    static const ZK::NumberTable table{{1, {'0', '1'}}, {7, {'0', '7'}}};
    return table;
  }
  static const ZK::NumberTable& Versions() {
    static const ZK::NumberTable table{{1, {'0', '1'}}};
    return table;
  }

  ZK::NumberElement documentId{0x0601, 2, ZK::ElementPresence::Mandatory, DocumentIds()};
  ZK::NumberElement version{0x0602, 2, ZK::ElementPresence::Mandatory, Versions()};
  ZK::BlockIdList presentBlocks{0x0603, 128, ZK::ElementPresence::Mandatory};
};

// Every present element encodes or fails with an exception of the tree.
void EncodeAll(const ZK::TlvBlock& block) {
  for (const ZK::TlvElement* element : block.Elements()) {
    try {
      (void)element->GetBytes();
    } catch (const TAVQ::Exception&) {
    }
  }
}

template <class Block>
void DecodeOnly(const TAVQ::ByteArray& bytes) {
  Block block;
  block.Decode(bytes);
  EncodeAll(block);
}

template <class Block, class Object>
void DecodeAndLoad(const TAVQ::ByteArray& bytes) {
  Block block;
  block.Decode(bytes);
  Object object;
  if (object.Load(&block) != S_OK) __builtin_trap();
  EncodeAll(block);
}

template <class Block, class Object>
void DecodeLoadAndStore(const TAVQ::ByteArray& bytes) {
  Block block;
  block.Decode(bytes);
  Object object;
  if (object.Load(&block) != S_OK) __builtin_trap();
  Block fresh;
  if (object.Store(&fresh) != S_OK || object.Store(&block) != S_OK) __builtin_trap();
  EncodeAll(fresh);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const TAVQ::ByteArray bytes(data + 1, data + size);
  try {
    switch (data[0] % 5) {
      case 0: DecodeOnly<HeaderShapedBlock>(bytes); break;
      case 1: DecodeAndLoad<ZK::DocumentDataBlock, ZK::DocumentBlockObject>(bytes); break;
      case 2: DecodeAndLoad<ZK::FixedPersoDataBlock, ZK::FixedPersoBlockObject>(bytes); break;
      case 3: DecodeLoadAndStore<ZK::VariablePersoDataBlock, ZK::VariablePersoBlockObject>(bytes); break;
      case 4: DecodeLoadAndStore<ZK::VariableAdminDataBlock, ZK::VariableAdminBlockObject>(bytes); break;
    }
  } catch (const TAVQ::Exception&) {
    // Refused input: the expected outcome for most of it.
  }
  return 0;
}
