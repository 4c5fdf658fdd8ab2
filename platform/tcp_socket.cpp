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

#include "platform/socket_errors.h"

namespace ferrix::platform {
namespace {

sockaddr_in toSockaddr(const Ipv4Address& address) {
  sockaddr_in native{};
  native.sin_family = AF_INET;
  native.sin_port = htons(address.port);
  native.sin_addr.s_addr = htonl(address.hostOrder);
  return native;
}

Ipv4Address fromSockaddr(const sockaddr_in& native) {
  return Ipv4Address{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)};
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

std::string Ipv4Address::text() const {
  in_addr native{htonl(hostOrder)};
  char buffer[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &native, buffer, sizeof buffer);
  return buffer;
}

std::optional<Ipv4Address> parseDottedAddress(const std::string& text) {
  in_addr native{};
  if (inet_pton(AF_INET, text.c_str(), &native) != 1) return std::nullopt;
  return Ipv4Address{ntohl(native.s_addr), 0};
}

int SystemResolver::resolve(const std::string& host, std::vector<Ipv4Address>& addresses) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int result = getaddrinfo(host.c_str(), nullptr, &hints, &list);
  if (result != 0) return socketErrorFromResolver(result, errno);
  for (const addrinfo* item = list; item != nullptr; item = item->ai_next) {
    const auto* native = reinterpret_cast<const sockaddr_in*>(item->ai_addr);
    addresses.push_back(fromSockaddr(*native));
  }
  freeaddrinfo(list);
  return addresses.empty() ? socket_error::kNoData : 0;
}

int createStreamSocket() {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
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

bool connectSocket(BlockingCalls& calls, int socket, const Ipv4Address& address) {
  const sockaddr_in native = toSockaddr(address);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0) {
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

bool bindTo(int socket, const Ipv4Address& address) {
  const sockaddr_in native = toSockaddr(address);
  return ::bind(socket, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0 ||
         failWithErrno();
}

bool startListening(int socket, int backlog) {
  return ::listen(socket, backlog) == 0 || failWithErrno();
}

bool listenOn(int socket, const Ipv4Address& address, int backlog) {
  return bindTo(socket, address) && startListening(socket, backlog);
}

int acceptConnection(BlockingCalls& calls, int listenSocket, std::uint64_t milliseconds,
                     Ipv4Address* peer, WaitResult* wait) {
  const WaitResult result = calls.waitForSocket(listenSocket, POLLIN, milliseconds);
  if (wait != nullptr) *wait = result;
  if (result != WaitResult::kReady) return kInvalidSocket;
  sockaddr_in native{};
  socklen_t length = sizeof native;
  const int accepted = ::accept4(listenSocket, reinterpret_cast<sockaddr*>(&native), &length,
                                 SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (accepted < 0) {
    setLastSocketErrorFromErrno();
    return kInvalidSocket;
  }
  if (peer != nullptr) *peer = fromSockaddr(native);
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

std::optional<Ipv4Address> localAddressOf(int socket) {
  sockaddr_in native{};
  socklen_t length = sizeof native;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&native), &length) != 0) {
    setLastSocketErrorFromErrno();
    return std::nullopt;
  }
  return fromSockaddr(native);
}

std::optional<Ipv4Address> peerAddressOf(int socket) {
  sockaddr_in native{};
  socklen_t length = sizeof native;
  if (getpeername(socket, reinterpret_cast<sockaddr*>(&native), &length) != 0) {
    setLastSocketErrorFromErrno();
    return std::nullopt;
  }
  return fromSockaddr(native);
}

}  // namespace ferrix::platform
