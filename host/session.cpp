#include "host/session.h"

#include <new>
#include <variant>

#include "cli/card_reading.h"
#include "host/request.h"

namespace Host {

const char* const kHostVersion = KAVRIN_VERSION;

namespace {

Json RequestError(const std::string& message) { return Cli::ErrorJson({E_INVALIDARG, message}); }

std::string Text(const Json& answer) { return answer.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json Answer(const Request& request, HostServices& services) {
  struct Visitor {
    HostServices& services;
    Json operator()(const VersionRequest&) const { return Json{{"host", kHostName}, {"version", kHostVersion}}; }
    Json operator()(const ListReadersRequest&) const { return services.ReaderList(); }
    Json operator()(const ReadCardRequest& read) const { return services.Read(read.options); }
    Json operator()(const ErrorMessageRequest& lookup) const { return services.ErrorMessage(lookup.code); }
  };
  return std::visit(Visitor{services}, request);
}

Json AnswerJson(const IncomingFrame& frame, HostServices& services) {
  switch (frame.kind) {
    case IncomingFrame::Kind::Truncated:
      // Nothing can be missing from an empty frame: an unknown length means a short header.
      if (frame.declaredLength == 0) return RequestError("The request ends inside its 4-byte length.");
      return RequestError("The request ends before its declared length of " + std::to_string(frame.declaredLength) +
                          " bytes.");
    case IncomingFrame::Kind::TooLong:
      return RequestError("The request is " + std::to_string(frame.declaredLength) + " bytes long; at most " +
                          std::to_string(kMaxRequestBytes) + " are read.");
    case IncomingFrame::Kind::End:
    case IncomingFrame::Kind::Message:
      break;
  }
  try {
    return Answer(ParseRequest(frame.body), services);
  } catch (const BadRequest& e) {
    return RequestError(e.what());
  }
}

}  // namespace

std::string AnswerTo(const IncomingFrame& frame, HostServices& services) {
  std::string answer;
  try {
    answer = Text(AnswerJson(frame, services));
  } catch (const std::bad_alloc&) {
    return Text(Cli::ErrorJson({E_OUTOFMEMORY, "There is not enough memory to answer the request."}));
  }
  if (answer.size() > kMaxAnswerBytes) {
    return Text(Cli::ErrorJson({E_FAIL, "The answer is longer than the " + std::to_string(kMaxAnswerBytes) +
                                            " bytes a browser accepts."}));
  }
  return answer;
}

void Serve(std::istream& in, std::ostream& out, HostServices& services) {
  for (;;) {
    const IncomingFrame frame = ReadFrame(in);
    if (frame.kind == IncomingFrame::Kind::End) return;
    WriteFrame(out, AnswerTo(frame, services));
    if (frame.kind == IncomingFrame::Kind::Truncated || !out) return;
  }
}

}  // namespace Host
