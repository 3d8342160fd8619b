// The result of a Read… method of the document reading service: it creates the
// object handed to the caller and gives it the decoded block. The plain slot makes
// the model's block objects; the COM binding supplies one that creates its coclass.
#pragma once

#include <memory>
#include <new>

#include "support/hresult.h"

namespace TAVQ {

template <class Decoded>
class BlockObjectSlot {
 public:
  virtual ~BlockObjectSlot() = default;
  // Makes a new, empty object; a failure status is reported as "Object creation was
  // unsuccessful".
  virtual HRESULT Create() noexcept = 0;
  // Hands the decoded block to the new object; a failure status is returned as is.
  virtual HRESULT Load(const Decoded& block) noexcept = 0;
  // The loaded object becomes the caller's result.
  virtual void Commit() noexcept = 0;
  // Releases the new object after a refused Load; the result stays untouched.
  virtual void Discard() noexcept = 0;
};

template <class Decoded, class Object>
class PlainBlockObjectSlot final : public BlockObjectSlot<Decoded> {
 public:
  explicit PlainBlockObjectSlot(std::unique_ptr<Object>& result) : result_(result) {}

  HRESULT Create() noexcept override {
    object_.reset(new (std::nothrow) Object());
    return object_ ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT Load(const Decoded& block) noexcept override {
    try {
      return object_->Load(&block);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  void Commit() noexcept override { result_ = std::move(object_); }
  void Discard() noexcept override { object_.reset(); }

 private:
  std::unique_ptr<Object>& result_;
  std::unique_ptr<Object> object_;
};

}  // namespace TAVQ
