#include <functional>
#include <optional>

#include "cli/service_answers.h"
#include "host/host_services.h"
#include "services/card_deadline.h"

namespace Host {

namespace {

// A card or reader that stops answering must not hold the browser's call for ever: past
// this, the answer is the deadline's error (as kavrin-hc's default --timeout).
constexpr unsigned kCardDeadlineSeconds = 30;

Json WithinDeadline(std::function<Json()> work) {
  const auto deadline = TAVQ::CardDeadline::Seconds(kCardDeadlineSeconds);
  if (std::optional<Json> answer = deadline.Run(std::move(work))) return std::move(*answer);
  return Cli::ErrorJson({TAVQ::CardDeadline::kStatus, deadline.Message()});
}

}  // namespace

Json CardServices::ReaderList() {
  return WithinDeadline([] { return Cli::ReaderList().json; });
}

Json CardServices::Read(const Cli::ReadRequest& request) {
  return WithinDeadline([request] { return Cli::ReadCard(request).report; });
}

Json CardServices::ErrorMessage(std::int32_t code) { return Cli::ErrorMessageOf(code).json; }

}  // namespace Host
