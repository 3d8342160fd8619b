// DocReadService: opens a health card in a named reader, reads its four data blocks
// as block objects, verifies them against the card's SOD, checks the card's origin
// and releases the card. Plain C++ over plain types; the COM binding maps each
// interface method onto the method of the same name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "card/zk_card.h"
#include "model/document_block_object.h"
#include "model/fixed_perso_block_object.h"
#include "model/variable_admin_block_object.h"
#include "model/variable_perso_block_object.h"
#include "services/block_object_slot.h"
#include "services/service_identity.h"
#include "support/hresult.h"
#include "support/types.h"

namespace TAVQ {

class CDocReadService {
 public:
  // Opens the card for one card application; raises as ZKCard's construction does.
  using CardOpener = std::function<std::unique_ptr<ZKCard>(const WString& readerName, std::uint16_t cardId)>;
  static std::unique_ptr<ZKCard> OpenCard(const WString& readerName, std::uint16_t cardId);

  explicit CDocReadService(const ServiceIdentity& identity = DocReadServiceIdentity(),
                           CardOpener openCard = &CDocReadService::OpenCard);

  // Opens the card; card ID 0xFFFF tries application 1, then 7. An empty reader name
  // or a failure keeps the card already held.
  HRESULT InitCard(const WString& readerName, std::uint16_t cardId);
  // InitCard with the same 16 bits, for callers without unsigned types: -1 is 0xFFFF.
  HRESULT InitCardVB(const WString& readerName, std::int16_t cardId);
  // Forgets the card; S_OK also when none is held.
  HRESULT ReleaseCard();
  bool HasCard() const { return card_ != nullptr; }
  // The card application of the held card (1 or 7); 0 without a card.
  std::uint16_t CardId() const { return card_ ? card_->CardId() : 0; }

  // Chip serial number check, then active authentication.
  HRESULT CheckCardOrigin();

  // Each read talks to the card at most once per InitCard (the card caches blocks)
  // and returns a new object.
  HRESULT ReadZKDocumentData(BlockObjectSlot<ZK::DocumentDataBlock>& block);
  HRESULT ReadZKFixedPersoData(BlockObjectSlot<ZK::FixedPersoDataBlock>& block);
  HRESULT ReadZKVariableAdminData(BlockObjectSlot<ZK::VariableAdminDataBlock>& block);
  HRESULT ReadZKVariablePersoData(BlockObjectSlot<ZK::VariablePersoDataBlock>& block);

  // The same with the model's plain block objects; the result is written on success only.
  HRESULT ReadZKDocumentData(std::unique_ptr<ZK::DocumentBlockObject>* block);
  HRESULT ReadZKFixedPersoData(std::unique_ptr<ZK::FixedPersoBlockObject>* block);
  HRESULT ReadZKVariableAdminData(std::unique_ptr<ZK::VariableAdminBlockObject>* block);
  HRESULT ReadZKVariablePersoData(std::unique_ptr<ZK::VariablePersoBlockObject>* block);

  // Verifies the block against its SOD and gives the signer certificate in Base64.
  HRESULT VerifyZKDocumentData(WString* signerCertB64);
  HRESULT VerifyZKFixedPersoData(WString* signerCertB64);
  HRESULT VerifyZKVariableAdminData(WString* signerCertB64);
  HRESULT VerifyZKVariablePersoData(WString* signerCertB64);

 private:
  HRESULT RequireCard();
  HRESULT ReportNullResult() noexcept;
  void OpenAnyCard(const WString& readerName, std::uint16_t cardId);

  // A null slot is a missing result pointer.
  template <class Decoded>
  HRESULT ReadBlock(const char* traceName, std::uint16_t blockId, BlockObjectSlot<Decoded>* block);
  template <class Decoded, class Object>
  HRESULT ReadPlainBlock(const char* traceName, std::uint16_t blockId, std::unique_ptr<Object>* block);
  HRESULT VerifyBlock(const char* traceName, std::uint16_t blockId, WString* signerCertB64);

  ServiceIdentity identity_;
  CardOpener openCard_;
  std::unique_ptr<ZKCard> card_;
};

}  // namespace TAVQ
