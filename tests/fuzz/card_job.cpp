// The card as an attacker, for the whole job of a front end: open the card (card ID 1,
// 7 or either), read the four blocks and show them as JSON, verify each block, check
// the card's origin, release. Every answer to every command comes from the input,
// whatever the command was; the card may also fail a transmit or leave the reader.
//
// Input: one byte of settings, then the card's answers, each a 2-byte big-endian
// length and that many response bytes; a length with the top bit set is a transmit
// that fails with one of the PC/SC codes below instead.
//   settings bit 0: T=0 (else T=1); bits 1-2: card ID any, 1, 7, any;
//   bit 3: once the answers are used up the card repeats its last one forever (else
//   it leaves the reader).
//
// Besides the sanitizers' findings, a run traps when
// - the job sends more commands than a whole job can need (a loop a card can keep going:
//   the PC/SC aborts);
// - a block reported verified does not hash to its place in a validly signed SOD
//   (checked with OpenSSL's CMS code, not the verification under test);
// - a context, connection or transaction is left open;
// - anything but a status comes out of the services (they throw nothing).
#include <openssl/cms.h>
#include <openssl/sha.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "card/sod_block.h"
#include "card/zk_card.h"
#include "cli/block_json.h"
#include "fakes/answering_card_pcsc.h"
#include "services/doc_read_service.h"
#include "services/error_record.h"
#include "services/service_status.h"
#include "services/user_notifier.h"
#include "support/exception.h"
#include "transport/pcsc_constants.h"

namespace {

using TAVQ::ByteArray;
using TAVQ::CDocReadService;

// Ten files at most (the header under two card IDs, four blocks, three SODs, the key
// file), each two SELECTs and at most 513 READ BINARY chunks of 128 bytes, any command
// sent twice on T=0 (GET RESPONSE or a re-send), plus the origin check's commands.
constexpr std::size_t kMaxCommands = 10 * 2 * (2 + 513) + 64;

const TAVQ::PCSC::Result kFailures[] = {
    TAVQ::PCSC::kRemovedCard,       TAVQ::PCSC::kResetCardWarning, TAVQ::PCSC::Code(0x80100016u),
    TAVQ::PCSC::kUnresponsiveCard,  TAVQ::PCSC::kNoSmartcard,      TAVQ::PCSC::kInsufficientBuffer,
    TAVQ::PCSC::Code(0x8010000Au),  TAVQ::PCSC::kInvalidHandle,
};

// Which SOD covers a block and where its hash stands (the card's file layout).
struct SodPlace {
  std::uint16_t sod;
  std::size_t position;
};
const std::map<std::uint16_t, SodPlace> kSodPlaces{
    {ZKBlock::kDocument, {0x0D05, 1}},
    {ZKBlock::kFixedPerso, {0x0D05, 2}},
    {ZKBlock::kVariablePerso, {0x0D06, 0}},
    {ZKBlock::kVariableAdmin, {0x0D09, 0}},
};

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "card_job: %s\n", what);
  __builtin_trap();
}

struct Settings {
  std::uint32_t protocol;
  std::uint16_t cardId;
  Fakes::AnsweringCardPCSC::WhenExhausted whenExhausted;
};

Settings ReadSettings(std::uint8_t byte) {
  static const std::uint16_t cardIds[] = {0xFFFF, 1, 7, 0xFFFF};
  return {(byte & 1) != 0 ? TAVQ::PCSC::kProtocolT0 : TAVQ::PCSC::kProtocolT1, cardIds[(byte >> 1) & 3],
          (byte & 8) != 0 ? Fakes::AnsweringCardPCSC::WhenExhausted::RepeatLast
                          : Fakes::AnsweringCardPCSC::WhenExhausted::Leave};
}

std::deque<Fakes::CardAnswer> ReadAnswers(const std::uint8_t* data, std::size_t size) {
  std::deque<Fakes::CardAnswer> answers;
  std::size_t at = 0;
  while (at + 2 <= size) {
    const unsigned length = static_cast<unsigned>(data[at] << 8 | data[at + 1]);
    at += 2;
    if ((length & 0x8000) != 0) {
      answers.push_back({{}, kFailures[length % (sizeof kFailures / sizeof kFailures[0])]});
      continue;
    }
    const std::size_t take = std::min<std::size_t>(length, size - at);
    answers.push_back({ByteArray(data + at, data + at + take), 0});
    at += take;
  }
  return answers;
}

// The signed content of the SOD, or nothing when its signature does not verify.
bool SignedContent(const ByteArray& sodBytes, std::uint16_t sodId, ByteArray* content) {
  SodBlock sod(sodId);
  try {
    sod.Decode(sodBytes);
  } catch (const TAVQ::Exception&) {
    return false;
  }
  const ByteArray der = sod.SignedData().GetValue();
  // CARD_JOB_SOD=FILE keeps the last SOD looked at, for the analysis of a finding.
  if (const char* keep = std::getenv("CARD_JOB_SOD")) {
    if (FILE* file = std::fopen(keep, "wb")) {
      std::fwrite(der.data(), 1, der.size(), file);
      std::fclose(file);
    }
  }
  const unsigned char* cursor = der.data();
  std::unique_ptr<CMS_ContentInfo, decltype(&CMS_ContentInfo_free)> cms(
      d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())), &CMS_ContentInfo_free);
  if (!cms) return false;
  std::unique_ptr<BIO, decltype(&BIO_free)> out(BIO_new(BIO_s_mem()), &BIO_free);
  if (CMS_verify(cms.get(), nullptr, nullptr, nullptr, out.get(), CMS_NO_SIGNER_CERT_VERIFY | CMS_BINARY) != 1) {
    return false;
  }
  char* bytes = nullptr;
  const long length = BIO_get_mem_data(out.get(), &bytes);
  content->assign(bytes, bytes + length);
  return true;
}

void CheckVerified(ZKCard& card, std::uint16_t blockId) {
  const SodPlace& place = kSodPlaces.at(blockId);
  // Both are cached by the verification: no command goes out here.
  const ByteArray block = card.ReadBlockBytes(blockId);
  ByteArray content;
  if (!SignedContent(card.ReadBlockBytes(place.sod), place.sod, &content)) {
    Finding("a block was reported verified against an SOD whose signature does not verify");
  }
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(block.data(), block.size(), digest);
  const std::size_t start = place.position * SHA256_DIGEST_LENGTH;
  if (content.size() < start + SHA256_DIGEST_LENGTH ||
      std::memcmp(content.data() + start, digest, SHA256_DIGEST_LENGTH) != 0) {
    Finding("a block was reported verified but does not hash to its place in the SOD");
  }
}

template <class Object>
void ReadAndShow(CDocReadService& service, HRESULT (CDocReadService::*read)(std::unique_ptr<Object>*)) {
  std::unique_ptr<Object> block;
  if (TAVQ::Failed((service.*read)(&block))) return;
  if (!block) Finding("a read succeeded without a block");
  (void)Cli::ToJson(*block).dump(-1, ' ', false, Cli::Json::error_handler_t::replace);
}

void Verify(CDocReadService& service, ZKCard* card, std::uint16_t blockId,
            HRESULT (CDocReadService::*verify)(TAVQ::WString*)) {
  TAVQ::WString certificate;
  if (TAVQ::Failed((service.*verify)(&certificate))) return;
  if (card == nullptr) Finding("a verification succeeded without a card");
  CheckVerified(*card, blockId);
}

void RunJob(const Settings& settings) {
  ZKCard* opened = nullptr;  // the card the service holds, for the checks above
  CDocReadService service(TAVQ::DocReadServiceIdentity(), [&opened](const TAVQ::WString& reader, std::uint16_t id) {
    auto card = CDocReadService::OpenCard(reader, id);
    opened = card.get();
    return card;
  });
  if (TAVQ::Failed(service.InitCard(Fakes::AnsweringCardPCSC::kReader, settings.cardId))) return;
  ReadAndShow(service, &CDocReadService::ReadZKDocumentData);
  ReadAndShow(service, &CDocReadService::ReadZKFixedPersoData);
  ReadAndShow(service, &CDocReadService::ReadZKVariableAdminData);
  ReadAndShow(service, &CDocReadService::ReadZKVariablePersoData);
  Verify(service, opened, ZKBlock::kDocument, &CDocReadService::VerifyZKDocumentData);
  Verify(service, opened, ZKBlock::kFixedPerso, &CDocReadService::VerifyZKFixedPersoData);
  Verify(service, opened, ZKBlock::kVariableAdmin, &CDocReadService::VerifyZKVariableAdminData);
  Verify(service, opened, ZKBlock::kVariablePerso, &CDocReadService::VerifyZKVariablePersoData);
  service.CheckCardOrigin();
  service.ReleaseCard();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static TAVQ::ThreadErrorRecordStore errorRecords;
  TAVQ::InstallErrorRecordStore(&errorRecords);
  TAVQ::InstallUserNotifier(&TAVQ::QuietUserNotifier());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Settings settings = ReadSettings(data[0]);
  Fakes::AnsweringCardPCSC pcsc(settings.protocol, ReadAnswers(data + 1, size - 1), settings.whenExhausted,
                                kMaxCommands);
  try {
    RunJob(settings);
  } catch (...) {
    Finding("an exception left the services");
  }
  if (pcsc.OpenContexts() != 0 || pcsc.OpenCards() != 0 || pcsc.OpenTransactions() != 0) {
    Finding("a context, connection or transaction was left open");
  }
  return 0;
}
