// The SCARDCONTEXT and SCARDHANDLE values the bridged process sees, and what stands
// behind them: a context is a bridge connection, a card is a card id on one.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "dll/channel.h"

namespace WinePcscBridge {

struct Context {
  explicit Context(std::unique_ptr<Channel> channel) : channel(std::move(channel)) {}
  std::mutex mutex;  // one request at a time on the connection
  std::unique_ptr<Channel> channel;
};

struct Card {
  std::shared_ptr<Context> context;
  std::uint32_t id = 0;  // the server's card id
};

class Handles {
 public:
  ULONG_PTR AddContext(std::shared_ptr<Context> context);
  ULONG_PTR AddCard(Card card);
  std::shared_ptr<Context> FindContext(ULONG_PTR handle) const;
  Card FindCard(ULONG_PTR handle) const;  // a Card without context when unknown
  // Forgets the context and its cards; the connection closes with the last user.
  bool RemoveContext(ULONG_PTR handle);
  void RemoveCard(ULONG_PTR handle);

 private:
  mutable std::mutex mutex_;
  // Handles count up from an odd start, so that 0 and small numbers stay invalid.
  ULONG_PTR next_ = 0x4B5001;
  std::map<ULONG_PTR, std::shared_ptr<Context>> contexts_;
  std::map<ULONG_PTR, Card> cards_;
};

Handles& AllHandles();

}  // namespace WinePcscBridge
