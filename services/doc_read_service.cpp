#include "services/doc_read_service.h"

#include <optional>
#include <utility>

#include "services/handle_exception.h"
#include "services/report_error.h"
#include "services/service_status.h"
#include "services/trace_scope.h"
#include "support/exception.h"
#include "support/text.h"

namespace TAVQ {

namespace {

constexpr std::uint16_t kAnyCard = 0xFFFF;
constexpr std::uint16_t kFirstApplication = 1;
constexpr std::uint16_t kSecondApplication = 7;

}  // namespace

std::unique_ptr<ZKCard> CDocReadService::OpenCard(const WString& readerName, std::uint16_t cardId) {
  return std::make_unique<ZKCard>(readerName, cardId);
}

CDocReadService::CDocReadService(const ServiceIdentity& identity, CardOpener openCard)
    : identity_(identity), openCard_(std::move(openCard)) {}

HRESULT CDocReadService::InitCard(const WString& readerName, std::uint16_t cardId) {
  TraceScope trace("CDocReadService::InitCard", "ReaderName=%S, AppID=%d", readerName.c_str(), int{cardId});
  if (readerName.empty()) return trace.Result(ReportError(identity_, "Reader name is missing", E_INVALIDARG));
  try {
    OpenAnyCard(readerName, cardId);
    return trace.Result(S_OK);
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
}

void CDocReadService::OpenAnyCard(const WString& readerName, std::uint16_t cardId) {
  std::unique_ptr<ZKCard> card;
  if (cardId == kAnyCard) {
    try {
      card = openCard_(readerName, kFirstApplication);
    } catch (...) {
      // Not a card of the first application: the second one decides.
    }
    if (!card) card = openCard_(readerName, kSecondApplication);
  } else {
    card = openCard_(readerName, cardId);
  }
  card_ = std::move(card);
}

HRESULT CDocReadService::InitCardVB(const WString& readerName, std::int16_t cardId) {
  TraceScope trace("CDocReadService::InitCardVB", "ReaderName=%S, AppID=%d", readerName.c_str(), int{cardId});
  return trace.Result(InitCard(readerName, static_cast<std::uint16_t>(cardId)));
}

HRESULT CDocReadService::ReleaseCard() {
  TraceScope trace("CDocReadService::ReleaseCard");
  card_.reset();
  return trace.Result(S_OK);
}

HRESULT CDocReadService::RequireCard() {
  if (card_) return S_OK;
  return ReportError(identity_, "InitCard call is required", kInitCardRequired);
}

HRESULT CDocReadService::ReportNullResult() noexcept {
  // The message is built here, outside ReportError's own protection.
  try {
    return ReportError(identity_, SystemMessage(E_POINTER).c_str(), E_POINTER);
  } catch (...) {
    return HandleException(identity_);
  }
}

HRESULT CDocReadService::CheckCardOrigin() {
  TraceScope trace("CDocReadService::CheckCardOrigin");
  if (HRESULT status = RequireCard(); status != S_OK) return trace.Result(status);
  try {
    card_->CheckOrigin();
    return trace.Result(S_OK);
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
}

template <class Decoded>
HRESULT CDocReadService::ReadBlock(const char* traceName, std::uint16_t blockId, BlockObjectSlot<Decoded>* block) {
  TraceScope trace(traceName);
  if (block == nullptr) return trace.Result(ReportNullResult());
  if (HRESULT status = RequireCard(); status != S_OK) return trace.Result(status);
  std::optional<Decoded> decoded;
  try {
    decoded.emplace();
    decoded->Decode(card_->ReadBlockBytes(blockId));
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
  if (HRESULT status = block->Create(); Failed(status)) {
    return trace.Result(ReportError(identity_, "Object creation was unsuccessful", status));
  }
  if (HRESULT status = block->Load(*decoded); Failed(status)) {
    block->Discard();
    return trace.Result(status);
  }
  block->Commit();
  return trace.Result(S_OK);
}

template <class Decoded, class Object>
HRESULT CDocReadService::ReadPlainBlock(const char* traceName, std::uint16_t blockId, std::unique_ptr<Object>* block) {
  if (block == nullptr) return ReadBlock<Decoded>(traceName, blockId, nullptr);
  PlainBlockObjectSlot<Decoded, Object> slot(*block);
  return ReadBlock<Decoded>(traceName, blockId, &slot);
}

HRESULT CDocReadService::ReadZKDocumentData(BlockObjectSlot<ZK::DocumentDataBlock>& block) {
  return ReadBlock("CDocReadService::ReadZKDocumentData", ZKBlock::kDocument, &block);
}

HRESULT CDocReadService::ReadZKFixedPersoData(BlockObjectSlot<ZK::FixedPersoDataBlock>& block) {
  return ReadBlock("CDocReadService::ReadZKFixedPersoData", ZKBlock::kFixedPerso, &block);
}

HRESULT CDocReadService::ReadZKVariableAdminData(BlockObjectSlot<ZK::VariableAdminDataBlock>& block) {
  return ReadBlock("CDocReadService::ReadZKVariableAdminData", ZKBlock::kVariableAdmin, &block);
}

HRESULT CDocReadService::ReadZKVariablePersoData(BlockObjectSlot<ZK::VariablePersoDataBlock>& block) {
  return ReadBlock("CDocReadService::ReadZKVariablePersoData", ZKBlock::kVariablePerso, &block);
}

HRESULT CDocReadService::ReadZKDocumentData(std::unique_ptr<ZK::DocumentBlockObject>* block) {
  return ReadPlainBlock<ZK::DocumentDataBlock>("CDocReadService::ReadZKDocumentData", ZKBlock::kDocument, block);
}

HRESULT CDocReadService::ReadZKFixedPersoData(std::unique_ptr<ZK::FixedPersoBlockObject>* block) {
  return ReadPlainBlock<ZK::FixedPersoDataBlock>("CDocReadService::ReadZKFixedPersoData", ZKBlock::kFixedPerso,
                                                 block);
}

HRESULT CDocReadService::ReadZKVariableAdminData(std::unique_ptr<ZK::VariableAdminBlockObject>* block) {
  return ReadPlainBlock<ZK::VariableAdminDataBlock>("CDocReadService::ReadZKVariableAdminData",
                                                    ZKBlock::kVariableAdmin, block);
}

HRESULT CDocReadService::ReadZKVariablePersoData(std::unique_ptr<ZK::VariablePersoBlockObject>* block) {
  return ReadPlainBlock<ZK::VariablePersoDataBlock>("CDocReadService::ReadZKVariablePersoData",
                                                    ZKBlock::kVariablePerso, block);
}

HRESULT CDocReadService::VerifyBlock(const char* traceName, std::uint16_t blockId, WString* signerCertB64) {
  TraceScope trace(traceName);
  if (signerCertB64 == nullptr) return trace.Result(ReportNullResult());
  if (HRESULT status = RequireCard(); status != S_OK) return trace.Result(status);
  try {
    const Certificate signer = card_->VerifyBlock(blockId);
    *signerCertB64 = ToBase64(signer.GetEncoded());
    return trace.Result(S_OK);
  } catch (...) {
    return trace.Result(HandleException(identity_));
  }
}

HRESULT CDocReadService::VerifyZKDocumentData(WString* signerCertB64) {
  return VerifyBlock("CDocReadService::VerifyZKDocumentData", ZKBlock::kDocument, signerCertB64);
}

HRESULT CDocReadService::VerifyZKFixedPersoData(WString* signerCertB64) {
  return VerifyBlock("CDocReadService::VerifyZKFixedPersoData", ZKBlock::kFixedPerso, signerCertB64);
}

HRESULT CDocReadService::VerifyZKVariableAdminData(WString* signerCertB64) {
  return VerifyBlock("CDocReadService::VerifyZKVariableAdminData", ZKBlock::kVariableAdmin, signerCertB64);
}

HRESULT CDocReadService::VerifyZKVariablePersoData(WString* signerCertB64) {
  return VerifyBlock("CDocReadService::VerifyZKVariablePersoData", ZKBlock::kVariablePerso, signerCertB64);
}

}  // namespace TAVQ
