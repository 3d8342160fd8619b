// Card origin check: the chip serial number of the card manager against the one in
// the document block, then active authentication.
#include "card/card_application.h"
#include "card/random_challenge.h"
#include "card/rsa_signature_verifier.h"
#include "card/zk_card.h"
#include "model/document_data_block.h"
#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"

using SmartCardIO::CommandAPDU;
using SmartCardIO::ResponseAPDU;
using TAVQ::ByteArray;
using TAVQ::WString;

namespace {

constexpr std::uint16_t kSuccess = 0x9000;
constexpr std::uint16_t kAnyLength = 256;

// Card managers of the chip makers, tried in this order.
const char16_t* const kCardManagerAids[] = {u"A0000000030000", u"A000000003000000", u"A0000001510000",
                                           u"a000000018434d00"};

// Offsets 13 to 20 of the CPLC data (tag 9F7F and its length byte first): IC
// fabrication date, IC serial number and IC batch identifier.
constexpr std::size_t kSerialOffset = 13;
constexpr std::size_t kSerialLength = 8;

constexpr std::size_t kChallengeLength = 128;

CommandAPDU SelectByName(const ByteArray& aid) {
  return CommandAPDU(0x00, 0xA4, 0x04, 0x00, aid, kAnyLength, false);
}

}  // namespace

WString ZKCard::ReadChipSerialNumber() {
  WString serial;
  Operate([&] { serial = ProbeCardManagers(); });
  return serial;
}

WString ZKCard::ProbeCardManagers() {
  // A card manager selected, or even tried, replaces the application's selection.
  ForgetSelection();
  std::uint16_t lastStatus = 0;
  for (const char16_t* aid : kCardManagerAids) {
    const ResponseAPDU selected = channel_->Transmit(SelectByName(TAVQ::FromHexString(aid)));
    lastStatus = selected.sw();
    if (lastStatus != kSuccess) continue;

    const ResponseAPDU cplc = channel_->Transmit(CommandAPDU(0x80, 0xCA, 0x9F, 0x7F));
    if (cplc.sw() != kSuccess) throw JavaCard::AppletException(cplc.sw());

    const ByteArray applicationAid = TAVQ::FromHexString(
        cardId_ == 1 ? u"F38100000253455256535A4B01" : u"F381000002534552534F564F5A4B01");
    const ResponseAPDU reselected = channel_->Transmit(SelectByName(applicationAid));
    if (reselected.sw() != kSuccess) throw JavaCard::AppletException(reselected.sw());
    NoteSelected(applicationAid);

    const ByteArray& data = cplc.data();
    if (data.size() < kSerialOffset + kSerialLength) {
      throw CardException(TAVQ::FormatString(
          u"Chip serial number cannot be read: the card's production data has %d bytes, at least %d are needed",
          static_cast<int>(data.size()), static_cast<int>(kSerialOffset + kSerialLength)));
    }
    return TAVQ::ToHexString(ByteArray(data.begin() + kSerialOffset, data.begin() + kSerialOffset + kSerialLength));
  }
  throw JavaCard::AppletException(lastStatus);
}

void ZKCard::CheckOrigin() {
  WString cardSerial = ReadChipSerialNumber();
  ZK::DocumentDataBlock document;
  document.Decode(ReadBlockBytes(ZKBlock::kDocument));
  WString documentSerial = document.ChipSerialNumber().GetValue();
  if (TAVQ::ToUpper(cardSerial) != TAVQ::ToUpper(documentSerial)) {
    throw CardException(TAVQ::FormatString(
        u"Chip serial number (%s) is not equal to chip serial number written in document block (%s).",
        cardSerial.c_str(), documentSerial.c_str()));
  }
  ActiveAuthentication();
}

void ZKCard::ActiveAuthentication() {
  Operate([&] {
    // Fresh and unpredictable for every run: a known challenge would let a cloned chip
    // replay an answer recorded from the genuine one.
    const ByteArray challenge = RandomChallenge(kChallengeLength);
    RsaSignatureVerifier verifier(u"SHA1");
    SelectApplication();
    const ByteArray signature = verifier.SignOnCard(*channel_, *application_, challenge);

    // The key file is read whole, without block framing, presence test or cache.
    const std::uint16_t keyFileSize =
        CardApplication::GetFileSize(application_->SelectFile(*channel_, ZKBlock::kPublicKey));
    const ByteArray keyFile = application_->ReadFileData(*channel_, 0, keyFileSize);
    if (!verifier.Verify(challenge, signature, keyFile)) throw CardException(u"Active authentication error");
  });
}
