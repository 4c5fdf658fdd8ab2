#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/socket_errors.h"

namespace ferrix::platform {
namespace {

// A native socket address and the length the system calls take with it.
struct NativeAddress {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;

  sockaddr* get() { return reinterpret_cast<sockaddr*>(&storage); }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

NativeAddress toNative(const SocketAddress& address) {
  NativeAddress native;
  if (address.isIpv6()) {
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&native.storage);
    ipv6->sin6_family = AF_INET6;
    ipv6->sin6_port = htons(address.port);
    std::memcpy(&ipv6->sin6_addr, address.bytes.data(), sizeof ipv6->sin6_addr);
    native.length = sizeof *ipv6;
  } else {
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(&native.storage);
    ipv4->sin_family = AF_INET;
    ipv4->sin_port = htons(address.port);
    std::memcpy(&ipv4->sin_addr, address.bytes.data(), sizeof ipv4->sin_addr);
    native.length = sizeof *ipv4;
  }
  return native;
}

std::optional<SocketAddress> fromNative(const sockaddr* native) {
  SocketAddress address;
  if (native->sa_family == AF_INET6) {
    const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(native);
    address.family = AddressFamily::kIpv6;
    address.port = ntohs(ipv6->sin6_port);
    std::memcpy(address.bytes.data(), &ipv6->sin6_addr, sizeof ipv6->sin6_addr);
    return address;
  }
  if (native->sa_family != AF_INET) return std::nullopt;
  const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(native);
  address.port = ntohs(ipv4->sin_port);
  std::memcpy(address.bytes.data(), &ipv4->sin_addr, sizeof ipv4->sin_addr);
  return address;
}

int nativeFamily(AddressFamily family) {
  return family == AddressFamily::kIpv6 ? AF_INET6 : AF_INET;
}

bool makeNonBlocking(int socket) {
  const int flags = fcntl(socket, F_GETFL, 0);
  return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool failWithErrno() {
  setLastSocketErrorFromErrno();
  return false;
}

}  // namespace

int SystemResolver::resolve(const std::string& host, std::vector<SocketAddress>& addresses) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int result = getaddrinfo(host.c_str(), nullptr, &hints, &list);
  if (result != 0) return socketErrorFromResolver(result, errno);
  for (const addrinfo* item = list; item != nullptr; item = item->ai_next) {
    if (std::optional<SocketAddress> address = fromNative(item->ai_addr)) {
      addresses.push_back(*address);
    }
  }
  freeaddrinfo(list);
  return addresses.empty() ? socket_error::kNoData : 0;
}

int createStreamSocket(AddressFamily family) {
  const int socket = ::socket(nativeFamily(family), SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (socket < 0) {
    setLastSocketErrorFromErrno();
    return kInvalidSocket;
  }
  if (!makeNonBlocking(socket)) {
    setLastSocketErrorFromErrno();
    ::close(socket);
    return kInvalidSocket;
  }
  return socket;
}

bool connectSocket(BlockingCalls& calls, int socket, const SocketAddress& address) {
  const NativeAddress native = toNative(address);
  if (::connect(socket, native.get(), native.length) == 0) {
    return true;
  }
  if (errno != EINPROGRESS) return failWithErrno();
  if (calls.waitForSocket(socket, POLLOUT, kWaitForever) != WaitResult::kReady) return false;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return failWithErrno();
  if (error != 0) {
    setLastSocketError(socketErrorFromErrno(error));
    return false;
  }
  return true;
}

bool bindTo(int socket, const SocketAddress& address) {
  const NativeAddress native = toNative(address);
  return ::bind(socket, native.get(), native.length) == 0 ||
         failWithErrno();
}

bool startListening(int socket, int backlog) {
  return ::listen(socket, backlog) == 0 || failWithErrno();
}

bool listenOn(int socket, const SocketAddress& address, int backlog) {
  return bindTo(socket, address) && startListening(socket, backlog);
}

int acceptConnection(BlockingCalls& calls, int listenSocket, std::uint64_t milliseconds,
                     SocketAddress* peer, WaitResult* wait) {
  const WaitResult result = calls.waitForSocket(listenSocket, POLLIN, milliseconds);
  if (wait != nullptr) *wait = result;
  if (result != WaitResult::kReady) return kInvalidSocket;
  NativeAddress native;
  const int accepted =
      ::accept4(listenSocket, native.get(), &native.length, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (accepted < 0) {
    setLastSocketErrorFromErrno();
    return kInvalidSocket;
  }
  if (peer != nullptr) *peer = fromNative(native.get()).value_or(SocketAddress{});
  return accepted;
}

long sendOnce(int socket, const void* bytes, std::size_t length, int flags) {
  const long sent = ::send(socket, bytes, length, flags | MSG_NOSIGNAL);
  if (sent < 0) setLastSocketErrorFromErrno();
  return sent;
}

long receiveOnce(int socket, void* buffer, std::size_t length, int flags) {
  const long received = ::recv(socket, buffer, length, flags);
  if (received < 0) setLastSocketErrorFromErrno();
  return received;
}

bool peerHasClosed(int socket) {
  pollfd ready{socket, POLLIN, 0};
  if (::poll(&ready, 1, 0) <= 0) return false;
  char byte = 0;
  return ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
}

bool shutdownSending(int socket) { return ::shutdown(socket, SHUT_WR) == 0 || failWithErrno(); }

bool shutdownBoth(int socket) { return ::shutdown(socket, SHUT_RDWR) == 0 || failWithErrno(); }

bool closeSocket(int socket) { return ::close(socket) == 0 || failWithErrno(); }

bool setNoDelay(int socket) {
  const int on = 1;
  return setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 || failWithErrno();
}

bool setOutOfBandInline(int socket) {
  const int on = 1;
  return setsockopt(socket, SOL_SOCKET, SO_OOBINLINE, &on, sizeof on) == 0 || failWithErrno();
}

bool ensureBufferSize(int socket, SocketBuffer buffer, int bytes) {
  const int option = buffer == SocketBuffer::kReceive ? SO_RCVBUF : SO_SNDBUF;
  int current = 0;
  socklen_t length = sizeof current;
  if (getsockopt(socket, SOL_SOCKET, option, &current, &length) != 0) return failWithErrno();
  if (current >= bytes) return true;
  return setsockopt(socket, SOL_SOCKET, option, &bytes, sizeof bytes) == 0 || failWithErrno();
}

std::optional<SocketAddress> localAddressOf(int socket) {
  NativeAddress native;
  if (getsockname(socket, native.get(), &native.length) != 0) {
    setLastSocketErrorFromErrno();
    return std::nullopt;
  }
  return fromNative(native.get());
}

std::optional<SocketAddress> peerAddressOf(int socket) {
  NativeAddress native;
  if (getpeername(socket, native.get(), &native.length) != 0) {
    setLastSocketErrorFromErrno();
    return std::nullopt;
  }
  return fromNative(native.get());
}

}  // namespace ferrix::platform
