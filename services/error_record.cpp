#include "services/error_record.h"

#include <new>

namespace TAVQ {

namespace {

thread_local std::optional<ErrorRecord> threadRecord;
thread_local ErrorRecordStore* installedStore = nullptr;

}  // namespace

bool ThreadErrorRecordStore::Publish(const ServiceIdentity& reporter, const WString& description) noexcept {
  try {
    ErrorRecord record{reporter.interfaceId, reporter.progId != nullptr ? WString(reporter.progId) : WString(),
                       description};
    threadRecord = std::move(record);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::optional<ErrorRecord> ThreadErrorRecordStore::Current() { return threadRecord; }

void ThreadErrorRecordStore::Clear() { threadRecord.reset(); }

ErrorRecordStore& CurrentErrorRecordStore() {
  return installedStore != nullptr ? *installedStore : PlatformErrorRecordStore();
}

ErrorRecordStore* InstallErrorRecordStore(ErrorRecordStore* store) {
  ErrorRecordStore* previous = installedStore;
  installedStore = store;
  return previous;
}

}  // namespace TAVQ
