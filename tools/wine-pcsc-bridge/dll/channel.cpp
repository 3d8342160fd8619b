#include "dll/channel.h"

#include <ws2tcpip.h>

#include <cstdlib>
#include <mutex>

#include "common/operations.h"

namespace WinePcscBridge {

namespace {

std::uint16_t Port() {
  const char* text = std::getenv("KAVRIN_PCSC_BRIDGE_PORT");
  if (text == nullptr) return kDefaultPort;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  return end != text && *end == '\0' && value > 0 && value <= 65535 ? static_cast<std::uint16_t>(value) : kDefaultPort;
}

bool StartWinsock() {
  // Winsock stays started for the life of the process: WSACleanup must not run from DllMain.
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

void SendAll(SOCKET socket, const std::vector<std::uint8_t>& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const int count = send(socket, reinterpret_cast<const char*>(data.data() + done),
                           static_cast<int>(data.size() - done), 0);
    if (count <= 0) throw WireError("the bridge connection failed while sending");
    done += static_cast<std::size_t>(count);
  }
}

void ReceiveAll(SOCKET socket, std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const int count = recv(socket, reinterpret_cast<char*>(data), static_cast<int>(length), 0);
    if (count <= 0) throw WireError("the bridge connection closed while receiving");
    data += count;
    length -= static_cast<std::size_t>(count);
  }
}

}  // namespace

std::unique_ptr<Channel> Channel::Open() {
  if (!StartWinsock()) return nullptr;
  const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET) return nullptr;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(Port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    closesocket(socket);
    return nullptr;
  }
  const BOOL on = TRUE;  // requests are small and synchronous: send each at once
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return std::unique_ptr<Channel>(new Channel(socket));
}

Channel::~Channel() { closesocket(socket_); }

MessageReader Channel::Call(const MessageWriter& request) {
  SendAll(socket_, request.Frame());
  std::uint8_t prefix[4];
  ReceiveAll(socket_, prefix, sizeof prefix);
  std::vector<std::uint8_t> body(FrameBodyLength(prefix));
  ReceiveAll(socket_, body.data(), body.size());
  return MessageReader(std::move(body));
}

}  // namespace WinePcscBridge
