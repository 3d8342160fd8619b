#include "cli/card_reading.h"

#include <memory>

#include "card/card_session.h"
#include "card/zk_card.h"
#include "cli/reader_choice.h"
#include "services/doc_read_service.h"
#include "services/service_identity.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "support/text.h"
#include "transport/card_channel.h"
#include "transport/pcsc_card_connection.h"
#include "transport/pcsc_constants.h"
#include "transport/pcsc_context.h"

namespace Cli {

namespace {

using TAVQ::CDocReadService;

// Collects the parts of the report and remembers whether any of them failed.
class Report {
 public:
  template <class Call>
  void Add(Json& into, const char* key, Call call) {
    ClearErrorRecord();
    Json value;
    const HRESULT status = call(value);
    if (TAVQ::Failed(status)) {
      into[key] = ErrorJson(FailureOf(status));
      failed_ = true;
    } else {
      into[key] = std::move(value);
    }
  }
  bool Failed() const { return failed_; }

 private:
  bool failed_ = false;
};

template <class Object>
auto ReadInto(CDocReadService& service, HRESULT (CDocReadService::*read)(std::unique_ptr<Object>*)) {
  return [&service, read](Json& value) {
    std::unique_ptr<Object> block;
    const HRESULT status = (service.*read)(&block);
    if (!TAVQ::Failed(status)) value = ToJson(*block);
    return status;
  };
}

auto VerifyInto(CDocReadService& service, HRESULT (CDocReadService::*verify)(TAVQ::WString*)) {
  return [&service, verify](Json& value) {
    TAVQ::WString certificate;
    const HRESULT status = (service.*verify)(&certificate);
    if (!TAVQ::Failed(status)) value = Json{{"signerCertificate", TAVQ::ToUtf8(certificate)}};
    return status;
  };
}

// The whole job on one PC/SC context, established by the first call that needs it so
// that its failure is reported like any other, and on one card session: one
// connection and one transaction for everything read, verified and checked.
class CardJob {
 public:
  TAVQ::PCSC::PCSCContext& context() { return context_; }

  // For CDocReadService: the card application on the job's session, opened on the
  // first call (the second application of card ID "any" shares it).
  std::unique_ptr<ZKCard> OpenCard(const TAVQ::WString& readerName, std::uint16_t cardId) {
    if (!session_) {
      if (!context_.established()) context_.Establish(TAVQ::PCSC::kScopeUser);
      session_ = std::make_shared<CardSession>(std::make_shared<SmartCardIO::PCSCCardChannel>(
          readerName, std::make_unique<TAVQ::PCSC::PCSCCardConnection>(readerName, context_.Borrow())));
    }
    return std::make_unique<ZKCard>(session_, cardId);
  }

 private:
  TAVQ::PCSC::PCSCContext context_;  // declared first: outlives the session that borrows it
  std::shared_ptr<CardSession> session_;
};

// The reader to open: the one asked for, or the one the selection gives.
std::optional<TAVQ::WString> ReaderToOpen(const ReadRequest& request, CardJob& job, ReadOutcome& outcome) {
  if (request.reader) return request.reader;
  ReaderChoice choice = ChooseReader(&job.context());
  if (!choice.reader) outcome = {ErrorJson(choice.failure), choice.status};
  return choice.reader;
}

// pcsc-lite refuses a reader name longer than its maximum with no more than "Invalid
// value given."; say what was wrong with it.
Failure OpenFailure(HRESULT status, const TAVQ::WString& reader) {
  constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80100011u);
  constexpr std::size_t kMaxReaderName = 128;  // bytes of UTF-8
  const std::size_t length = TAVQ::ToUtf8(reader).size();
  if (status == kInvalidValue && length > kMaxReaderName) {
    return {status, "The reader name is too long: " + std::to_string(length) + " bytes, PC/SC takes at most " +
                        std::to_string(kMaxReaderName) + "."};
  }
  return FailureOf(status);
}

}  // namespace

Json ErrorJson(const Failure& failure) {
  return Json{{"error", Json{{"hresult", HResultText(failure.status)}, {"message", failure.message}}}};
}

ReadOutcome ReadCard(const ReadRequest& request) {
  ReadOutcome outcome{Json::object(), kExitSuccess};
  CardJob job;
  const std::optional<TAVQ::WString> reader = ReaderToOpen(request, job, outcome);
  if (!reader) return outcome;

  CDocReadService service(TAVQ::DocReadServiceIdentity(),
                          [&job](const TAVQ::WString& readerName, std::uint16_t cardId) {
                            return job.OpenCard(readerName, cardId);
                          });
  ClearErrorRecord();
  if (const HRESULT status = service.InitCard(*reader, request.cardId); TAVQ::Failed(status)) {
    return {ErrorJson(OpenFailure(status, *reader)), kExitFailure};
  }

  Json& report = outcome.report;
  report["reader"] = TAVQ::ToUtf8(*reader);
  report["cardId"] = service.CardId();
  Report parts;
  parts.Add(report, "document", ReadInto(service, &CDocReadService::ReadZKDocumentData));
  parts.Add(report, "fixedPerso", ReadInto(service, &CDocReadService::ReadZKFixedPersoData));
  parts.Add(report, "variableAdmin", ReadInto(service, &CDocReadService::ReadZKVariableAdminData));
  parts.Add(report, "variablePerso", ReadInto(service, &CDocReadService::ReadZKVariablePersoData));

  if (request.verify) {
    Json verification = Json::object();
    parts.Add(verification, "document", VerifyInto(service, &CDocReadService::VerifyZKDocumentData));
    parts.Add(verification, "fixedPerso", VerifyInto(service, &CDocReadService::VerifyZKFixedPersoData));
    parts.Add(verification, "variableAdmin", VerifyInto(service, &CDocReadService::VerifyZKVariableAdminData));
    parts.Add(verification, "variablePerso", VerifyInto(service, &CDocReadService::VerifyZKVariablePersoData));
    report["verification"] = std::move(verification);
  }
  if (request.checkOrigin) {
    parts.Add(report, "origin", [&service](Json& value) {
      const HRESULT status = service.CheckCardOrigin();
      value = "ok";
      return status;
    });
  }
  service.ReleaseCard();
  outcome.status = parts.Failed() ? kExitPartialFailure : kExitSuccess;
  return outcome;
}

}  // namespace Cli
