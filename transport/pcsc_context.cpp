#include "transport/pcsc_context.h"

#include <algorithm>

#include "support/exception.h"
#include "transport/pcsc_constants.h"

namespace TAVQ {
namespace PCSC {

PCSCContext::PCSCContext(PCSCContext&& other) noexcept
    : established_(other.established_), attached_(other.attached_), handle_(other.handle_) {
  other.established_ = false;
  other.attached_ = false;
  other.handle_ = 0;
}

PCSCContext::~PCSCContext() {
  if (!established_ || attached_) return;
  try {
    Release();
  } catch (const PCSCWin32Exception&) {
    // A context that will not release is gone with the process anyway.
  }
}

PCSCContext PCSCContext::Borrow() const {
  PCSCContext copy;
  copy.established_ = established_;
  copy.attached_ = true;
  copy.handle_ = handle_;
  return copy;
}

void PCSCContext::Establish(std::uint32_t scope) {
  if (established_ || attached_) throw PCSCWin32Exception("PCSCContext::Establish", kInternalError);
  ContextHandle handle = 0;
  CheckResult("SCardEstablishContext", Api().EstablishContext(scope, nullptr, nullptr, &handle));
  handle_ = handle;
  established_ = true;
}

void PCSCContext::Release() {
  if (!established_ || attached_) throw PCSCWin32Exception("PCSCContext::Release", kInternalError);
  CheckResult("SCardReleaseContext", Api().ReleaseContext(handle_));
  handle_ = 0;
  established_ = false;
}

StringList PCSCContext::ListReaders() const {
  char16_t* readers = nullptr;
  std::uint32_t length = kAutoAllocate;
  const Result result = Api().ListReaders(handle_, nullptr, &readers, &length);
  if (result == kNoReadersAvailable || result == kNoService || result == kServiceStopped) return {};
  CheckResult("SCardListReaders", result);
  if (readers == nullptr) return {};

  // The buffer goes back to PC/SC whatever happens while it is read.
  StringList names;
  try {
    names = SplitMultiString(readers, length);
  } catch (...) {
    Api().FreeMemory(handle_, readers);
    throw;
  }
  CheckResult("SCardFreeMemory", Api().FreeMemory(handle_, readers));
  return names;
}

StringList SplitMultiString(const char16_t* multiString, std::size_t length) {
  StringList names;
  if (multiString == nullptr) return names;
  const char16_t* const end = multiString + length;
  for (const char16_t* name = multiString; name != end && *name != 0;) {
    const char16_t* terminator = std::find(name, end, u'\0');
    names.emplace_back(name, terminator);
    name = terminator == end ? end : terminator + 1;
  }
  return names;
}

}  // namespace PCSC
}  // namespace TAVQ
