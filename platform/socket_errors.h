// Socket error codes as the rest of Ferrix speaks them: the classic Winsock
// numbers (10004 cancelled, 10061 refused, 11001 host not found, ...), so that
// every message reads the same on any platform. errno and resolver errors are
// mapped here and nowhere else.
//
// Thread rule: the last error is kept per thread, like errno.
#pragma once

namespace ferrix::platform {

namespace socket_error {
inline constexpr int kCancelled = 10004;
inline constexpr int kInvalidArgument = 10022;
inline constexpr int kNoDescriptors = 10024;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kInProgress = 10036;
inline constexpr int kNotSocket = 10038;
inline constexpr int kProtocolType = 10041;
inline constexpr int kProtocolNotSupported = 10043;
inline constexpr int kSocketTypeNotSupported = 10044;
inline constexpr int kFamilyNotSupported = 10047;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kNetworkDown = 10050;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kNoBufferSpace = 10055;
inline constexpr int kNotConnected = 10057;
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionRefused = 10061;
inline constexpr int kHostDown = 10064;
inline constexpr int kHostUnreachable = 10065;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;
}  // namespace socket_error

// The error code of errno value `error`.
int socketErrorFromErrno(int error);

// The error code of a getaddrinfo result `gaiError` (with `savedErrno` for EAI_SYSTEM).
int socketErrorFromResolver(int gaiError, int savedErrno);

int lastSocketError();
void setLastSocketError(int code);

// Sets the calling thread's last error from errno and returns it.
int setLastSocketErrorFromErrno();

}  // namespace ferrix::platform
