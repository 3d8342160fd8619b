#include "cli/service_answers.h"

#include "cli/card_reading.h"
#include "cli/service_call.h"
#include "services/service_status.h"
#include "services/smart_card_service.h"
#include "services/utilities_service.h"
#include "support/exception.h"
#include "support/text.h"

namespace Cli {

Answer ReaderList() {
  TAVQ::CSmartCardService service;
  TAVQ::StringList readers;
  ClearErrorRecord();
  if (const HRESULT status = service.ListReaders(&readers); TAVQ::Failed(status)) {
    return {ErrorJson(FailureOf(status)), kExitFailure};
  }
  Json names = Json::array();
  for (const TAVQ::WString& reader : readers) names.push_back(TAVQ::ToUtf8(reader));
  return {Json{{"readers", std::move(names)}}, kExitSuccess};
}

Answer ErrorMessageOf(std::int32_t code) {
  TAVQ::CUtilitiesService utilities;
  TAVQ::WString message;
  if (const HRESULT status = utilities.GetErrorMessage(code, &message); TAVQ::Failed(status)) {
    return {ErrorJson({status, TAVQ::ToUtf8(TAVQ::SystemMessage(status))}), kExitFailure};
  }
  return {Json{{"code", HResultText(code)}, {"message", TAVQ::ToUtf8(message)}}, kExitSuccess};
}

}  // namespace Cli
