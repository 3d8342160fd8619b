// winscard.dll for Wine: the WinSCard calls the product makes, each forwarded as one
// request to wine-pcsc-bridge, which makes it on pcsc-lite. Names cross as UTF-8.
// The PCI tables are defined here and exported through winscard.def, not imported.
#define WINSCARDDATA
#include <winsock2.h>
#include <windows.h>
#include <winscard.h>

#include <new>
#include <string>
#include <vector>

#include "common/operations.h"
#include "dll/handles.h"

using namespace WinePcscBridge;

extern "C" {
const SCARD_IO_REQUEST g_rgSCardT0Pci = {SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardT1Pci = {SCARD_PROTOCOL_T1, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardRawPci = {SCARD_PROTOCOL_RAW, sizeof(SCARD_IO_REQUEST)};
}

namespace {

// Sends the request on the context's connection; on success hands the outputs to
// readOutputs. Transport faults become SCARD_F_COMM_ERROR, never an exception.
template <typename ReadOutputs>
LONG Invoke(Context& context, const MessageWriter& request, ReadOutputs readOutputs) {
  try {
    std::lock_guard<std::mutex> lock(context.mutex);
    MessageReader response = context.channel->Call(request);
    const std::uint32_t result = response.U32();
    if (result == kSuccess) readOutputs(response);
    response.ExpectEnd();
    return static_cast<LONG>(result);
  } catch (const WireError&) {
    return static_cast<LONG>(kCommunicationError);
  } catch (const std::bad_alloc&) {
    return static_cast<LONG>(kNoMemory);
  }
}

LONG Invoke(Context& context, const MessageWriter& request) {
  return Invoke(context, request, [](MessageReader&) {});
}

std::wstring Utf16(const std::vector<std::uint8_t>& utf8) {
  if (utf8.empty()) return std::wstring();
  const auto* text = reinterpret_cast<const char*>(utf8.data());
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text, size, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, size, &result[0], length);
  return result;
}

std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string result(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], length, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(length) - 1);  // without the NUL
  return result;
}

// Returns a variable-length output the WinSCard way: length only when there is no
// buffer, a new block when the length is SCARD_AUTOALLOCATE (freed by SCardFreeMemory),
// else a copy into the caller's buffer if it is large enough.
template <typename Unit>
LONG ReturnVariable(const Unit* data, DWORD count, void* buffer, DWORD* length) {
  if (buffer == nullptr) {
    *length = count;
    return SCARD_S_SUCCESS;
  }
  Unit* target = static_cast<Unit*>(buffer);
  if (*length == SCARD_AUTOALLOCATE) {
    target = static_cast<Unit*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(Unit) + sizeof(Unit)));
    if (target == nullptr) return static_cast<LONG>(kNoMemory);
    *static_cast<Unit**>(buffer) = target;
  } else if (*length < count) {
    *length = count;
    return static_cast<LONG>(kInsufficientBuffer);
  }
  CopyMemory(target, data, count * sizeof(Unit));
  *length = count;
  return SCARD_S_SUCCESS;
}

}  // namespace

extern "C" {

LONG WINAPI SCardEstablishContext(DWORD scope, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
  if (context == nullptr) return SCARD_E_INVALID_PARAMETER;
  std::shared_ptr<Context> bridged;
  try {
    std::unique_ptr<Channel> channel = Channel::Open();
    if (!channel) return static_cast<LONG>(kNoService);
    bridged = std::make_shared<Context>(std::move(channel));
  } catch (const std::bad_alloc&) {
    return static_cast<LONG>(kNoMemory);
  }
  const LONG result = Invoke(*bridged, MessageWriter().U32(static_cast<std::uint32_t>(Operation::EstablishContext)).U32(scope));
  if (result == SCARD_S_SUCCESS) *context = AllHandles().AddContext(std::move(bridged));
  return result;
}

LONG WINAPI SCardReleaseContext(SCARDCONTEXT context) {
  return AllHandles().RemoveContext(context) ? SCARD_S_SUCCESS : SCARD_E_INVALID_HANDLE;
}

LONG WINAPI SCardFreeMemory(SCARDCONTEXT, LPCVOID memory) {
  if (memory != nullptr) HeapFree(GetProcessHeap(), 0, const_cast<LPVOID>(memory));
  return SCARD_S_SUCCESS;
}

// Groups are not passed on: pcsc-lite ignores them as well.
LONG WINAPI SCardListReadersW(SCARDCONTEXT context, LPCWSTR, LPWSTR readers, LPDWORD readersLength) {
  if (readersLength == nullptr) return SCARD_E_INVALID_PARAMETER;
  const std::shared_ptr<Context> bridged = AllHandles().FindContext(context);
  if (!bridged) return SCARD_E_INVALID_HANDLE;
  std::wstring names;
  LONG result = Invoke(*bridged, MessageWriter().U32(static_cast<std::uint32_t>(Operation::ListReaders)),
                       [&](MessageReader& response) { names = Utf16(response.Bytes()); });
  if (result != SCARD_S_SUCCESS) return result;
  return ReturnVariable(names.data(), static_cast<DWORD>(names.size()), readers, readersLength);
}

LONG WINAPI SCardConnectW(SCARDCONTEXT context, LPCWSTR reader, DWORD shareMode, DWORD preferredProtocols,
                          LPSCARDHANDLE card, LPDWORD activeProtocol) {
  if (reader == nullptr || card == nullptr || activeProtocol == nullptr) return SCARD_E_INVALID_PARAMETER;
  const std::shared_ptr<Context> bridged = AllHandles().FindContext(context);
  if (!bridged) return SCARD_E_INVALID_HANDLE;
  std::uint32_t id = 0;
  std::uint32_t protocol = 0;
  const LONG result = Invoke(*bridged,
                             MessageWriter()
                                 .U32(static_cast<std::uint32_t>(Operation::Connect))
                                 .Text(Utf8(reader))
                                 .U32(shareMode)
                                 .U32(preferredProtocols),
                             [&](MessageReader& response) {
                               id = response.U32();
                               protocol = response.U32();
                             });
  if (result != SCARD_S_SUCCESS) return result;
  *card = AllHandles().AddCard(Card{bridged, id});
  *activeProtocol = protocol;
  return SCARD_S_SUCCESS;
}

LONG WINAPI SCardReconnect(SCARDHANDLE card, DWORD shareMode, DWORD preferredProtocols, DWORD initialization,
                           LPDWORD activeProtocol) {
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  std::uint32_t protocol = 0;
  const LONG result = Invoke(*bridged.context,
                             MessageWriter()
                                 .U32(static_cast<std::uint32_t>(Operation::Reconnect))
                                 .U32(bridged.id)
                                 .U32(shareMode)
                                 .U32(preferredProtocols)
                                 .U32(initialization),
                             [&](MessageReader& response) { protocol = response.U32(); });
  if (result == SCARD_S_SUCCESS && activeProtocol != nullptr) *activeProtocol = protocol;
  return result;
}

LONG WINAPI SCardDisconnect(SCARDHANDLE card, DWORD disposition) {
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  const LONG result = Invoke(
      *bridged.context,
      MessageWriter().U32(static_cast<std::uint32_t>(Operation::Disconnect)).U32(bridged.id).U32(disposition));
  if (result == SCARD_S_SUCCESS) AllHandles().RemoveCard(card);
  return result;
}

LONG WINAPI SCardBeginTransaction(SCARDHANDLE card) {
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  return Invoke(*bridged.context,
                MessageWriter().U32(static_cast<std::uint32_t>(Operation::BeginTransaction)).U32(bridged.id));
}

LONG WINAPI SCardEndTransaction(SCARDHANDLE card, DWORD disposition) {
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  return Invoke(
      *bridged.context,
      MessageWriter().U32(static_cast<std::uint32_t>(Operation::EndTransaction)).U32(bridged.id).U32(disposition));
}

LONG WINAPI SCardStatusW(SCARDHANDLE card, LPWSTR readerNames, LPDWORD readerNamesLength, LPDWORD state,
                         LPDWORD protocol, LPBYTE atr, LPDWORD atrLength) {
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  std::wstring names;
  std::uint32_t newState = 0;
  std::uint32_t newProtocol = 0;
  std::vector<std::uint8_t> newAtr;
  LONG result = Invoke(*bridged.context,
                       MessageWriter().U32(static_cast<std::uint32_t>(Operation::Status)).U32(bridged.id),
                       [&](MessageReader& response) {
                         names = Utf16(response.Bytes());
                         newState = response.U32();
                         newProtocol = response.U32();
                         newAtr = response.Bytes();
                       });
  if (result != SCARD_S_SUCCESS) return result;
  if (readerNamesLength != nullptr) {
    result = ReturnVariable(names.data(), static_cast<DWORD>(names.size()), readerNames, readerNamesLength);
    if (result != SCARD_S_SUCCESS) return result;
  }
  if (atrLength != nullptr) {
    result = ReturnVariable(newAtr.data(), static_cast<DWORD>(newAtr.size()), atr, atrLength);
    if (result != SCARD_S_SUCCESS) return result;
  }
  if (state != nullptr) *state = newState;
  if (protocol != nullptr) *protocol = newProtocol;
  return SCARD_S_SUCCESS;
}

LONG WINAPI SCardTransmit(SCARDHANDLE card, LPCSCARD_IO_REQUEST sendHeader, LPCBYTE send, DWORD sendLength,
                          LPSCARD_IO_REQUEST receiveHeader, LPBYTE receive, LPDWORD receiveLength) {
  if (sendHeader == nullptr || send == nullptr || receive == nullptr || receiveLength == nullptr)
    return SCARD_E_INVALID_PARAMETER;
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  std::uint32_t protocol = 0;
  std::vector<std::uint8_t> response;
  const LONG result = Invoke(*bridged.context,
                             MessageWriter()
                                 .U32(static_cast<std::uint32_t>(Operation::Transmit))
                                 .U32(bridged.id)
                                 .U32(sendHeader->dwProtocol)
                                 .Bytes(send, sendLength)
                                 .U32(*receiveLength),
                             [&](MessageReader& answer) {
                               protocol = answer.U32();
                               response = answer.Bytes();
                             });
  if (result != SCARD_S_SUCCESS) return result;
  if (response.size() > *receiveLength) return static_cast<LONG>(kInsufficientBuffer);
  CopyMemory(receive, response.data(), response.size());
  *receiveLength = static_cast<DWORD>(response.size());
  if (receiveHeader != nullptr) receiveHeader->dwProtocol = protocol;
  return SCARD_S_SUCCESS;
}

LONG WINAPI SCardControl(SCARDHANDLE card, DWORD controlCode, LPCVOID input, DWORD inputLength, LPVOID output,
                         DWORD outputSize, LPDWORD bytesReturned) {
  if (bytesReturned == nullptr || (input == nullptr && inputLength != 0) || (output == nullptr && outputSize != 0))
    return SCARD_E_INVALID_PARAMETER;
  const Card bridged = AllHandles().FindCard(card);
  if (!bridged.context) return SCARD_E_INVALID_HANDLE;
  std::vector<std::uint8_t> returned;
  const LONG result = Invoke(*bridged.context,
                             MessageWriter()
                                 .U32(static_cast<std::uint32_t>(Operation::Control))
                                 .U32(bridged.id)
                                 .U32(controlCode)
                                 .Bytes(static_cast<const std::uint8_t*>(input), inputLength)
                                 .U32(outputSize),
                             [&](MessageReader& answer) { returned = answer.Bytes(); });
  if (result != SCARD_S_SUCCESS) return result;
  if (returned.size() > outputSize) return static_cast<LONG>(kInsufficientBuffer);
  CopyMemory(output, returned.data(), returned.size());
  *bytesReturned = static_cast<DWORD>(returned.size());
  return SCARD_S_SUCCESS;
}

}  // extern "C"
