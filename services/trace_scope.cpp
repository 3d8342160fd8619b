#include "services/trace_scope.h"

#include <atomic>
#include <cstdarg>
#include <string>

#include "support/format.h"

namespace TAVQ {

namespace {

std::atomic<TraceSink> installedSink{nullptr};

void Write(TraceSink sink, const WString& line) noexcept {
  try {
    sink(line);
  } catch (...) {
    // Tracing never changes the outcome of a method.
  }
}

}  // namespace

TraceSink InstallTraceSink(TraceSink sink) { return installedSink.exchange(sink); }

TraceScope::TraceScope(const char* name) : name_(name) {
  if (TraceSink sink = installedSink.load()) {
    try {
      Write(sink, FormatString(u"Enter %hs", name_));
    } catch (...) {
    }
  }
}

TraceScope::TraceScope(const char* name, const char* argumentFormat, ...) : name_(name) {
  if (TraceSink sink = installedSink.load()) {
    va_list args;
    va_start(args, argumentFormat);
    try {
      const std::string arguments = VFormatString(argumentFormat, args);
      Write(sink, FormatString(u"Enter %hs %hs", name_, arguments.c_str()));
    } catch (...) {
    }
    va_end(args);
  }
}

TraceScope::~TraceScope() {
  if (TraceSink sink = installedSink.load()) {
    try {
      Write(sink, FormatString(u"Exit %hs result=%d", name_, static_cast<int>(result_)));
    } catch (...) {
    }
  }
}

}  // namespace TAVQ
