// The DLL's connection to wine-pcsc-bridge: one TCP connection to 127.0.0.1, one
// request and its response at a time.
#pragma once

#include <winsock2.h>

#include <memory>

#include "common/wire.h"

namespace WinePcscBridge {

class Channel {
 public:
  // Connects to the port in KAVRIN_PCSC_BRIDGE_PORT (or the default); null when no
  // server answers there.
  static std::unique_ptr<Channel> Open();
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // Sends a request and returns the response body; throws WireError when the
  // connection fails or the response is malformed.
  MessageReader Call(const MessageWriter& request);

 private:
  explicit Channel(SOCKET socket) : socket_(socket) {}
  SOCKET socket_;
};

}  // namespace WinePcscBridge
