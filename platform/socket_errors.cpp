#include "platform/socket_errors.h"

#include <netdb.h>

#include <cerrno>

namespace ferrix::platform {
namespace {

thread_local int lastError = 0;

}  // namespace

int socketErrorFromErrno(int error) {
  using namespace socket_error;
  switch (error) {
    case EINTR:
    case ECANCELED: return kCancelled;
    case EINVAL: return kInvalidArgument;
    case EMFILE:
    case ENFILE: return kNoDescriptors;
    case EAGAIN: return kWouldBlock;
    case EALREADY:
    case EINPROGRESS: return kInProgress;
    case EBADF:
    case ENOTSOCK: return kNotSocket;
    case EPROTOTYPE: return kProtocolType;
    case EPROTONOSUPPORT: return kProtocolNotSupported;
    case ESOCKTNOSUPPORT: return kSocketTypeNotSupported;
    case EAFNOSUPPORT: return kFamilyNotSupported;
    case EADDRINUSE: return kAddressInUse;
    case EADDRNOTAVAIL: return kAddressNotAvailable;
    case ENETDOWN:
    case ENETUNREACH: return kNetworkDown;
    case ECONNABORTED: return kConnectionAborted;
    case ECONNRESET:
    case EPIPE: return kConnectionReset;
    case ENOBUFS:
    case ENOMEM: return kNoBufferSpace;
    case ENOTCONN: return kNotConnected;
    case ETIMEDOUT: return kTimedOut;
    case ECONNREFUSED: return kConnectionRefused;
    case EHOSTDOWN: return kHostDown;
    case EHOSTUNREACH: return kHostUnreachable;
    default: return error;
  }
}

int socketErrorFromResolver(int gaiError, int savedErrno) {
  using namespace socket_error;
  switch (gaiError) {
    case 0: return 0;
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
      return kHostNotFound;
    case EAI_AGAIN: return kTryAgain;
    case EAI_FAIL: return kNoRecovery;
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return kNoData;
#endif
    case EAI_MEMORY: return kNoBufferSpace;
    case EAI_SYSTEM: return socketErrorFromErrno(savedErrno);
    default: return kNoRecovery;
  }
}

int lastSocketError() { return lastError; }

void setLastSocketError(int code) { lastError = code; }

int setLastSocketErrorFromErrno() {
  lastError = socketErrorFromErrno(errno);
  return lastError;
}

}  // namespace ferrix::platform
