// Real FTP servers for interoperability tests: pyftpdlib and vsftpd, each
// started as a child process on a loopback port of its own, serving a fresh
// folder that the test fills. pyftpdlib offers an anonymous read-only logon
// and a user with a password; vsftpd a local system user with a password
// (made on first use, which needs root, as does vsftpd itself).
//
// A server that cannot be started says why (startError()); the test is meant
// to fail with that text, never to skip.
//
// Ownership: the object owns the child process (in a process group of its
// own, so connection workers go with it) and its scratch folder; the
// destructor stops the one and removes the other.
// Thread rule: one thread makes, uses and destroys the object.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace ferrix::testing {

// The TLS kinds are vsftpd requiring TLS for logons and data, with session
// reuse on data connections, explicit (AUTH TLS) or implicit (TLS from the
// first byte), TLS 1.2 and 1.3 allowed.
enum class FtpServerKind { kPyftpdlib, kVsftpd, kVsftpdExplicitTls, kVsftpdImplicitTls };

// The certificate of a TLS server: issued for localhost and 127.0.0.1 by a
// test CA (trusted when a test points SSL_CERT_FILE at caFile()), or
// self-signed (trusted by nobody).
enum class ServerCertificate { kSignedByTestCa, kSelfSigned };

// The loopback address the server listens on: 127.0.0.1 or ::1.
enum class LoopbackFamily { kIpv4, kIpv6 };

struct FtpLogin {
  std::string user;
  std::string password;
};

// A name for test parameters: "Pyftpdlib", "Vsftpd", "VsftpdExplicitTls", ...
std::string testNameOf(FtpServerKind kind);

class RealFtpServer {
 public:
  // Starts the server and waits (bounded) until it greets on its port.
  explicit RealFtpServer(FtpServerKind kind, LoopbackFamily family = LoopbackFamily::kIpv4,
                         ServerCertificate certificate = ServerCertificate::kSignedByTestCa);
  ~RealFtpServer();
  RealFtpServer(const RealFtpServer&) = delete;
  RealFtpServer& operator=(const RealFtpServer&) = delete;

  // Empty when the server runs; otherwise why it could not be started.
  const std::string& startError() const { return startError_; }
  std::uint16_t port() const { return port_; }
  // "127.0.0.1" or "::1".
  const char* host() const;
  // The folder the user logs on to; files put here are served.
  const std::filesystem::path& servedFolder() const { return servedFolder_; }
  // The served folder's path as the logged-on user sees it.
  std::string remoteServedFolder() const;
  // The user with a password; it may read and write.
  const FtpLogin& login() const { return login_; }
  const char* name() const;
  bool usesTls() const;
  FtpServerKind kind() const { return kind_; }
  // The test CA's certificate (TLS kinds signed by it), a PEM file.
  std::filesystem::path caFile() const { return scratchFolder_ / "ca.pem"; }
  // The SHA-256 fingerprint of the server's certificate, as Ferrix writes it.
  const std::string& certificateSha256() const { return certificateSha256_; }

  // Kills the processes that serve connections, as if the server had died
  // under them, while the listener stays up for the next logon. vsftpd
  // serves each connection in processes of its own; pyftpdlib has none.
  void endSessions();

 private:
  bool prepareFolders();
  bool startOnFreePort();
  bool launch(std::uint16_t port);
  bool waitUntilGreeting(std::uint16_t port);
  bool writeVsftpdConfiguration(std::uint16_t port);
  bool makeCertificates();
  void stop();
  std::string serverOutput() const;

  FtpServerKind kind_;
  LoopbackFamily family_;
  ServerCertificate certificate_;
  std::string certificateSha256_;
  std::string startError_;
  std::uint16_t port_ = 0;
  pid_t pid_ = -1;
  std::filesystem::path scratchFolder_;
  std::filesystem::path servedFolder_;
  FtpLogin login_;
};

}  // namespace ferrix::testing
