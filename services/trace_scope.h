// The call trace every service method opens. Lines go to the process-wide trace
// sink; with no sink installed (the normal case) nothing is formatted at all.
#pragma once

#include "support/hresult.h"
#include "support/types.h"

namespace TAVQ {

// Receives one line per method entry and exit. Must not throw.
using TraceSink = void (*)(const WString& line);

// Installs a sink for the whole process (null removes it); returns the previous one.
TraceSink InstallTraceSink(TraceSink sink);

class TraceScope {
 public:
  // Writes "Enter <name>".
  explicit TraceScope(const char* name);
  // Writes "Enter <name> <arguments>", the arguments formatted printf-style with
  // narrow rules (%S prints a const char16_t* wide string).
  TraceScope(const char* name, const char* argumentFormat, ...);
  // Writes "Exit <name> result=<result>".
  ~TraceScope();

  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

  // Records the method's status and hands it back, for `return trace.Result(status);`.
  HRESULT Result(HRESULT status) {
    result_ = status;
    return status;
  }

 private:
  const char* name_;
  HRESULT result_ = S_OK;
};

}  // namespace TAVQ
