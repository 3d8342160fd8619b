#include "cli/service_answers.h"
#include "host/host_services.h"

namespace Host {

Json CardServices::ReaderList() { return Cli::ReaderList().json; }

Json CardServices::Read(const Cli::ReadRequest& request) { return Cli::ReadCard(request).report; }

Json CardServices::ErrorMessage(std::int32_t code) { return Cli::ErrorMessageOf(code).json; }

}  // namespace Host
