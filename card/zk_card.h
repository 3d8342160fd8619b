// The health card in one reader, opened for one card application (card ID 1 or
// 7). The only place that knows the card's file layout: which application to
// select, which elementary file holds which block, how a block is framed, which
// blocks the card declares present and which have been read already.
//
// The card is connected only for the duration of one operation; a card object
// keeps no transaction or connection open between calls, unless it is built on a
// CardSession, whose connection, transaction and selection record then serve every
// operation while the session lasts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "card/block_cache.h"
#include "card/certificate.h"
#include "card/sod_signature.h"
#include "support/types.h"

class CardApplication;
class CardSession;
namespace SmartCardIO {
class CardChannel;
}

// Block IDs: the card's elementary-file identifiers, also the tags of the blocks.
namespace ZKBlock {
constexpr std::uint16_t kHeader = 0x0D00;
constexpr std::uint16_t kDocument = 0x0D01;
constexpr std::uint16_t kFixedPerso = 0x0D02;
constexpr std::uint16_t kVariablePerso = 0x0D03;
constexpr std::uint16_t kVariableAdmin = 0x0D04;
constexpr std::uint16_t kPublicKey = 0x0D07;
constexpr std::uint16_t kPrivateKeyReference = 0x0D08;
}  // namespace ZKBlock

class ZKCard {
 public:
  // Opens the card in the reader and checks that it holds the document of cardId;
  // raises on any failure (PCSCWin32Exception, AppletException, CardException).
  ZKCard(const TAVQ::WString& readerName, std::uint16_t cardId);
  // The same over a channel that is not yet connected (tests, attached readers).
  ZKCard(std::unique_ptr<SmartCardIO::CardChannel> channel, std::uint16_t cardId);
  // The same on the session's channel; once the session has ended, each operation
  // opens its own access again.
  ZKCard(const std::shared_ptr<CardSession>& session, std::uint16_t cardId);
  ~ZKCard();
  ZKCard(const ZKCard&) = delete;
  ZKCard& operator=(const ZKCard&) = delete;

  std::uint16_t CardId() const { return cardId_; }

  // The raw block (4-byte header and body), read from the card once and cached.
  TAVQ::ByteArray ReadBlockBytes(std::uint16_t blockId);
  // One uncached read of a block from the card, with every framing check.
  TAVQ::ByteArray ReadElementaryFile(std::uint16_t fileId);
  // Raises CardException unless the card's header block lists the block.
  void CheckDeclaredPresent(std::uint16_t blockId) const;

  // Checks the SOD covering the block and the block's hash in it; returns the
  // certificate that signed the SOD (empty for a block without SOD).
  Certificate VerifyBlock(std::uint16_t blockId);

  // Chip serial check, then active authentication; raises on any failure.
  void CheckOrigin();
  // The chip serial number from the card manager's production data: 16 upper-case
  // hexadecimal characters.
  TAVQ::WString ReadChipSerialNumber();
  // Proves that the chip holds the private key of the public key in EF 0x0D07, and
  // that this key is the one SOD 0x0D05 signs: a chip with a key pair of its own
  // fails even though it signs correctly.
  void ActiveAuthentication();

 private:
  void Initialize(std::uint16_t cardId);
  // Runs one card operation: in the session while it lasts, otherwise in a
  // CardAccessScope of its own. A failure inside the session forgets the selection;
  // a PC/SC failure also closes the session's connection, to be opened anew.
  void Operate(const std::function<void()>& work);
  // SELECT of the card application, unless the session records it as selected.
  void SelectApplication();
  // Anything else selected on the card: the session's record no longer holds.
  void ForgetSelection();
  // The application is selected again by a command of the operation's own.
  void NoteSelected(const TAVQ::ByteArray& aid);
  // The chip serial number, in an open operation.
  TAVQ::WString ProbeCardManagers();
  // ReadElementaryFile within an operation that the caller holds open.
  TAVQ::ByteArray ReadFramedFile(std::uint16_t fileId);
  // ReadBlockBytes within a scope that the caller holds open.
  TAVQ::ByteArray ReadBlockBytesInScope(std::uint16_t blockId);
  // The SOD read with read, decoded, and its signature checked.
  SignedMessage CheckSodSignature(std::uint16_t sodId, TAVQ::ByteArray (ZKCard::*read)(std::uint16_t));
  // Raises CardException with the block's hash message unless SHA-256 of keyFile is
  // the hash that SOD 0x0D05 signs for EF 0x0D07. Within an open scope.
  void CheckKeyFileSigned(const TAVQ::ByteArray& keyFile);

  std::shared_ptr<SmartCardIO::CardChannel> channel_;
  std::weak_ptr<CardSession> session_;
  const CardApplication* application_ = nullptr;
  std::uint16_t cardId_ = 0;
  BlockCache cache_;
  // Signature checks already passed, by the SOD's exact bytes: a block cache hit must
  // not cost a second parse and check of the same Security Object.
  std::map<TAVQ::ByteArray, SignedMessage> verifiedSods_;
};
