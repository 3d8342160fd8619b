#include "cli/commands.h"

#include "cli/card_reading.h"
#include "cli/service_call.h"
#include "cli/signer_report.h"
#include "cli/text_report.h"
#include "support/text.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "services/utilities_service.h"
#include "support/exception.h"

namespace Cli {

namespace {

constexpr int kJsonIndent = 2;

void WriteJson(std::ostream& out, const Json& json) { out << json.dump(kJsonIndent, ' ', false, Json::error_handler_t::replace) << '\n'; }

ExitStatus Fail(const Options& options, const Failure& failure, ExitStatus status, std::ostream& out,
                std::ostream& err) {
  if (options.json) {
    WriteJson(out, ErrorJson(failure));
  } else {
    err << "kavrin-hc: " << failure.message << " (" << HResultText(failure.status) << ")\n";
  }
  return status;
}

}  // namespace

ExitStatus ListReadersCommand(const Options& options, std::ostream& out, std::ostream& err) {
  TAVQ::CSmartCardService service;
  TAVQ::StringList readers;
  ClearErrorRecord();
  if (const HRESULT status = service.ListReaders(&readers); TAVQ::Failed(status)) {
    return Fail(options, FailureOf(status), kExitFailure, out, err);
  }
  if (options.json) {
    Json names = Json::array();
    for (const TAVQ::WString& reader : readers) names.push_back(TAVQ::ToUtf8(reader));
    WriteJson(out, Json{{"readers", names}});
  } else {
    for (const TAVQ::WString& reader : readers) out << TAVQ::ToUtf8(reader) << '\n';
  }
  return kExitSuccess;
}

ExitStatus SelectReaderCommand(const Options& options, std::ostream& out, std::ostream& err) {
  TAVQ::CSmartCardService service;
  TAVQ::WString reader;
  ClearErrorRecord();
  if (const HRESULT status = service.SelectReader(&reader); TAVQ::Failed(status)) {
    const ExitStatus exit = status == TAVQ::kSelectionCancelled ? kExitNoReaderSelected : kExitFailure;
    return Fail(options, FailureOf(status), exit, out, err);
  }
  if (options.json) {
    WriteJson(out, Json{{"reader", TAVQ::ToUtf8(reader)}});
  } else {
    out << TAVQ::ToUtf8(reader) << '\n';
  }
  return kExitSuccess;
}

ExitStatus ReadCommand(const Options& options, std::ostream& out, std::ostream& err) {
  ReadRequest request;
  if (options.reader) request.reader = TAVQ::FromUtf8(*options.reader);
  request.cardId = options.cardId;
  request.verify = options.verify;
  request.checkOrigin = options.checkOrigin;
  if (options.trustAnchors) {
    // Before any card work: a file that cannot serve stops the command.
    try {
      request.trustAnchors = std::make_shared<const TrustAnchors>(LoadTrustAnchors(*options.trustAnchors));
    } catch (const CardException& e) {
      return Fail(options, {e.errorCode, TAVQ::ToUtf8(e.message)}, kExitFailure, out, err);
    }
  }

  const ReadOutcome outcome = ReadCard(request);
  if (options.json) {
    WriteJson(out, outcome.report);
  } else if (outcome.report.contains("error")) {
    const Json& error = outcome.report.at("error");
    err << "kavrin-hc: " << error.at("message").get<std::string>() << " (" << error.at("hresult").get<std::string>()
        << ")\n";
  } else {
    out << TextReport(outcome.report);
  }
  return outcome.status;
}

ExitStatus MessageCommand(const Options& options, std::ostream& out, std::ostream& err) {
  TAVQ::CUtilitiesService utilities;
  TAVQ::WString message;
  if (const HRESULT status = utilities.GetErrorMessage(options.code, &message); TAVQ::Failed(status)) {
    return Fail(options, {status, TAVQ::ToUtf8(TAVQ::SystemMessage(status))}, kExitFailure, out, err);
  }
  if (options.json) {
    WriteJson(out, Json{{"code", HResultText(options.code)}, {"message", TAVQ::ToUtf8(message)}});
  } else {
    out << TAVQ::ToUtf8(message) << '\n';
  }
  return kExitSuccess;
}

}  // namespace Cli
