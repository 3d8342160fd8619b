// The thread's error record that a failure report leaves behind for the caller: the
// COM error object on Windows, a per-thread record elsewhere. Replaceable per thread.
#pragma once

#include <optional>

#include "services/guid.h"
#include "services/service_identity.h"
#include "support/types.h"

namespace TAVQ {

struct ErrorRecord {
  Guid interfaceId;
  WString source;  // the ProgID of the reporting class; empty when none is known
  WString description;
};

class ErrorRecordStore {
 public:
  virtual ~ErrorRecordStore() = default;
  // Makes (the reporter's interface id, the ProgID of its class, description) the
  // calling thread's error record. False when no record could be made; the thread's
  // previous record then stays in place. Must not throw.
  virtual bool Publish(const ServiceIdentity& reporter, const WString& description) noexcept = 0;
};

// Keeps the last published record of each thread in memory; the ProgID is the one
// the identity carries. The platform store off Windows.
class ThreadErrorRecordStore : public ErrorRecordStore {
 public:
  bool Publish(const ServiceIdentity& reporter, const WString& description) noexcept override;

  // The calling thread's last record, if any, and its removal.
  static std::optional<ErrorRecord> Current();
  static void Clear();
};

// The platform's store: the COM error object on Windows, ThreadErrorRecordStore elsewhere.
ErrorRecordStore& PlatformErrorRecordStore();

// The calling thread's store; the platform's until another is installed on this thread.
ErrorRecordStore& CurrentErrorRecordStore();

// Installs a store for the calling thread (null restores the platform's); returns the
// previous one. The caller keeps ownership.
ErrorRecordStore* InstallErrorRecordStore(ErrorRecordStore* store);

}  // namespace TAVQ
