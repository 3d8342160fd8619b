#include "dll/handles.h"

namespace WinePcscBridge {

ULONG_PTR Handles::AddContext(std::shared_ptr<Context> context) {
  std::lock_guard<std::mutex> lock(mutex_);
  const ULONG_PTR handle = next_++;
  contexts_[handle] = std::move(context);
  return handle;
}

ULONG_PTR Handles::AddCard(Card card) {
  std::lock_guard<std::mutex> lock(mutex_);
  const ULONG_PTR handle = next_++;
  cards_[handle] = std::move(card);
  return handle;
}

std::shared_ptr<Context> Handles::FindContext(ULONG_PTR handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = contexts_.find(handle);
  return found == contexts_.end() ? nullptr : found->second;
}

Card Handles::FindCard(ULONG_PTR handle) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = cards_.find(handle);
  return found == cards_.end() ? Card{} : found->second;
}

bool Handles::RemoveContext(ULONG_PTR handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = contexts_.find(handle);
  if (found == contexts_.end()) return false;
  const Context* context = found->second.get();
  for (auto card = cards_.begin(); card != cards_.end();) {
    card = card->second.context.get() == context ? cards_.erase(card) : std::next(card);
  }
  contexts_.erase(found);
  return true;
}

void Handles::RemoveCard(ULONG_PTR handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  cards_.erase(handle);
}

Handles& AllHandles() {
  static Handles handles;
  return handles;
}

}  // namespace WinePcscBridge
