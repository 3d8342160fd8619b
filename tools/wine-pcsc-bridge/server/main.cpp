// wine-pcsc-bridge: serves the bridge's winscard.dll on 127.0.0.1, one thread and one
// pcsc-lite context per connection. A test tool: it listens on loopback only and
// trusts its peers no further than the wire format's checks.
//
//   wine-pcsc-bridge [--port N]
//
// Prints "wine-pcsc-bridge: listening on 127.0.0.1:N" once it accepts connections.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "common/operations.h"
#include "server/session.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: wine-pcsc-bridge [--port N]\n");
  return 2;
}

bool ParsePort(const char* text, std::uint16_t& port) {
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint16_t port = WinePcscBridge::kDefaultPort;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--port" && i + 1 < argc) {
      if (!ParsePort(argv[++i], port)) {
        std::fprintf(stderr, "wine-pcsc-bridge: invalid port '%s'\n", argv[i]);
        return 2;
      }
    } else {
      return Usage();
    }
  }
  signal(SIGPIPE, SIG_IGN);  // a peer that went away is seen as a failed write

  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) {
    std::perror("wine-pcsc-bridge: socket");
    return 1;
  }
  const int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0) {
    std::fprintf(stderr, "wine-pcsc-bridge: cannot listen on 127.0.0.1:%u: %s\n", port, std::strerror(errno));
    close(listener);
    return 1;
  }
  std::printf("wine-pcsc-bridge: listening on 127.0.0.1:%u\n", port);
  std::fflush(stdout);

  for (;;) {
    const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      std::perror("wine-pcsc-bridge: accept");
      close(listener);
      return 1;
    }
    // Each session owns its socket and context; the thread ends with the connection.
    std::thread([connection] { WinePcscBridge::Session(connection).Run(); }).detach();
  }
}
