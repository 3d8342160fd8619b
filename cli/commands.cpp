#include "cli/commands.h"

#include "cli/card_reading.h"
#include "cli/service_answers.h"
#include "cli/reader_choice.h"
#include "cli/service_call.h"
#include "cli/text_report.h"
#include "support/text.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"

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

// A failed answer: its error object as JSON, or its message as text.
ExitStatus Fail(const Options& options, const Answer& answer, std::ostream& out, std::ostream& err) {
  if (options.json) {
    WriteJson(out, answer.json);
  } else {
    const Json& error = answer.json.at("error");
    err << "kavrin-hc: " << error.at("message").get<std::string>() << " (" << error.at("hresult").get<std::string>()
        << ")\n";
  }
  return answer.status;
}

}  // namespace

ExitStatus ListReadersCommand(const Options& options, std::ostream& out, std::ostream& err) {
  const Answer answer = ReaderList();
  if (answer.status != kExitSuccess) return Fail(options, answer, out, err);
  if (options.json) {
    WriteJson(out, answer.json);
  } else {
    for (const Json& reader : answer.json.at("readers")) out << reader.get<std::string>() << '\n';
  }
  return kExitSuccess;
}

ExitStatus SelectReaderCommand(const Options& options, std::ostream& out, std::ostream& err) {
  const ReaderChoice choice = ChooseReader();
  if (!choice.reader) return Fail(options, choice.failure, choice.status, out, err);
  if (options.json) {
    WriteJson(out, Json{{"reader", TAVQ::ToUtf8(*choice.reader)}});
  } else {
    out << TAVQ::ToUtf8(*choice.reader) << '\n';
  }
  return kExitSuccess;
}

ExitStatus ReadCommand(const Options& options, std::ostream& out, std::ostream& err) {
  ReadRequest request;
  if (options.reader) request.reader = TAVQ::FromUtf8(*options.reader);
  request.cardId = options.cardId;
  request.verify = options.verify;
  request.checkOrigin = options.checkOrigin;

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
  const Answer answer = ErrorMessageOf(options.code);
  if (answer.status != kExitSuccess) return Fail(options, answer, out, err);
  if (options.json) {
    WriteJson(out, answer.json);
  } else {
    out << answer.json.at("message").get<std::string>() << '\n';
  }
  return kExitSuccess;
}

}  // namespace Cli
