// Module initialisation at process attach: the process-wide values that the
// portable core makes once (time-zone snapshot, encoding tables).
#pragma once

namespace Server {

// False when the module cannot serve; the DLL then refuses to load.
bool InitializeModuleState() noexcept;

}  // namespace Server
