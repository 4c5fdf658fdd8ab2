#include "platform/tls_stream.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <mutex>

#include "platform/socket_address.h"
#include "platform/socket_errors.h"
#include "platform/tcp_socket.h"
#include "platform/tls_certificate_text.h"

namespace ferrix::platform {
namespace {

// How much a data connection reads from the socket at once, whole records.
constexpr std::size_t kDataReadAhead = 256 * 1024;

std::string openSslErrorText(std::string_view fallback) {
  const unsigned long error = ERR_peek_last_error();
  ERR_clear_error();
  if (error == 0) return std::string(fallback);
  const char* reason = ERR_reason_error_string(error);
  return reason != nullptr ? reason : std::string(fallback);
}

bool isUnexpectedEnd() {
  const unsigned long error = ERR_peek_last_error();
  return error != 0 && ERR_GET_REASON(error) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

// OpenSSL writes to the socket with write(2), which raises SIGPIPE when the
// server has gone; plain sockets avoid it per call (MSG_NOSIGNAL), TLS can
// only by ignoring the signal. A handler the program installed is kept.
void ignoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      signal(SIGPIPE, SIG_IGN);
    }
  });
}

}  // namespace

TlsClientContext::TlsClientContext() : context_(SSL_CTX_new(TLS_client_method())) {
  ignoreBrokenPipes();
  if (context_ == nullptr) return;
  SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
  SSL_CTX_set_default_verify_paths(context_);
  // The handshake goes on whatever the certificate; the caller decides
  // afterwards from the verification result, which OpenSSL still records.
  SSL_CTX_set_verify(context_, SSL_VERIFY_NONE, nullptr);
  SSL_CTX_set_mode(context_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  SSL_CTX_set_session_cache_mode(context_,
                                 SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
  SSL_CTX_sess_set_new_cb(context_, &TlsClientContext::keepNewSession);
  SSL_CTX_set_app_data(context_, this);
}

TlsClientContext::~TlsClientContext() {
  forgetSession();
  if (context_ != nullptr) SSL_CTX_free(context_);
}

// TLS 1.3 hands out tickets after the handshake, whenever a connection is
// read, and servers with a session cache take each ticket once only: the
// newest one, from the control connection or from a data connection that
// resumed its session, is what the next data connection offers.
int TlsClientContext::keepNewSession(SSL* ssl, SSL_SESSION* session) {
  auto* context = static_cast<TlsClientContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
  if (context == nullptr) return 0;
  context->keep(session);
  return 1;
}

void TlsClientContext::keep(SSL_SESSION* session) {
  std::lock_guard lock(mutex_);
  if (newest_ != nullptr) SSL_SESSION_free(newest_);
  newest_ = session;
}

void TlsClientContext::forgetSession() {
  std::lock_guard lock(mutex_);
  if (newest_ != nullptr) SSL_SESSION_free(newest_);
  newest_ = nullptr;
}

std::unique_ptr<TlsStream> TlsClientContext::newStream(int socket, const std::string& hostName,
                                                       TlsRole role) {
  if (context_ == nullptr) return nullptr;
  SSL* ssl = SSL_new(context_);
  if (ssl == nullptr) return nullptr;
  auto stream = std::make_unique<TlsStream>(ssl, role);
  SSL_set_app_data(ssl, stream.get());
  if (SSL_set_fd(ssl, socket) != 1) return nullptr;
  // An address literal is checked against the certificate's IP entries;
  // the brackets of an IPv6 literal are no part of the address.
  if (const std::optional<SocketAddress> literal = parseNumericAddress(hostName)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), literal->text().c_str());
  } else {
    SSL_set_tlsext_host_name(ssl, hostName.c_str());
    SSL_set1_host(ssl, hostName.c_str());
  }
  if (role == TlsRole::kData) {
    // Several records per read() instead of a header and a body each; safe
    // because the data socket is only ever read through SSL_read, never
    // polled first, so bytes held back in OpenSSL are never overlooked.
    SSL_set_read_ahead(ssl, 1);
    SSL_set_default_read_buffer_len(ssl, kDataReadAhead);
    std::lock_guard lock(mutex_);
    if (newest_ != nullptr) SSL_set_session(ssl, newest_);
  }
  return stream;
}

TlsStream::TlsStream(SSL* ssl, TlsRole role) : ssl_(ssl), role_(role) {}

TlsStream::~TlsStream() { SSL_free(ssl_); }

TlsStream::Step TlsStream::settle(int result, BlockingCalls& calls, std::uint64_t milliseconds) {
  short events = 0;
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ: events = POLLIN; break;
    case SSL_ERROR_WANT_WRITE: events = POLLOUT; break;
    case SSL_ERROR_ZERO_RETURN: return Step::kClosed;
    case SSL_ERROR_SYSCALL:
      broken_ = true;
      if (errno != 0 && !isUnexpectedEnd()) {
        setLastSocketErrorFromErrno();
        errorText_ = openSslErrorText("connection reset");
        return Step::kFailed;
      }
      [[fallthrough]];
    case SSL_ERROR_SSL:
      broken_ = true;
      if (isUnexpectedEnd() || ERR_peek_last_error() == 0) {
        ERR_clear_error();
        // The control connection may just end; a data connection that ends
        // without close_notify may have been cut short.
        if (role_ == TlsRole::kControl) return Step::kClosed;
        errorText_ = "the connection ended without a TLS close";
      } else {
        errorText_ = openSslErrorText("TLS failure");
      }
      setLastSocketError(socket_error::kConnectionAborted);
      return Step::kFailed;
    default:
      broken_ = true;
      errorText_ = openSslErrorText("TLS failure");
      setLastSocketError(socket_error::kConnectionAborted);
      return Step::kFailed;
  }
  const WaitResult wait = calls.waitForSocket(SSL_get_fd(ssl_), events, milliseconds);
  if (wait == WaitResult::kReady) return Step::kAgain;
  errorText_ = wait == WaitResult::kFailed ? "wait failed" : "cancelled or timed out";
  return Step::kFailed;
}

template <typename Call>
long TlsStream::drive(BlockingCalls& calls, std::uint64_t milliseconds, Call call) {
  if (broken_) {
    setLastSocketError(socket_error::kConnectionAborted);
    return -1;
  }
  for (;;) {
    ERR_clear_error();
    errno = 0;
    const int result = call();
    if (result > 0) return result;
    switch (settle(result, calls, milliseconds)) {
      case Step::kAgain: continue;
      case Step::kClosed: return 0;
      case Step::kDone: return result;
      case Step::kFailed: return -1;
    }
  }
}

bool TlsStream::handshake(BlockingCalls& calls, std::uint64_t milliseconds) {
  const long result = drive(calls, milliseconds, [this] { return SSL_connect(ssl_); });
  if (result > 0) return true;
  if (result == 0) errorText_ = "the server closed the connection during the TLS handshake";
  broken_ = true;
  return false;
}

long TlsStream::write(BlockingCalls& calls, const void* bytes, std::size_t length,
                      std::uint64_t milliseconds) {
  if (length == 0) return 0;
  const int chunk = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
  const long written =
      drive(calls, milliseconds, [&] { return SSL_write(ssl_, bytes, chunk); });
  if (written == 0) {
    setLastSocketError(socket_error::kConnectionReset);
    return -1;
  }
  return written;
}

long TlsStream::read(BlockingCalls& calls, void* buffer, std::size_t length,
                     std::uint64_t milliseconds) {
  const int chunk = static_cast<int>(std::min<std::size_t>(length, 1 << 30));
  return drive(calls, milliseconds, [&] { return SSL_read(ssl_, buffer, chunk); });
}

bool TlsStream::closeNotify(BlockingCalls& calls, std::uint64_t milliseconds) {
  if (broken_) return false;
  for (;;) {
    ERR_clear_error();
    const int result = SSL_shutdown(ssl_);
    if (result >= 0) return true;
    const int error = SSL_get_error(ssl_, result);
    const short events = error == SSL_ERROR_WANT_WRITE  ? POLLOUT
                         : error == SSL_ERROR_WANT_READ ? POLLIN
                                                        : 0;
    if (events == 0) {
      broken_ = true;
      errorText_ = openSslErrorText("TLS close failed");
      return false;
    }
    if (calls.waitForSocket(SSL_get_fd(ssl_), events, milliseconds) != WaitResult::kReady) {
      return false;
    }
  }
}

void TlsStream::markBroken(std::string reason) {
  broken_ = true;
  errorText_ = std::move(reason);
}

TlsCertificate TlsStream::peerCertificate() const {
  TlsCertificate certificate;
  const X509* peer = SSL_get0_peer_certificate(ssl_);
  if (peer == nullptr) {
    certificate.problem = "the server sent no certificate";
    return certificate;
  }
  describeCertificate(peer, certificate);
  const long result = SSL_get_verify_result(ssl_);
  certificate.verified = result == X509_V_OK;
  if (!certificate.verified) certificate.problem = X509_verify_cert_error_string(result);
  return certificate;
}

std::string TlsStream::protocol() const { return SSL_get_version(ssl_); }

std::string TlsStream::cipher() const {
  const char* name = SSL_get_cipher_name(ssl_);
  return name != nullptr ? name : "";
}

bool TlsStream::sessionReused() const { return SSL_session_reused(ssl_) == 1; }

TlsConnections::TlsConnections() = default;
TlsConnections::~TlsConnections() = default;

std::shared_ptr<TlsStream> TlsConnections::attach(int socket, const std::string& hostName,
                                                  TlsRole role) {
  std::lock_guard lock(mutex_);
  if (!context_) context_ = std::make_unique<TlsClientContext>();
  std::shared_ptr<TlsStream> stream = context_->newStream(socket, hostName, role);
  if (stream) streams_[socket] = stream;
  return stream;
}

std::shared_ptr<TlsStream> TlsConnections::find(int socket) {
  std::lock_guard lock(mutex_);
  if (streams_.empty()) return nullptr;
  const auto found = streams_.find(socket);
  return found == streams_.end() ? nullptr : found->second;
}

void TlsConnections::drop(int socket) {
  std::lock_guard lock(mutex_);
  streams_.erase(socket);
}

void TlsConnections::forgetSession() {
  std::lock_guard lock(mutex_);
  if (context_) context_->forgetSession();
}

}  // namespace ferrix::platform
