#include "cli/card_reading.h"

#include <memory>
#include <optional>

#include "cli/signer_report.h"
#include "support/exception.h"
#include "support/text.h"
#include "services/doc_read_service.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"

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
    std::optional<Failure> failure;
    try {
      const HRESULT status = call(value);
      if (TAVQ::Failed(status)) failure = FailureOf(status);
    } catch (const CardException& e) {
      // A check of the command line's own on top of the service's result.
      failure = Failure{e.errorCode, TAVQ::ToUtf8(e.message)};
    }
    if (failure) {
      into[key] = ErrorJson(*failure);
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

auto VerifyInto(CDocReadService& service, HRESULT (CDocReadService::*verify)(TAVQ::WString*),
                const TrustAnchors* anchors) {
  return [&service, verify, anchors](Json& value) {
    TAVQ::WString certificate;
    const HRESULT status = (service.*verify)(&certificate);
    if (!TAVQ::Failed(status)) {
      value = Json{{"signerCertificate", TAVQ::ToUtf8(certificate)}, {"signer", SignerJson(certificate, anchors)}};
    }
    return status;
  };
}

// The reader to open: the one asked for, or the one the selection gives.
std::optional<TAVQ::WString> ChooseReader(const ReadRequest& request, ReadOutcome& outcome) {
  if (request.reader) return request.reader;
  TAVQ::CSmartCardService selection;
  TAVQ::WString reader;
  ClearErrorRecord();
  const HRESULT status = selection.SelectReader(&reader);
  if (!TAVQ::Failed(status)) return reader;
  outcome.report = ErrorJson(FailureOf(status));
  outcome.status = status == TAVQ::kSelectionCancelled ? kExitNoReaderSelected : kExitFailure;
  return std::nullopt;
}

}  // namespace

Json ErrorJson(const Failure& failure) {
  return Json{{"error", Json{{"hresult", HResultText(failure.status)}, {"message", failure.message}}}};
}

ReadOutcome ReadCard(const ReadRequest& request) {
  ReadOutcome outcome{Json::object(), kExitSuccess};
  const std::optional<TAVQ::WString> reader = ChooseReader(request, outcome);
  if (!reader) return outcome;

  CDocReadService service;
  ClearErrorRecord();
  if (const HRESULT status = service.InitCard(*reader, request.cardId); TAVQ::Failed(status)) {
    return {ErrorJson(FailureOf(status)), kExitFailure};
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
    const TrustAnchors* anchors = request.trustAnchors.get();
    parts.Add(verification, "document", VerifyInto(service, &CDocReadService::VerifyZKDocumentData, anchors));
    parts.Add(verification, "fixedPerso", VerifyInto(service, &CDocReadService::VerifyZKFixedPersoData, anchors));
    parts.Add(verification, "variableAdmin",
              VerifyInto(service, &CDocReadService::VerifyZKVariableAdminData, anchors));
    parts.Add(verification, "variablePerso",
              VerifyInto(service, &CDocReadService::VerifyZKVariablePersoData, anchors));
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
