// The in-process hand-over of a decoded block to a block object's Load or Store.
//
// Those methods take the block's address in the place of a VARIANT*, and nothing in
// the pointer tells a block from a real VARIANT that a client passed. So the caller
// inside this module announces the exact address and type it hands over, for its
// own thread and the duration of the call; Load and Store accept only that address
// and compare pointers without reading through them. Any other argument (a script's
// VARIANT, a vtable client's pointer) is refused before any memory is touched.
#pragma once

#include <type_traits>
#include <typeindex>
#include <typeinfo>

#include <oaidl.h>

namespace Server {

class BlockHandOver {
 public:
  template <class Block>
  explicit BlockHandOver(Block& block)
      : previous_(current_),
        address_(const_cast<void*>(static_cast<const void*>(&block))),
        type_(typeid(Block)),
        writable_(!std::is_const<Block>::value) {
    current_ = this;
  }
  ~BlockHandOver() { current_ = previous_; }
  BlockHandOver(const BlockHandOver&) = delete;
  BlockHandOver& operator=(const BlockHandOver&) = delete;

  // The argument to pass as the VARIANT*.
  VARIANT* Argument() const { return static_cast<VARIANT*>(address_); }

  // The block behind a Load argument, or null when it is not this thread's hand-over
  // of a Block.
  template <class Block>
  static const Block* ForLoad(const VARIANT* argument) {
    const BlockHandOver* handOver = Find(argument, typeid(Block));
    return handOver == nullptr ? nullptr : static_cast<const Block*>(handOver->address_);
  }

  // The same for Store, which writes: the hand-over must be of a writable block.
  template <class Block>
  static Block* ForStore(const VARIANT* argument) {
    const BlockHandOver* handOver = Find(argument, typeid(Block));
    return handOver == nullptr || !handOver->writable_ ? nullptr : static_cast<Block*>(handOver->address_);
  }

 private:
  static const BlockHandOver* Find(const VARIANT* argument, const std::type_info& type) {
    for (const BlockHandOver* h = current_; h != nullptr; h = h->previous_) {
      if (argument != nullptr && static_cast<const void*>(argument) == h->address_ && h->type_ == type) return h;
    }
    return nullptr;
  }

  static thread_local const BlockHandOver* current_;
  const BlockHandOver* previous_;
  void* address_;
  std::type_index type_;
  bool writable_;
};

}  // namespace Server
