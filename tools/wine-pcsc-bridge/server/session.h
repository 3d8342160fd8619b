// One bridged PC/SC context: the requests of one connection, executed on pcsc-lite.
#pragma once

#include <PCSC/winscard.h>

#include <cstdint>
#include <map>

#include "common/wire.h"

namespace WinePcscBridge {

class Session {
 public:
  // logPrefix starts each line the session writes to stderr; tests that send malformed
  // requests on purpose mark those lines as expected.
  explicit Session(int socket, const char* logPrefix = "wine-pcsc-bridge: ") : socket_(socket), logPrefix_(logPrefix) {}
  ~Session();  // releases the context (and with it every card) and closes the socket
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Serves requests until the peer closes the connection or sends a malformed message.
  void Run();

 private:
  MessageWriter Handle(MessageReader& request);
  SCARDHANDLE Card(std::uint32_t id) const;

  int socket_;
  const char* logPrefix_;
  bool hasContext_ = false;
  SCARDCONTEXT context_ = 0;
  // Card ids handed out on the wire: pcsc-lite's handles are 'long', a Windows
  // SCARDHANDLE of a 32-bit process is not.
  std::map<std::uint32_t, SCARDHANDLE> cards_;
  std::uint32_t nextCard_ = 1;
};

}  // namespace WinePcscBridge
