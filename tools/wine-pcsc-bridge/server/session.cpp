#include "server/session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "common/mapping.h"
#include "common/operations.h"

namespace WinePcscBridge {

namespace {

// pcsc-lite's LONG is 64 bits wide here; the codes themselves are the 32-bit Windows ones.
std::uint32_t Code(LONG result) { return static_cast<std::uint32_t>(result); }

bool ReadAll(int socket, std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const ssize_t count = read(socket, data, length);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    data += count;
    length -= static_cast<std::size_t>(count);
  }
  return true;
}

bool WriteAll(int socket, const std::vector<std::uint8_t>& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t count = write(socket, data.data() + done, data.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<std::size_t>(count);
  }
  return true;
}

// A multi-string from pcsc-lite (buffer allocated by it) as wire bytes.
std::vector<std::uint8_t> MultiString(const char* names, DWORD length) {
  return std::vector<std::uint8_t>(names, names + length);
}

MessageWriter Failure(std::uint32_t code) { return MessageWriter().U32(code); }

}  // namespace

Session::~Session() {
  // Releasing the context makes pcscd drop the context's cards as well.
  if (hasContext_) SCardReleaseContext(context_);
  close(socket_);
}

void Session::Run() {
  for (;;) {
    std::uint8_t prefix[4];
    if (!ReadAll(socket_, prefix, sizeof prefix)) return;
    try {
      std::vector<std::uint8_t> body(FrameBodyLength(prefix));
      if (!ReadAll(socket_, body.data(), body.size())) return;
      MessageReader request(std::move(body));
      const MessageWriter response = Handle(request);
      if (!WriteAll(socket_, response.Frame())) return;
    } catch (const WireError& error) {
      std::fprintf(stderr, "%sdropping a connection: %s\n", logPrefix_, error.what());
      return;
    }
  }
}

SCARDHANDLE Session::Card(std::uint32_t id) const {
  const auto card = cards_.find(id);
  return card == cards_.end() ? 0 : card->second;
}

MessageWriter Session::Handle(MessageReader& request) {
  const auto operation = static_cast<Operation>(request.U32());
  if (operation == Operation::EstablishContext) {
    const DWORD scope = request.U32();
    request.ExpectEnd();
    if (hasContext_) return Failure(kInvalidParameter);  // one context per connection
    const LONG result = SCardEstablishContext(scope, nullptr, nullptr, &context_);
    hasContext_ = result == SCARD_S_SUCCESS;
    return Failure(Code(result));
  }
  // Arguments are checked before the context: a malformed request ends the connection
  // whatever state it finds.
  if (operation == Operation::ListReaders) {
    request.ExpectEnd();
    if (!hasContext_) return Failure(kInvalidHandle);
    char* names = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    const LONG result = SCardListReaders(context_, nullptr, reinterpret_cast<char*>(&names), &length);
    if (result != SCARD_S_SUCCESS) return Failure(Code(result));
    MessageWriter response;
    response.U32(kSuccess).Bytes(MultiString(names, length));
    SCardFreeMemory(context_, names);
    return response;
  }
  if (operation == Operation::Connect) {
    const std::string reader = request.Text();
    const DWORD share = request.U32();
    const DWORD preferred = ProtocolsToPcscLite(request.U32());
    request.ExpectEnd();
    if (!hasContext_) return Failure(kInvalidHandle);
    SCARDHANDLE card = 0;
    DWORD active = 0;
    const LONG result = SCardConnect(context_, reader.c_str(), share, preferred, &card, &active);
    if (result != SCARD_S_SUCCESS) return Failure(Code(result));
    const std::uint32_t id = nextCard_++;
    cards_[id] = card;
    return MessageWriter().U32(kSuccess).U32(id).U32(ProtocolsFromPcscLite(static_cast<std::uint32_t>(active)));
  }

  // Every other call names a card; without a context there are none.
  const std::uint32_t id = request.U32();
  const SCARDHANDLE card = Card(id);
  switch (operation) {
    case Operation::Reconnect: {
      const DWORD share = request.U32();
      const DWORD preferred = ProtocolsToPcscLite(request.U32());
      const DWORD initialization = request.U32();
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      DWORD active = 0;
      const LONG result = SCardReconnect(card, share, preferred, initialization, &active);
      if (result != SCARD_S_SUCCESS) return Failure(Code(result));
      return MessageWriter().U32(kSuccess).U32(ProtocolsFromPcscLite(static_cast<std::uint32_t>(active)));
    }
    case Operation::Disconnect: {
      const DWORD disposition = request.U32();
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      const LONG result = SCardDisconnect(card, disposition);
      if (result == SCARD_S_SUCCESS) cards_.erase(id);
      return Failure(Code(result));
    }
    case Operation::BeginTransaction:
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      return Failure(Code(SCardBeginTransaction(card)));
    case Operation::EndTransaction: {
      const DWORD disposition = request.U32();
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      return Failure(Code(SCardEndTransaction(card, disposition)));
    }
    case Operation::Status: {
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      char* names = nullptr;
      DWORD namesLength = SCARD_AUTOALLOCATE;
      DWORD state = 0;
      DWORD protocol = 0;
      BYTE atr[MAX_ATR_SIZE];
      DWORD atrLength = sizeof atr;
      const LONG result =
          SCardStatus(card, reinterpret_cast<char*>(&names), &namesLength, &state, &protocol, atr, &atrLength);
      if (result != SCARD_S_SUCCESS) return Failure(Code(result));
      MessageWriter response;
      response.U32(kSuccess)
          .Bytes(MultiString(names, namesLength))
          .U32(CardStateFromPcscLite(static_cast<std::uint32_t>(state)))
          .U32(ProtocolsFromPcscLite(static_cast<std::uint32_t>(protocol)))
          .Bytes(atr, atrLength);
      SCardFreeMemory(context_, names);
      return response;
    }
    case Operation::Transmit: {
      const std::uint32_t protocol = ProtocolsToPcscLite(request.U32());
      const std::vector<std::uint8_t> command = request.Bytes();
      const std::uint32_t capacity = request.U32();
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      if (capacity > kMaxBodyLength / 2) return Failure(kInvalidParameter);
      const SCARD_IO_REQUEST send{protocol, sizeof(SCARD_IO_REQUEST)};
      SCARD_IO_REQUEST receive{protocol, sizeof(SCARD_IO_REQUEST)};
      std::vector<std::uint8_t> response(capacity);
      DWORD length = capacity;
      const LONG result = SCardTransmit(card, &send, command.data(), command.size(), &receive, response.data(), &length);
      if (result != SCARD_S_SUCCESS) return Failure(Code(result));
      response.resize(length);
      return MessageWriter()
          .U32(kSuccess)
          .U32(ProtocolsFromPcscLite(static_cast<std::uint32_t>(receive.dwProtocol)))
          .Bytes(response);
    }
    case Operation::Control: {
      const DWORD code = ControlCodeToPcscLite(request.U32());
      const std::vector<std::uint8_t> input = request.Bytes();
      const std::uint32_t capacity = request.U32();
      request.ExpectEnd();
      if (card == 0) return Failure(kInvalidHandle);
      if (capacity > kMaxBodyLength / 2) return Failure(kInvalidParameter);
      std::vector<std::uint8_t> output(capacity);
      DWORD returned = 0;
      const LONG result =
          SCardControl(card, code, input.data(), input.size(), output.data(), output.size(), &returned);
      if (result != SCARD_S_SUCCESS) return Failure(Code(result));
      output.resize(returned);
      return MessageWriter().U32(kSuccess).Bytes(output);
    }
    default:
      throw WireError("unknown operation " + std::to_string(static_cast<std::uint32_t>(operation)));
  }
}

}  // namespace WinePcscBridge
