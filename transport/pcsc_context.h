// A PC/SC resource-manager context, owned or borrowed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/types.h"
#include "transport/pcsc_api.h"

namespace TAVQ {
namespace PCSC {

class PCSCContext {
 public:
  PCSCContext() = default;
  PCSCContext(PCSCContext&& other) noexcept;
  PCSCContext& operator=(PCSCContext&&) = delete;
  PCSCContext(const PCSCContext&) = delete;
  PCSCContext& operator=(const PCSCContext&) = delete;
  // Releases an owned, established context, swallowing a failure.
  ~PCSCContext();

  // A copy of this context's handle that never establishes nor releases it. The owner
  // must outlive every borrowed copy.
  PCSCContext Borrow() const;

  // scope: kScopeUser or kScopeSystem.
  void Establish(std::uint32_t scope);
  void Release();

  // The readers of all groups in the resource manager's order; no readers, no
  // service and a stopped service give an empty list.
  StringList ListReaders() const;

  bool established() const { return established_; }
  bool attached() const { return attached_; }
  ContextHandle handle() const { return handle_; }

 private:
  bool established_ = false;
  bool attached_ = false;
  ContextHandle handle_ = 0;
};

// The names of a multi-string (each zero-terminated, an empty name ends the list), in
// order; nothing is read at or beyond multiString + length.
StringList SplitMultiString(const char16_t* multiString, std::size_t length);

}  // namespace PCSC
}  // namespace TAVQ
