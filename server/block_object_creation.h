// The result slot of a Read… method: creates the block's coclass in-process through
// COM and hands it the decoded block through the guarded Load path (BlockHandOver).
#pragma once

#include <windows.h>
#include <objbase.h>

#include "server/block_hand_over.h"
#include "services/block_object_slot.h"

namespace Server {

template <class Decoded, class Itf>
class CreatedBlockObject final : public TAVQ::BlockObjectSlot<Decoded> {
 public:
  // result: the caller's out pointer, written only by Commit.
  CreatedBlockObject(REFCLSID classId, REFIID iid, Itf** result) : classId_(classId), iid_(iid), result_(result) {}
  ~CreatedBlockObject() override { Discard(); }
  CreatedBlockObject(const CreatedBlockObject&) = delete;
  CreatedBlockObject& operator=(const CreatedBlockObject&) = delete;

  HRESULT Create() noexcept override {
    Discard();
    return CoCreateInstance(classId_, nullptr, CLSCTX_INPROC_SERVER, iid_, reinterpret_cast<void**>(&object_));
  }

  HRESULT Load(const Decoded& block) noexcept override {
    if (object_ == nullptr) return E_POINTER;
    const BlockHandOver handOver(block);
    return object_->Load(handOver.Argument());
  }

  void Commit() noexcept override {
    *result_ = object_;
    object_ = nullptr;
  }

  void Discard() noexcept override {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }

 private:
  const CLSID& classId_;
  const IID& iid_;
  Itf** result_;
  Itf* object_ = nullptr;
};

}  // namespace Server
