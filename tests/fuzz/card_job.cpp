// The card as an attacker for a front end's whole job. Input: a settings byte (bit 0
// T=0, bits 1-2 card ID any/1/7/any, bit 3 repeat the last answer when used up, else
// leave), then answers of a 2-byte length and bytes (top bit: a PC/SC failure). Traps on
// too many commands, a block reported verified that does not hash into its validly
// signed SOD, a context, connection or transaction left open, or an escaping exception.
#include <openssl/cms.h>
#include <openssl/sha.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
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
#include "transport/pcsc_constants.h"

namespace {

using TAVQ::ByteArray;
using TAVQ::CDocReadService;

// Ten files, each two SELECTs and 513 READ BINARY chunks, all doubled on T=0, and the origin check.
constexpr std::size_t kMaxCommands = 10 * 2 * (2 + 513) + 64;

const TAVQ::PCSC::Result kFailures[] = {TAVQ::PCSC::kRemovedCard, TAVQ::PCSC::kResetCardWarning,
                                        TAVQ::PCSC::Code(0x80100016u), TAVQ::PCSC::kUnresponsiveCard,
                                        TAVQ::PCSC::kNoSmartcard, TAVQ::PCSC::kInsufficientBuffer,
                                        TAVQ::PCSC::Code(0x8010000Au), TAVQ::PCSC::kInvalidHandle};

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "card_job: %s\n", what);
  __builtin_trap();
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

// The signed content of the SOD (one the services verified, so it decodes), or nothing
// when its signature does not verify.
bool SignedContent(const ByteArray& sodBytes, std::uint16_t sodId, ByteArray* content) {
  SodBlock sod(sodId);
  sod.Decode(sodBytes);
  const ByteArray der = sod.SignedData().GetValue();
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

// The block and its SOD (its hash at position) are cached once verified: no command goes out.
void Verify(CDocReadService& service, ZKCard* card, HRESULT (CDocReadService::*verify)(TAVQ::WString*),
            std::uint16_t blockId, std::uint16_t sod, std::size_t position) {
  TAVQ::WString certificate;
  if (TAVQ::Failed((service.*verify)(&certificate))) return;
  if (card == nullptr) Finding("a verification succeeded without a card");
  const ByteArray block = card->ReadBlockBytes(blockId);
  ByteArray content;
  if (!SignedContent(card->ReadBlockBytes(sod), sod, &content)) {
    Finding("a block was reported verified against an SOD whose signature does not verify");
  }
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(block.data(), block.size(), digest);
  const std::size_t start = position * SHA256_DIGEST_LENGTH;
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

void RunJob(std::uint16_t cardId) {
  ZKCard* opened = nullptr;
  CDocReadService service(TAVQ::DocReadServiceIdentity(), [&opened](const TAVQ::WString& reader, std::uint16_t id) {
    auto card = CDocReadService::OpenCard(reader, id);
    opened = card.get();
    return card;
  });
  if (TAVQ::Failed(service.InitCard(Fakes::AnsweringCardPCSC::kReader, cardId))) return;
  ReadAndShow(service, &CDocReadService::ReadZKDocumentData);
  ReadAndShow(service, &CDocReadService::ReadZKFixedPersoData);
  ReadAndShow(service, &CDocReadService::ReadZKVariableAdminData);
  ReadAndShow(service, &CDocReadService::ReadZKVariablePersoData);
  Verify(service, opened, &CDocReadService::VerifyZKDocumentData, ZKBlock::kDocument, 0x0D05, 1);
  Verify(service, opened, &CDocReadService::VerifyZKFixedPersoData, ZKBlock::kFixedPerso, 0x0D05, 2);
  Verify(service, opened, &CDocReadService::VerifyZKVariableAdminData, ZKBlock::kVariableAdmin, 0x0D09, 0);
  Verify(service, opened, &CDocReadService::VerifyZKVariablePersoData, ZKBlock::kVariablePerso, 0x0D06, 0);
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
  using Exhausted = Fakes::AnsweringCardPCSC::WhenExhausted;
  static const std::uint16_t cardIds[] = {0xFFFF, 1, 7, 0xFFFF};
  Fakes::AnsweringCardPCSC pcsc((data[0] & 1) != 0 ? TAVQ::PCSC::kProtocolT0 : TAVQ::PCSC::kProtocolT1,
                                ReadAnswers(data + 1, size - 1),
                                (data[0] & 8) != 0 ? Exhausted::RepeatLast : Exhausted::Leave, kMaxCommands);
  try {
    RunJob(cardIds[(data[0] >> 1) & 3]);
  } catch (...) {
    Finding("an exception left the services");
  }
  if (pcsc.OpenContexts() != 0 || pcsc.OpenCards() != 0 || pcsc.OpenTransactions() != 0) {
    Finding("a context, connection or transaction was left open");
  }
  return 0;
}
