// Card object construction and block reading.
#include "card/zk_card.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <utility>

#include "card/card_access_scope.h"
#include "card/card_application.h"
#include "card/card_header_block.h"
#include "card/card_session.h"
#include "support/exception.h"
#include "support/format.h"
#include "transport/pcsc_card_connection.h"

using TAVQ::ByteArray;
using TAVQ::FormatString;

namespace {

constexpr std::size_t kBlockHeaderSize = 4;
// What one READ BINARY brings at most.
constexpr std::size_t kReadBinaryChunk = 128;

std::uint16_t LittleEndian16(const ByteArray& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

ZKCard::ZKCard(const TAVQ::WString& readerName, std::uint16_t cardId)
    : channel_(std::make_unique<SmartCardIO::PCSCCardChannel>(
          readerName, std::make_unique<TAVQ::PCSC::PCSCCardConnection>(readerName))) {
  Initialize(cardId);
}

ZKCard::ZKCard(std::unique_ptr<SmartCardIO::CardChannel> channel, std::uint16_t cardId)
    : channel_(std::move(channel)) {
  Initialize(cardId);
}

ZKCard::ZKCard(const std::shared_ptr<CardSession>& session, std::uint16_t cardId)
    : channel_(session->channel()), session_(session) {
  Initialize(cardId);
}

ZKCard::~ZKCard() = default;

void ZKCard::Initialize(std::uint16_t cardId) {
  OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr);
  application_ = &CardApplication::ForCardId(cardId);

  CardHeaderBlock header;
  header.Decode(ReadBlockBytes(ZKBlock::kHeader));
  const std::int32_t documentId = header.DocumentID().GetValue();
  if (documentId != cardId) {
    throw CardException(
        FormatString(u"Read document has ID %d, but ID %d was requested.", documentId, static_cast<int>(cardId)));
  }
  cardId_ = cardId;
}

ByteArray ZKCard::ReadBlockBytes(std::uint16_t blockId) {
  if (const ByteArray* cached = cache_.Find(blockId)) return *cached;
  ByteArray bytes = ReadElementaryFile(blockId);
  cache_.Store(blockId, bytes);
  return bytes;
}

void ZKCard::Operate(const std::function<void()>& work) {
  const std::shared_ptr<CardSession> session = session_.lock();
  if (!session) {
    CardAccessScope scope(*channel_);
    work();
    return;
  }
  session->Open();
  try {
    work();
  } catch (const TAVQ::PCSC::PCSCWin32Exception&) {
    // The card may be gone or reset: the next operation connects anew.
    session->Close();
    throw;
  } catch (...) {
    session->ForgetSelection();
    throw;
  }
}

void ZKCard::SelectApplication() {
  const std::shared_ptr<CardSession> session = session_.lock();
  if (session && session->IsSelected(application_->Aid())) return;
  application_->SelectApplication(*channel_);
  if (session) session->RecordSelected(application_->Aid());
}

void ZKCard::ForgetSelection() {
  if (const std::shared_ptr<CardSession> session = session_.lock()) session->ForgetSelection();
}

void ZKCard::NoteSelected(const ByteArray& aid) {
  if (aid != application_->Aid()) return;
  if (const std::shared_ptr<CardSession> session = session_.lock()) session->RecordSelected(aid);
}

ByteArray ZKCard::ReadElementaryFile(std::uint16_t fileId) {
  ByteArray block;
  Operate([&] { block = ReadFramedFile(fileId); });
  return block;
}

ByteArray ZKCard::ReadFramedFile(std::uint16_t fileId) {
  CheckDeclaredPresent(fileId);
  SelectApplication();
  const std::uint16_t fileSize = CardApplication::GetFileSize(application_->SelectFile(*channel_, fileId));
  if (fileSize < kBlockHeaderSize) {
    throw CardException(FormatString(u"Card's elementary file with id 0x%X has too small size", fileId));
  }
  // Inside a session the header comes with the first chunk of the block; on its own
  // (the COM methods' road) it is read alone, then the whole block from offset 0.
  const bool inSession = !session_.expired();
  ByteArray header = application_->ReadFileData(
      *channel_, 0, inSession ? std::min<std::size_t>(fileSize, kReadBinaryChunk) : kBlockHeaderSize);
  const std::uint16_t tag = LittleEndian16(header, 0);
  const std::uint16_t length = LittleEndian16(header, 2);
  if (tag != fileId) {
    throw CardException(
        FormatString(u"Tag value 0x%X in read data block is different from required value 0x%X", tag, fileId));
  }
  if (length > fileSize) {
    throw CardException(
        FormatString(u"Trying to read %d bytes from data block 0x%X, but the maximum size of the block is %d",
                     length, fileId, fileSize));
  }
  const std::size_t blockSize = length + kBlockHeaderSize;
  if (!inSession) return application_->ReadFileData(*channel_, 0, blockSize);
  if (header.size() >= blockSize) {
    header.resize(blockSize);
    return header;
  }
  const ByteArray rest = application_->ReadFileData(*channel_, header.size(), blockSize - header.size());
  header.insert(header.end(), rest.begin(), rest.end());
  return header;
}

void ZKCard::CheckDeclaredPresent(std::uint16_t blockId) const {
  const ByteArray* headerBytes = cache_.Find(ZKBlock::kHeader);
  // Only the header block itself is read before the header is known.
  if (headerBytes == nullptr || blockId == ZKBlock::kHeader) return;
  CardHeaderBlock header;
  header.Decode(*headerBytes);
  for (std::uint16_t present : header.PresentBlocks().GetValue()) {
    if (present == blockId) return;
  }
  throw CardException(FormatString(u"Card block with ID %d is not declared as present in the card", blockId));
}
