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

enum class FtpServerKind { kPyftpdlib, kVsftpd };

// The loopback address the server listens on: 127.0.0.1 or ::1.
enum class LoopbackFamily { kIpv4, kIpv6 };

struct FtpLogin {
  std::string user;
  std::string password;
};

class RealFtpServer {
 public:
  // Starts the server and waits (bounded) until it greets on its port.
  explicit RealFtpServer(FtpServerKind kind, LoopbackFamily family = LoopbackFamily::kIpv4);
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
  void stop();
  std::string serverOutput() const;

  FtpServerKind kind_;
  LoopbackFamily family_;
  std::string startError_;
  std::uint16_t port_ = 0;
  pid_t pid_ = -1;
  std::filesystem::path scratchFolder_;
  std::filesystem::path servedFolder_;
  FtpLogin login_;
};

}  // namespace ferrix::testing
