// PC/SC values used by the system, with the platform's numbers. Kept apart from the
// platform header so that callers never see its 32/64-bit DWORD and LONG.
#pragma once

#include <cstdint>

namespace TAVQ {
namespace PCSC {

// Context scopes.
constexpr std::uint32_t kScopeUser = 0;
constexpr std::uint32_t kScopeSystem = 2;

// Share modes.
constexpr std::uint32_t kShareExclusive = 1;
constexpr std::uint32_t kShareShared = 2;
constexpr std::uint32_t kShareDirect = 3;

// Protocols.
constexpr std::uint32_t kProtocolUndefined = 0;
constexpr std::uint32_t kProtocolT0 = 1;
constexpr std::uint32_t kProtocolT1 = 2;
constexpr std::uint32_t kProtocolT0OrT1 = kProtocolT0 | kProtocolT1;
constexpr std::uint32_t kProtocolRaw = 0x10000;

// Dispositions (disconnect, end transaction) and reconnect initialisations.
constexpr std::uint32_t kLeaveCard = 0;
constexpr std::uint32_t kResetCard = 1;
constexpr std::uint32_t kUnpowerCard = 2;
constexpr std::uint32_t kEjectCard = 3;

// Length value asking PC/SC to allocate the returned buffer.
constexpr std::uint32_t kAutoAllocate = 0xFFFFFFFFu;

// Selection dialog flag: select without asking when exactly one card qualifies.
constexpr std::uint32_t kDialogMinimalUi = 1;

// Result codes, as the signed 32-bit values the exceptions carry.
constexpr std::int32_t Code(std::uint32_t value) { return static_cast<std::int32_t>(value); }
constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kInternalError = Code(0x80100001u);       // SCARD_F_INTERNAL_ERROR
constexpr std::int32_t kCancelled = Code(0x80100002u);           // SCARD_E_CANCELLED
constexpr std::int32_t kInvalidHandle = Code(0x80100003u);       // SCARD_E_INVALID_HANDLE
constexpr std::int32_t kInvalidParameter = Code(0x80100004u);    // SCARD_E_INVALID_PARAMETER
constexpr std::int32_t kInsufficientBuffer = Code(0x80100008u);  // SCARD_E_INSUFFICIENT_BUFFER
constexpr std::int32_t kUnknownReader = Code(0x80100009u);       // SCARD_E_UNKNOWN_READER
constexpr std::int32_t kSharingViolation = Code(0x8010000Bu);    // SCARD_E_SHARING_VIOLATION
constexpr std::int32_t kNoSmartcard = Code(0x8010000Cu);         // SCARD_E_NO_SMARTCARD
constexpr std::int32_t kProtoMismatch = Code(0x8010000Fu);       // SCARD_E_PROTO_MISMATCH
constexpr std::int32_t kNoService = Code(0x8010001Du);           // SCARD_E_NO_SERVICE
constexpr std::int32_t kServiceStopped = Code(0x8010001Eu);      // SCARD_E_SERVICE_STOPPED
constexpr std::int32_t kNoReadersAvailable = Code(0x8010002Eu);  // SCARD_E_NO_READERS_AVAILABLE
constexpr std::int32_t kUnresponsiveCard = Code(0x80100066u);    // SCARD_W_UNRESPONSIVE_CARD
constexpr std::int32_t kUnpoweredCard = Code(0x80100067u);       // SCARD_W_UNPOWERED_CARD
constexpr std::int32_t kResetCardWarning = Code(0x80100068u);    // SCARD_W_RESET_CARD
constexpr std::int32_t kRemovedCard = Code(0x80100069u);         // SCARD_W_REMOVED_CARD

}  // namespace PCSC
}  // namespace TAVQ
