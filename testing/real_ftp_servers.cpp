#include "testing/real_ftp_servers.h"

#include "testing/test_certificates.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace ferrix::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsftpd = "/usr/sbin/vsftpd";
constexpr const char* kUseradd = "/usr/sbin/useradd";

constexpr milliseconds kStartLimit{15000};
constexpr milliseconds kStopLimit{3000};
constexpr milliseconds kPollInterval{20};
constexpr milliseconds kGreetingWait{1000};
constexpr int kPortAttempts = 3;
constexpr int kUseraddAttempts = 20;
constexpr std::size_t kOutputTail = 1500;

// Passive ports of vsftpd: below Linux's default ephemeral range, so they do
// not collide with the ports the system hands the client and other fixtures.
constexpr int kVsftpdPassiveFirst = 21000;
constexpr int kVsftpdPassiveLast = 21999;

constexpr const char* kPyftpdlibUser = "ferrix";
constexpr const char* kPyftpdlibPassword = "ferrix-pass";
// The vsftpd logon is a system user; its password is fixed so that parallel
// test processes agree on it without rewriting the password file.
constexpr const char* kVsftpdUser = "ferrixftp";
constexpr const char* kVsftpdPassword = "ferrix-test-pass";
constexpr const char* kVsftpdPasswordHash =
    "$6$ferrixtestsalt$1UcQZBQ.WkWjY/WBa2VTzf8IaYZprSePRMTAK.aJ9jDEEyz8rIZ3bHtk40gsISndV3zbdHCwY19"
    "IxKc93Pe1z1";

// Anonymous users read; the named user may do everything.
constexpr const char* kPyftpdlibScript = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
host, port, root, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
authorizer = DummyAuthorizer()
authorizer.add_anonymous(root)
authorizer.add_user(user, password, root, perm="elradfmwMT")
FTPHandler.authorizer = authorizer
FTPServer((host, port), FTPHandler).serve_forever()
)";

std::string errnoText(int error) { return std::strerror(error); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The loopback address of `family` with `port`, and its length.
socklen_t loopback(LoopbackFamily family, std::uint16_t port, sockaddr_storage* address) {
  *address = {};
  if (family == LoopbackFamily::kIpv6) {
    auto* ipv6 = reinterpret_cast<sockaddr_in6*>(address);
    ipv6->sin6_family = AF_INET6;
    ipv6->sin6_port = htons(port);
    ipv6->sin6_addr = in6addr_loopback;
    return sizeof *ipv6;
  }
  auto* ipv4 = reinterpret_cast<sockaddr_in*>(address);
  ipv4->sin_family = AF_INET;
  ipv4->sin_port = htons(port);
  ipv4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return sizeof *ipv4;
}

int socketFamily(LoopbackFamily family) {
  return family == LoopbackFamily::kIpv6 ? AF_INET6 : AF_INET;
}

std::uint16_t portOf(const sockaddr_storage& address) {
  return ntohs(address.ss_family == AF_INET6
                   ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                   : reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

// A loopback port that was free a moment ago.
std::uint16_t freeLoopbackPort(LoopbackFamily family) {
  Fd socket(::socket(socketFamily(family), SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_storage address;
  socklen_t length = loopback(family, 0, &address);
  if (socket.get() < 0 || bind(socket.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return portOf(address);
}

// True when a connection to `port` is greeted with a 220 line within a second.
bool greetsOn(LoopbackFamily family, std::uint16_t port) {
  Fd socket(::socket(socketFamily(family), SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_storage address;
  const socklen_t length = loopback(family, port, &address);
  if (socket.get() < 0 ||
      connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    return false;
  }
  pollfd readable{socket.get(), POLLIN, 0};
  if (poll(&readable, 1, static_cast<int>(kGreetingWait.count())) != 1) return false;
  char greeting[4] = {};
  return recv(socket.get(), greeting, 3, MSG_WAITALL) == 3 && std::string(greeting) == "220";
}

// True when a connection to `port` is accepted (an implicit TLS server
// greets only after a handshake).
bool acceptsOn(LoopbackFamily family, std::uint16_t port) {
  Fd socket(::socket(socketFamily(family), SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_storage address;
  const socklen_t length = loopback(family, port, &address);
  return socket.get() >= 0 &&
         connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

class SpawnSettings {
 public:
  // Standard input from /dev/null; output and errors to `outputPath`, or
  // inherited when it is empty. The child leads a process group of its own.
  explicit SpawnSettings(const std::string& outputPath) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
    if (!outputPath.empty()) {
      posix_spawn_file_actions_addopen(&actions_, 1, outputPath.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
      posix_spawn_file_actions_adddup2(&actions_, 1, 2);
    }
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setpgroup(&attributes_, 0);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnSettings() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;

  // The child's id, or -1 with `error` set.
  pid_t spawn(const std::vector<std::string>& arguments, std::string* error) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, argv[0], &actions_, &attributes_, argv.data(), environ);
    if (result != 0) {
      *error = "cannot start " + arguments[0] + ": " + errnoText(result);
      return -1;
    }
    return pid;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// Runs a program to its end; its exit status, or -1 when it did not run.
int runToEnd(const std::vector<std::string>& arguments, std::string* error) {
  SpawnSettings settings("");
  const pid_t pid = settings.spawn(arguments, error);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool userExists(const char* user) { return getpwnam(user) != nullptr; }

// Makes the vsftpd test user when it is missing. Another test process may be
// making it at the same moment and hold the password file's lock, so a failed
// attempt is retried while the user is still missing.
bool ensureVsftpdUser(std::string* error) {
  for (int attempt = 0; attempt < kUseraddAttempts && !userExists(kVsftpdUser); ++attempt) {
    // vsftpd's PAM service accepts only users with a shell from /etc/shells.
    const int status =
        runToEnd({kUseradd, "--system", "--no-create-home", "--home-dir", "/", "--shell", "/bin/sh",
                  "--password", kVsftpdPasswordHash, kVsftpdUser},
                 error);
    if (status == 0) return true;
    if (status < 0) return false;
    std::this_thread::sleep_for(kPollInterval * (attempt + 1));
  }
  if (userExists(kVsftpdUser)) return true;
  *error = std::string("cannot create the system user ") + kVsftpdUser + " with " + kUseradd;
  return false;
}

bool writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  return static_cast<bool>(file.flush());
}

}  // namespace

RealFtpServer::RealFtpServer(FtpServerKind kind, LoopbackFamily family,
                             ServerCertificate certificate)
    : kind_(kind), family_(family), certificate_(certificate) {
  if (kind_ == FtpServerKind::kPyftpdlib) {
    login_ = {kPyftpdlibUser, kPyftpdlibPassword};
  } else {
    login_ = {kVsftpdUser, kVsftpdPassword};
  }
  const bool vsftpd = kind_ != FtpServerKind::kPyftpdlib;
  if (vsftpd && geteuid() != 0) {
    startError_ =
        "vsftpd logs local users on and needs root for it (and to make its test user): run the "
        "tests as root";
    return;
  }
  if (vsftpd && !ensureVsftpdUser(&startError_)) return;
  if (!prepareFolders()) return;
  if (usesTls() && !makeCertificates()) return;
  startOnFreePort();
}

RealFtpServer::~RealFtpServer() {
  stop();
  if (!scratchFolder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder_, ignored);
  }
}

const char* RealFtpServer::host() const {
  return family_ == LoopbackFamily::kIpv6 ? "::1" : "127.0.0.1";
}

const char* RealFtpServer::name() const {
  switch (kind_) {
    case FtpServerKind::kPyftpdlib: return "pyftpdlib";
    case FtpServerKind::kVsftpd: return "vsftpd";
    case FtpServerKind::kVsftpdExplicitTls: return "vsftpd (explicit TLS)";
    case FtpServerKind::kVsftpdImplicitTls: return "vsftpd (implicit TLS)";
  }
  return "?";
}

std::string testNameOf(FtpServerKind kind) {
  switch (kind) {
    case FtpServerKind::kPyftpdlib: return "Pyftpdlib";
    case FtpServerKind::kVsftpd: return "Vsftpd";
    case FtpServerKind::kVsftpdExplicitTls: return "VsftpdExplicitTls";
    case FtpServerKind::kVsftpdImplicitTls: return "VsftpdImplicitTls";
  }
  return "Unknown";
}

bool RealFtpServer::usesTls() const {
  return kind_ == FtpServerKind::kVsftpdExplicitTls || kind_ == FtpServerKind::kVsftpdImplicitTls;
}

bool RealFtpServer::makeCertificates() {
  const std::filesystem::path folder = scratchFolder_;
  const bool made = certificate_ == ServerCertificate::kSignedByTestCa
                        ? makeCaSignedCertificate(folder, &startError_)
                        : makeSelfSignedCertificate(folder, &startError_);
  if (!made) return false;
  certificateSha256_ = certificateFingerprint(folder / "server.pem", &startError_);
  return !certificateSha256_.empty();
}

std::string RealFtpServer::remoteServedFolder() const {
  // pyftpdlib serves its folder as the root; vsftpd shows the whole tree.
  return kind_ == FtpServerKind::kPyftpdlib ? "/" : servedFolder_.string();
}

// The scratch folder holds the served folder, vsftpd's configuration and
// empty folder, and the server's output. The served folder must be open to
// the system user vsftpd switches to.
bool RealFtpServer::prepareFolders() {
  std::error_code error;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
  if (error) {
    startError_ = "no temporary folder: " + error.message();
    return false;
  }
  std::string pattern = (temporary / "ferrix-ftp-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    startError_ = "cannot make a scratch folder in " + temporary.string() + ": " + errnoText(errno);
    return false;
  }
  scratchFolder_ = pattern;
  servedFolder_ = scratchFolder_ / "served";
  std::filesystem::create_directory(servedFolder_, error);
  if (!error) std::filesystem::create_directory(scratchFolder_ / "empty", error);
  if (error) {
    startError_ = "cannot make the served folder: " + error.message();
    return false;
  }
  chmod(scratchFolder_.c_str(), 0755);
  // Open to vsftpd's system user for uploads.
  chmod(servedFolder_.c_str(), 0777);
  chmod((scratchFolder_ / "empty").c_str(), 0555);
  return true;
}

// A port picked free may be taken again before the server binds it; the
// server then exits at once, and another port is tried.
bool RealFtpServer::startOnFreePort() {
  for (int attempt = 0; attempt < kPortAttempts; ++attempt) {
    const std::uint16_t port = freeLoopbackPort(family_);
    if (port == 0) {
      startError_ = "no free loopback port: " + errnoText(errno);
      return false;
    }
    startError_.clear();
    if (launch(port) && waitUntilGreeting(port)) {
      port_ = port;
      return true;
    }
    stop();
  }
  return false;
}

bool RealFtpServer::launch(std::uint16_t port) {
  std::vector<std::string> arguments;
  if (kind_ == FtpServerKind::kPyftpdlib) {
    arguments = {kPython, "-c", kPyftpdlibScript, host(), std::to_string(port),
                 servedFolder_.string(), login_.user, login_.password};
  } else {
    if (!writeVsftpdConfiguration(port)) return false;
    arguments = {kVsftpd, (scratchFolder_ / "vsftpd.conf").string()};
  }
  SpawnSettings settings((scratchFolder_ / "server-output.txt").string());
  pid_ = settings.spawn(arguments, &startError_);
  return pid_ > 0;
}

bool RealFtpServer::writeVsftpdConfiguration(std::uint16_t port) {
  std::ostringstream text;
  // Standalone in the foreground, without the sandboxes that need more
  // privileges than a container grants.
  if (family_ == LoopbackFamily::kIpv6) {
    text << "listen=NO\nlisten_ipv6=YES\nlisten_address6=::1\n";
  } else {
    text << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\npasv_address=127.0.0.1\n";
  }
  text << "background=NO\nlisten_port=" << port << "\n"
       << "seccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
       << "secure_chroot_dir=" << (scratchFolder_ / "empty").string() << "\n"
       << "anonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\nlocal_umask=022\n"
       << "pam_service_name=vsftpd\nsession_support=NO\nuserlist_enable=NO\n"
       << "local_root=" << servedFolder_.string() << "\n"
       << "pasv_enable=YES\n"
       << "pasv_min_port=" << kVsftpdPassiveFirst << "\npasv_max_port=" << kVsftpdPassiveLast
       << "\nport_enable=YES\nconnect_from_port_20=NO\n"
       << "xferlog_enable=NO\nsyslog_enable=NO\ndirmessage_enable=NO\n"
       << "vsftpd_log_file=" << (scratchFolder_ / "vsftpd.log").string() << "\n";
  if (usesTls()) {
    text << "ssl_enable=YES\nallow_anon_ssl=NO\nssl_ciphers=HIGH\n"
         << "ssl_tlsv1=YES\nssl_sslv2=NO\nssl_sslv3=NO\n"
         << "require_ssl_reuse=YES\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\n"
         << "rsa_cert_file=" << (scratchFolder_ / "server.pem").string() << "\n"
         << "rsa_private_key_file=" << (scratchFolder_ / "server.key").string() << "\n"
         << "implicit_ssl=" << (kind_ == FtpServerKind::kVsftpdImplicitTls ? "YES" : "NO")
         << "\n";
  }
  if (!writeFile(scratchFolder_ / "vsftpd.conf", text.str())) {
    startError_ = "cannot write the vsftpd configuration";
    return false;
  }
  // vsftpd refuses a configuration file that others may write.
  chmod((scratchFolder_ / "vsftpd.conf").c_str(), 0600);
  return true;
}

bool RealFtpServer::waitUntilGreeting(std::uint16_t port) {
  const Clock::time_point deadline = Clock::now() + kStartLimit;
  while (Clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      startError_ = std::string(name()) + " exited at start-up: " + serverOutput();
      return false;
    }
    const bool ready = kind_ == FtpServerKind::kVsftpdImplicitTls ? acceptsOn(family_, port)
                                                                  : greetsOn(family_, port);
    if (ready) return true;
    std::this_thread::sleep_for(kPollInterval);
  }
  startError_ = std::string(name()) + " did not greet on port " + std::to_string(port) +
                " within " + std::to_string(kStartLimit.count()) + " ms: " + serverOutput();
  return false;
}

namespace {

// The parent of process `pid`, read from /proc; -1 when it is gone.
pid_t parentOf(const std::string& pid) {
  std::ifstream file("/proc/" + pid + "/stat");
  std::string line;
  if (!std::getline(file, line)) return -1;
  // The command name in parentheses may hold blanks; the fields follow it.
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 1));
  std::string state;
  pid_t parent = -1;
  fields >> state >> parent;
  return fields ? parent : -1;
}

}  // namespace

// vsftpd's session processes start sessions of their own, so they are found
// as the listener's descendants rather than by process group.
void RealFtpServer::endSessions() {
  if (pid_ <= 0) return;
  std::vector<std::pair<pid_t, pid_t>> processes;  // (process, parent)
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    processes.emplace_back(static_cast<pid_t>(std::stol(name)), parentOf(name));
  }
  std::vector<pid_t> ancestors = {pid_};
  for (std::size_t next = 0; next < ancestors.size(); ++next) {
    for (const auto& [process, parent] : processes) {
      if (parent == ancestors[next]) ancestors.push_back(process);
    }
  }
  for (std::size_t i = 1; i < ancestors.size(); ++i) kill(ancestors[i], SIGKILL);
}

// Stops the whole process group (the server and its connection workers),
// politely first.
void RealFtpServer::stop() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGTERM);
  const Clock::time_point deadline = Clock::now() + kStopLimit;
  int status = 0;
  pid_t reaped = 0;
  while ((reaped = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(kPollInterval);
  }
  if (reaped == 0) {
    kill(-pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

std::string RealFtpServer::serverOutput() const {
  std::ifstream file(scratchFolder_ / "server-output.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (text.size() > kOutputTail) text = "..." + text.substr(text.size() - kOutputTail);
  return text.empty() ? "(no output)" : text;
}

}  // namespace ferrix::testing
