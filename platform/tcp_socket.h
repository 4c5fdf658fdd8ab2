// Plain TCP sockets over POSIX: IPv4 and IPv6 stream sockets held as integer handles
// (-1 for none), non-blocking underneath so that every wait goes through
// BlockingCalls and can be cancelled. Failures set the calling thread's last
// socket error (socket_errors.h).
//
// Thread rule: a socket is used by one thread at a time; closing it from
// another thread is the owner's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <optional>

#include "platform/blocking_calls.h"
#include "platform/socket_address.h"

namespace ferrix::platform {

inline constexpr int kInvalidSocket = -1;

// Turns a host name into its IPv6 and IPv4 addresses, in the resolver's order.
class Resolver {
 public:
  virtual ~Resolver() = default;
  // Returns 0 with at least one address, or a socket error (11001 ...).
  virtual int resolve(const std::string& host, std::vector<SocketAddress>& addresses) = 0;
};

class SystemResolver final : public Resolver {
 public:
  int resolve(const std::string& host, std::vector<SocketAddress>& addresses) override;
};

// A new non-blocking TCP socket of `family`, or -1.
int createStreamSocket(AddressFamily family = AddressFamily::kIpv4);

// Connects, waiting without a time limit of our own (the system's applies)
// until connected, refused, or cancelled. Returns false with the last error set.
bool connectSocket(BlockingCalls& calls, int socket, const SocketAddress& address);

// Binds to `address` (port 0 for any). Returns false on failure.
bool bindTo(int socket, const SocketAddress& address);
bool startListening(int socket, int backlog);
// bindTo, then startListening.
bool listenOn(int socket, const SocketAddress& address, int backlog);

// Accepts one connection within `milliseconds`; -1 on time-out, cancel or
// failure. `wait`, when given, tells which of them ended the wait (kReady
// when the wait succeeded and accept itself failed).
int acceptConnection(BlockingCalls& calls, int listenSocket, std::uint64_t milliseconds,
                     SocketAddress* peer, WaitResult* wait = nullptr);

// One send or receive without waiting; results as send(2)/recv(2).
long sendOnce(int socket, const void* bytes, std::size_t length, int flags);
long receiveOnce(int socket, void* buffer, std::size_t length, int flags);

// True when the peer has ended the connection (end of stream or reset) and
// no unread data is waiting; never blocks.
bool peerHasClosed(int socket);

bool shutdownSending(int socket);
// Ends both directions; the socket stays open until closed, and reads on it
// see the end of the stream.
bool shutdownBoth(int socket);
bool closeSocket(int socket);
bool setNoDelay(int socket);
// Urgent data arrives in the normal byte stream (SO_OOBINLINE).
bool setOutOfBandInline(int socket);

enum class SocketBuffer { kReceive, kSend };

// Grows the socket's receive or send buffer to at least `bytes`. A buffer the
// system already made larger is left alone: it tunes its own buffers better
// than a fixed size would. Returns false when the size could not be read or set.
bool ensureBufferSize(int socket, SocketBuffer buffer, int bytes);

std::optional<SocketAddress> localAddressOf(int socket);
std::optional<SocketAddress> peerAddressOf(int socket);

}  // namespace ferrix::platform
