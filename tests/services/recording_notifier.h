// Test doubles for the user notification and the thread's error record: each report
// is counted and kept, and both are installed for the lifetime of a test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "services/error_record.h"
#include "services/user_notifier.h"

namespace TAVQ {

class RecordingNotifier : public UserNotifier {
 public:
  void Notify(const WString& description) noexcept override { shown.push_back(description); }
  std::vector<WString> shown;
};

// Installs a recording notifier and a clean per-thread error record for each test.
class ReportingTest : public ::testing::Test {
 protected:
  ReportingTest() : previousStore_(InstallErrorRecordStore(&store_)) { ThreadErrorRecordStore::Clear(); }
  ~ReportingTest() override {
    InstallErrorRecordStore(previousStore_);
    ThreadErrorRecordStore::Clear();
  }

  static std::optional<ErrorRecord> Record() { return ThreadErrorRecordStore::Current(); }

  RecordingNotifier notifier_;
  ScopedUserNotifier scopedNotifier_{notifier_};

 private:
  ThreadErrorRecordStore store_;
  ErrorRecordStore* previousStore_;
};

}  // namespace TAVQ
