// One card application of the health card, named by its AID, and the commands the
// card engine sends to it. One shared instance per card ID for the whole process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/types.h"
#include "transport/card_channel.h"
#include "transport/response_apdu.h"

class CardApplication {
 public:
  // The instance of card ID 1, 7 or 0 (the PKCS#15 application, for want of an
  // AID of its own); any other raises CardException "Number %d is not valid value
  // for card ID".
  static const CardApplication& ForCardId(std::uint16_t cardId);

  const TAVQ::ByteArray& Aid() const { return aid_; }

  // Every command raises JavaCard::AppletException for a status word other than 9000.
  SmartCardIO::ResponseAPDU SelectApplication(SmartCardIO::CardChannel& channel) const;
  SmartCardIO::ResponseAPDU SelectFile(SmartCardIO::CardChannel& channel, std::uint16_t fileId) const;
  // READ BINARY in chunks of at most 128 bytes; raises CardException, before any
  // command, for bytes beyond offset 0x7FFF (the largest READ BINARY can address),
  // and when the card answers a chunk with another number of bytes than asked for.
  TAVQ::ByteArray ReadFileData(SmartCardIO::CardChannel& channel, std::size_t offset,
                               std::size_t length) const;
  // MANAGE SECURITY ENVIRONMENT: the digital signature template with the algorithm
  // and the private key reference.
  void SetSignatureKey(SmartCardIO::CardChannel& channel, std::uint8_t algorithm,
                       std::uint16_t keyReference) const;
  // PERFORM SECURITY OPERATION, compute digital signature: returns the signature.
  TAVQ::ByteArray ComputeSignature(SmartCardIO::CardChannel& channel, const TAVQ::ByteArray& data) const;

  // The EF size in bytes 2 and 3 of a SELECT answer; an answer too short to hold
  // it raises CardException.
  static std::uint16_t GetFileSize(const SmartCardIO::ResponseAPDU& selectResponse);

  explicit CardApplication(TAVQ::ByteArray aid);

 private:
  TAVQ::ByteArray aid_;
};
