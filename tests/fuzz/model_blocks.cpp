// Card bytes are untrusted: decodes arbitrary input as one of the blocks (picked by
// the first byte), then drives the decoded block through its block object and back,
// as a client would. Failures of the codec and the date code are expected; anything
// else (a crash, a sanitizer report, another exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "card/card_header_block.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "support/exception.h"

namespace {

// Every present element encodes or fails with an exception of the tree.
void EncodeAll(ZK::TlvBlock& block) {
  for (const ZK::TlvElement* element : block.Elements()) {
    try {
      (void)element->GetBytes();
    } catch (const TAVQ::Exception&) {
    }
  }
}

// Object void: the block alone; with store, the object is also stored back.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const TAVQ::ByteArray bytes(data + 1, data + size);
  try {
    switch (data[0] % 5) {
      case 0: Decode<CardHeaderBlock>(bytes); break;
      case 1: Decode<ZK::DocumentDataBlock, ZK::DocumentBlockObject>(bytes); break;
      case 2: Decode<ZK::FixedPersoDataBlock, ZK::FixedPersoBlockObject>(bytes); break;
      case 3: Decode<ZK::VariablePersoDataBlock, ZK::VariablePersoBlockObject, true>(bytes); break;
      case 4: Decode<ZK::VariableAdminDataBlock, ZK::VariableAdminBlockObject, true>(bytes); break;
    }
  } catch (const TAVQ::Exception&) {
    // Refused input: the expected outcome for most of it.
  }
  return 0;
}
