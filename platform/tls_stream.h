// TLS over an open, non-blocking TCP socket, client side, over OpenSSL 3.
// The rest of Ferrix never sees OpenSSL: it holds a TlsStream per secured
// socket (TlsConnections keeps them by socket handle) and reads and writes
// through it with the same cancellable waits as plain sockets.
//
// TlsClientContext is one per session: TLS 1.2 at least, the system's trust
// store (OpenSSL's default paths, which honour SSL_CERT_FILE and
// SSL_CERT_DIR), and the newest TLS session the server handed out, which
// every data connection offers again (servers insist on it so that nobody
// else can slip a data connection in). With TLS 1.3 a server may take each
// ticket once only, so the newest is kept from whichever connection of the
// session received it. The handshake never fails on an
// untrusted certificate: the caller reads the verification result and the
// certificate afterwards and decides, so a person can be asked.
//
// Thread rule: a stream is used by one thread at a time; the context and
// TlsConnections may be used from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/blocking_calls.h"

using SSL = struct ssl_st;
using SSL_CTX = struct ssl_ctx_st;
using SSL_SESSION = struct ssl_session_st;

namespace ferrix::platform {

// What a person needs to decide about a certificate.
struct TlsCertificate {
  std::string subject;
  std::string issuer;
  std::string notBefore;
  std::string notAfter;
  std::string sha256;        // upper-case hex pairs joined by ':'
  bool verified = false;     // chain, dates and host name all checked out
  std::string problem;       // why not, when not verified
};

enum class TlsRole { kControl, kData };

class TlsStream;

class TlsClientContext {
 public:
  TlsClientContext();
  ~TlsClientContext();
  TlsClientContext(const TlsClientContext&) = delete;
  TlsClientContext& operator=(const TlsClientContext&) = delete;

  // A stream over `socket` for `hostName` (a DNS name or an IP address,
  // checked against the certificate). A data stream offers the newest
  // session kept. Nothing when OpenSSL could not make one.
  std::unique_ptr<TlsStream> newStream(int socket, const std::string& hostName, TlsRole role);

  // Drops the kept session (a new control connection starts afresh).
  void forgetSession();

 private:
  friend class TlsStream;
  static int keepNewSession(SSL* ssl, SSL_SESSION* session);
  void keep(SSL_SESSION* session);

  SSL_CTX* context_ = nullptr;
  std::mutex mutex_;
  SSL_SESSION* newest_ = nullptr;  // guarded by mutex_
};

class TlsStream {
 public:
  TlsStream(SSL* ssl, TlsRole role);
  ~TlsStream();
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;

  // Runs the handshake, each wait at most `milliseconds`. False with
  // errorText() set (and the last socket error 10004 when cancelled).
  bool handshake(BlockingCalls& calls, std::uint64_t milliseconds);

  // As sendWithTimeout/recvWithTimeout on a plain socket: the bytes moved,
  // -1 with the last socket error set, and read returns 0 at the peer's
  // orderly end.
  long write(BlockingCalls& calls, const void* bytes, std::size_t length,
             std::uint64_t milliseconds);
  long read(BlockingCalls& calls, void* buffer, std::size_t length, std::uint64_t milliseconds);

  // Sends close_notify so the peer knows the data ended here and was not cut.
  bool closeNotify(BlockingCalls& calls, std::uint64_t milliseconds);

  // Makes every later read and write fail: a data connection whose
  // handshake failed must never pass for an empty one.
  void markBroken(std::string reason);

  TlsCertificate peerCertificate() const;
  std::string protocol() const;
  std::string cipher() const;
  bool sessionReused() const;
  const std::string& errorText() const { return errorText_; }

 private:
  enum class Step { kDone, kAgain, kFailed, kClosed };
  template <typename Call>
  long drive(BlockingCalls& calls, std::uint64_t milliseconds, Call call);
  Step settle(int result, BlockingCalls& calls, std::uint64_t milliseconds);

  SSL* ssl_;
  TlsRole role_;
  bool broken_ = false;
  std::string errorText_;
};

// The secured sockets of one session, by handle.
class TlsConnections {
 public:
  TlsConnections();
  ~TlsConnections();

  // Registers a stream over `socket`, before its handshake, so the socket
  // never reads as plain again until dropped. Nothing when none could be made.
  std::shared_ptr<TlsStream> attach(int socket, const std::string& hostName, TlsRole role);
  // The stream of `socket`; a caller keeps it alive while it uses it, even
  // when another thread drops the socket meanwhile.
  std::shared_ptr<TlsStream> find(int socket);
  void drop(int socket);
  void forgetSession();

 private:
  std::mutex mutex_;
  std::unique_ptr<TlsClientContext> context_;          // guarded by mutex_
  std::map<int, std::shared_ptr<TlsStream>> streams_;  // guarded by mutex_
};

}  // namespace ferrix::platform
