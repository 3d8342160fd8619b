#include "server/module_init.h"


namespace Server {

bool InitializeModuleState() noexcept {
  try {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace Server
