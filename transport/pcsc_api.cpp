#include "transport/pcsc_api.h"

#include <atomic>

namespace TAVQ {
namespace PCSC {

namespace {
std::atomic<PCSCApi*> installed{nullptr};
}

PCSCApi::~PCSCApi() = default;

PCSCApi& Api() {
  PCSCApi* api = installed.load(std::memory_order_acquire);
  return api != nullptr ? *api : PlatformApi();
}

ScopedApi::ScopedApi(PCSCApi& api) : previous_(installed.exchange(&api, std::memory_order_acq_rel)) {}

ScopedApi::~ScopedApi() { installed.store(previous_, std::memory_order_release); }

}  // namespace PCSC
}  // namespace TAVQ
