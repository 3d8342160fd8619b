#include "services/error_record.h"

namespace TAVQ {

ErrorRecordStore& PlatformErrorRecordStore() {
  static ThreadErrorRecordStore store;
  return store;
}

}  // namespace TAVQ
