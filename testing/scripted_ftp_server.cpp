#include "testing/scripted_ftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <system_error>
#include <utility>

namespace ferrix::testing {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string errorText(int error) { return std::system_category().message(error); }

// Bytes as a C++ string literal body, so reports show CR, LF and binary plainly.
std::string escape(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string quoted(const std::string& bytes) { return "\"" + escape(bytes) + "\""; }

void setNoDelay(int fd) {
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A non-blocking socket listening on 127.0.0.1 on a port the system chooses.
UniqueFd listenOnLoopback(std::uint16_t* port, std::string* error) {
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (!fd.valid() || bind(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(fd.get(), 8) != 0 ||
      getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    *error = "cannot listen on 127.0.0.1: " + errorText(errno);
    return UniqueFd();
  }
  *port = ntohs(address.sin_port);
  return fd;
}

// Splits "PORT h1,h2,h3,h4,p1,p2" into a dotted address and a port.
bool parsePortCommand(const std::string& line, std::string* host, std::uint16_t* port) {
  unsigned n[6];
  char rest;
  if (std::sscanf(line.c_str(), "PORT %u,%u,%u,%u,%u,%u%c", &n[0], &n[1], &n[2], &n[3], &n[4],
                  &n[5], &rest) != 6 ||
      std::any_of(std::begin(n), std::end(n), [](unsigned v) { return v > 255; })) {
    return false;
  }
  *host = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
          std::to_string(n[3]);
  *port = static_cast<std::uint16_t>(n[4] * 256 + n[5]);
  return true;
}

}  // namespace

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}

std::string renderWithUrgentMarks(const std::vector<ReceivedChunk>& chunks) {
  std::string out;
  for (const ReceivedChunk& chunk : chunks) {
    if (!chunk.urgent) {
      out += chunk.bytes;
      continue;
    }
    for (unsigned char c : chunk.bytes) {
      char mark[16];
      std::snprintf(mark, sizeof mark, "<URG:%02X>", c);
      out += mark;
    }
  }
  return out;
}

std::string passiveReply(std::uint16_t port) {
  return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + "," +
         std::to_string(port % 256) + ")";
}

ScriptedFtpServer::ScriptedFtpServer() : wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  std::string error;
  listener_ = listenOnLoopback(&port_, &error);
  if (!listener_.valid()) recordFailure(error);
  if (!wake_.valid()) recordFailure("cannot create the wake-up descriptor: " + errorText(errno));
}

ScriptedFtpServer::~ScriptedFtpServer() {
  stopping_ = true;
  eventfd_write(wake_.get(), 1);
  if (thread_.joinable()) thread_.join();
}

// ---- Writing the script ----

ScriptedFtpServer& ScriptedFtpServer::addStep(std::string description,
                                              std::function<bool()> run) {
  if (started_) {
    recordFailure("step written after start(): " + description);
  } else {
    script_.push_back({std::move(description), std::move(run)});
  }
  return *this;
}

ScriptedFtpServer& ScriptedFtpServer::send(std::string bytes) {
  std::string description = "send(" + quoted(bytes) + ")";
  return addStep(std::move(description), [this, bytes = std::move(bytes)] {
    return requireControl() && writeAll(control_.get(), bytes, "send");
  });
}

ScriptedFtpServer& ScriptedFtpServer::sendInPieces(std::string bytes, std::size_t pieceSize,
                                                   milliseconds gap) {
  std::string description =
      "sendInPieces(" + quoted(bytes) + ", " + std::to_string(pieceSize) + ")";
  return addStep(std::move(description), [this, bytes = std::move(bytes), pieceSize, gap] {
    return stepSendInPieces(bytes, std::max<std::size_t>(pieceSize, 1), gap);
  });
}

ScriptedFtpServer& ScriptedFtpServer::reply(const std::string& text) { return send(text + "\r\n"); }

ScriptedFtpServer& ScriptedFtpServer::expectLine(std::string text) {
  std::string description = "expectLine(" + quoted(text) + ")";
  return expectLineMatching(std::move(description),
                            [text = std::move(text)](const std::string& line) {
                              return line == text;
                            });
}

ScriptedFtpServer& ScriptedFtpServer::expectLineStartingWith(std::string prefix) {
  std::string description = "expectLineStartingWith(" + quoted(prefix) + ")";
  return expectLineMatching(std::move(description),
                            [prefix = std::move(prefix)](const std::string& line) {
                              return line.starts_with(prefix);
                            });
}

ScriptedFtpServer& ScriptedFtpServer::expectLineMatching(
    std::string description, std::function<bool(const std::string&)> predicate) {
  return addStep(std::move(description), [this, predicate = std::move(predicate)] {
    return stepExpectLine(predicate);
  });
}

ScriptedFtpServer& ScriptedFtpServer::delay(milliseconds duration) {
  return addStep("delay(" + std::to_string(duration.count()) + " ms)",
                 [this, duration] { return sleepFor(duration); });
}

ScriptedFtpServer& ScriptedFtpServer::closeConnection() {
  return addStep("closeConnection()", [this] { return stepCloseConnection(false); });
}

ScriptedFtpServer& ScriptedFtpServer::resetConnection() {
  return addStep("resetConnection()", [this] { return stepCloseConnection(true); });
}

ScriptedFtpServer& ScriptedFtpServer::waitForClientClose() {
  return addStep("waitForClientClose()", [this] { return stepWaitForClose(stepDeadline()); });
}

ScriptedFtpServer& ScriptedFtpServer::neverAnswer() {
  return addStep("neverAnswer()", [this] { return stepWaitForClose(std::nullopt); });
}

ScriptedFtpServer& ScriptedFtpServer::acceptNextConnection() {
  return addStep("acceptNextConnection()", [this] { return stepAcceptNext(); });
}

std::uint16_t ScriptedFtpServer::openPassiveDataListener() {
  if (started_) {
    recordFailure("openPassiveDataListener() called after start()");
    return 0;
  }
  if (!dataListener_.valid()) {
    std::string error;
    dataListener_ = listenOnLoopback(&dataPort_, &error);
    if (!dataListener_.valid()) recordFailure(error);
  }
  return dataPort_;
}

ScriptedFtpServer& ScriptedFtpServer::acceptData() {
  return addStep("acceptData()", [this] { return stepAcceptData(); });
}

ScriptedFtpServer& ScriptedFtpServer::connectActive(std::string host, std::uint16_t port) {
  std::string description = "connectActive(" + host + ", " + std::to_string(port) + ")";
  return addStep(std::move(description), [this, host = std::move(host), port] {
    return stepConnectActive(host, port);
  });
}

ScriptedFtpServer& ScriptedFtpServer::connectActiveFromPortCommand(std::string sourceHost) {
  std::string description = "connectActiveFromPortCommand(" + sourceHost + ")";
  return addStep(std::move(description), [this, sourceHost = std::move(sourceHost)] {
    std::string host;
    std::uint16_t port = 0;
    if (!parsePortCommand(lastPortLine_, &host, &port)) {
      fail("no usable PORT line received (last: " + quoted(lastPortLine_) + ")");
      return false;
    }
    return stepConnectActive(host, port, sourceHost);
  });
}

ScriptedFtpServer& ScriptedFtpServer::sendData(std::string bytes) {
  std::string description = "sendData(" + std::to_string(bytes.size()) + " bytes)";
  return addStep(std::move(description), [this, bytes = std::move(bytes)] {
    return stepSendData(bytes, false);
  });
}

ScriptedFtpServer& ScriptedFtpServer::sendDataUntilAborted(std::string bytes) {
  std::string description = "sendDataUntilAborted(" + std::to_string(bytes.size()) + " bytes)";
  return addStep(std::move(description), [this, bytes = std::move(bytes)] {
    return stepSendData(bytes, true);
  });
}

ScriptedFtpServer& ScriptedFtpServer::receiveDataUntilClose() {
  return addStep("receiveDataUntilClose()", [this] { return stepReceiveDataUntilClose(); });
}

ScriptedFtpServer& ScriptedFtpServer::closeData() {
  return addStep("closeData()", [this] {
    if (!requireData()) return false;
    shutdown(data_.get(), SHUT_WR);
    data_.reset();
    return true;
  });
}

ScriptedFtpServer& ScriptedFtpServer::servePassiveListing(std::uint16_t dataPort,
                                                          std::string command, std::string bytes) {
  return expectLine("PASV")
      .reply(passiveReply(dataPort))
      .acceptData()
      .expectLine(std::move(command))
      .reply("150 Opening ASCII mode data connection")
      .sendData(std::move(bytes))
      .closeData()
      .reply("226 Transfer complete");
}

// ---- Running the script ----

void ScriptedFtpServer::start() {
  if (started_) return;
  script_.insert(script_.begin(), Step{"accepting the control connection",
                                       [this] { return stepAcceptNext(); }});
  started_ = true;
  thread_ = std::thread([this] { runScript(); });
}

void ScriptedFtpServer::runScript() {
  for (currentStep_ = 0; currentStep_ < script_.size(); ++currentStep_) {
    if (!script_[currentStep_].run()) break;
  }
  if (stopping_) return;
  if (currentStep_ + 1 < script_.size()) {
    recordFailure("steps " + std::to_string(currentStep_ + 1) + " to " +
                  std::to_string(script_.size() - 1) + " not run");
  }
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  doneChanged_.notify_all();
  // Keep recording what the client sends after the script, until it closes.
  if (control_.valid()) stepWaitForClose(std::nullopt);
}

bool ScriptedFtpServer::waitUntilDone(milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return doneChanged_.wait_for(lock, timeout, [this] { return done_; });
}

ScriptedFtpServer::Deadline ScriptedFtpServer::stepDeadline() {
  return Clock::now() + kStepTimeLimit;
}

bool ScriptedFtpServer::stepSendInPieces(const std::string& bytes, std::size_t pieceSize,
                                         milliseconds gap) {
  if (!requireControl()) return false;
  for (std::size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
    if (offset > 0 && !sleepFor(gap)) return false;
    if (!writeAll(control_.get(), bytes.substr(offset, pieceSize), "send")) return false;
  }
  return true;
}

bool ScriptedFtpServer::stepExpectLine(const std::function<bool(const std::string&)>& matches) {
  if (!requireControl()) return false;
  Read outcome = Read::kData;
  std::optional<std::string> line = takeLine(stepDeadline(), &outcome);
  if (!line) {
    if (outcome == Read::kStopped) return false;
    std::string partial =
        partialLine_.empty() ? "" : " (partial line " + quoted(partialLine_) + ")";
    fail((outcome == Read::kClosed ? "the client closed the connection"
                                   : "no line within " + std::to_string(kStepTimeLimit.count()) +
                                         " ms") +
         partial);
    return false;
  }
  if (!matches(*line)) fail("got " + quoted(*line));
  return true;
}

bool ScriptedFtpServer::stepCloseConnection(bool reset) {
  if (!requireControl()) return false;
  if (reset) {
    linger abortive{1, 0};
    setsockopt(control_.get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  } else {
    // Unread input would turn the close into a reset; take it first.
    drainPendingControl();
    shutdown(control_.get(), SHUT_WR);
  }
  control_.reset();
  return true;
}

bool ScriptedFtpServer::stepWaitForClose(Deadline deadline) {
  if (!requireControl()) return false;
  for (;;) {
    switch (readControl(deadline)) {
      case Read::kData:
      case Read::kNothing:
        break;
      case Read::kClosed:
        control_.reset();
        return true;
      case Read::kTimedOut:
        fail("the client did not close within " + std::to_string(kStepTimeLimit.count()) + " ms");
        return false;
      case Read::kStopped:
        return false;
    }
  }
}

bool ScriptedFtpServer::stepAcceptNext() {
  if (control_.valid()) stepCloseConnection(false);
  partialLine_.clear();
  unreadLines_.clear();
  std::optional<UniqueFd> accepted = acceptOn(listener_);
  if (!accepted) return false;
  control_ = std::move(*accepted);
  setNoDelay(control_.get());
  return true;
}

bool ScriptedFtpServer::stepAcceptData() {
  if (!dataListener_.valid()) {
    fail("openPassiveDataListener() was not called");
    return false;
  }
  std::optional<UniqueFd> accepted = acceptOn(dataListener_);
  if (!accepted) return false;
  data_ = std::move(*accepted);
  return true;
}

std::optional<UniqueFd> ScriptedFtpServer::acceptOn(const UniqueFd& listener) {
  if (!listener.valid()) {
    fail("no listening socket");
    return std::nullopt;
  }
  Deadline deadline = stepDeadline();
  for (;;) {
    switch (waitFor(listener.get(), POLLIN, deadline)) {
      case Wait::kReady:
        break;
      case Wait::kTimedOut:
        fail("no client connected within " + std::to_string(kStepTimeLimit.count()) + " ms");
        return std::nullopt;
      case Wait::kStopped:
        return std::nullopt;
    }
    UniqueFd fd(accept4(listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (fd.valid()) return fd;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
      fail("accept failed: " + errorText(errno));
      return std::nullopt;
    }
  }
}

bool ScriptedFtpServer::stepConnectActive(const std::string& host, std::uint16_t port,
                                          const std::string& sourceHost) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
    fail("not an IPv4 address: " + quoted(host));
    return false;
  }
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid()) {
    fail("cannot create a socket: " + errorText(errno));
    return false;
  }
  if (!sourceHost.empty()) {
    sockaddr_in source{};
    source.sin_family = AF_INET;
    if (inet_pton(AF_INET, sourceHost.c_str(), &source.sin_addr) != 1 ||
        bind(fd.get(), reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
      fail("cannot connect from " + quoted(sourceHost));
      return false;
    }
  }
  int error = 0;
  if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      Wait waited = waitFor(fd.get(), POLLOUT, stepDeadline());
      if (waited == Wait::kStopped) return false;
      socklen_t length = sizeof error;
      error = waited == Wait::kTimedOut ? ETIMEDOUT : 0;
      if (!error) getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length);
    }
  }
  if (error) {
    fail("connect failed: " + errorText(error));
    return false;
  }
  data_ = std::move(fd);
  return true;
}

bool ScriptedFtpServer::stepSendData(const std::string& bytes, bool clientMayAbort) {
  if (!requireData()) return false;
  if (!clientMayAbort) return writeAll(data_.get(), bytes, "sendData");
  std::size_t sent = 0;
  int error = writeSome(data_.get(), bytes, &sent);
  if (error == 0 || error == EPIPE || error == ECONNRESET) return true;
  if (error != ECANCELED) fail("sendData: " + errorText(error));
  return false;
}

bool ScriptedFtpServer::stepReceiveDataUntilClose() {
  if (!requireData()) return false;
  std::string received;
  std::string problem;
  for (bool open = true; open;) {
    Wait waited = waitFor(data_.get(), POLLIN, stepDeadline());
    if (waited == Wait::kStopped) return false;
    if (waited == Wait::kTimedOut) {
      problem = "the client did not close the data connection within " +
                std::to_string(kStepTimeLimit.count()) + " ms";
      break;
    }
    char buffer[16384];
    ssize_t n = recv(data_.get(), buffer, sizeof buffer, 0);
    if (n > 0) {
      received.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      open = false;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      problem = "data connection: " + errorText(errno);
      break;
    }
  }
  {
    std::lock_guard lock(mutex_);
    dataReceived_.push_back(received);
  }
  data_.reset();
  if (problem.empty()) return true;
  fail(problem + " after " + std::to_string(received.size()) + " bytes");
  return false;
}

// ---- Waiting and moving bytes ----

ScriptedFtpServer::Wait ScriptedFtpServer::waitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    int timeout = -1;
    if (deadline) {
      auto left = std::chrono::ceil<milliseconds>(*deadline - Clock::now()).count();
      timeout = static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
    }
    pollfd fds[2] = {{fd, events, 0}, {wake_.get(), POLLIN, 0}};
    int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents != 0 || stopping_) return Wait::kStopped;
    return ready == 0 ? Wait::kTimedOut : Wait::kReady;
  }
}

bool ScriptedFtpServer::sleepFor(milliseconds duration) {
  pollfd wake{wake_.get(), POLLIN, 0};
  auto until = Clock::now() + duration;
  for (;;) {
    auto left = std::chrono::ceil<milliseconds>(until - Clock::now()).count();
    if (left <= 0) return true;
    int ready = poll(&wake, 1, static_cast<int>(std::min<decltype(left)>(left, INT_MAX)));
    if (ready > 0 || stopping_) return false;
  }
}

int ScriptedFtpServer::writeSome(int fd, const std::string& bytes, std::size_t* sent) {
  while (*sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + *sent, bytes.size() - *sent, MSG_NOSIGNAL);
    if (n > 0) {
      *sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return errno;
    // The time limit counts from the last progress, so large transfers may take long.
    switch (waitFor(fd, POLLOUT, stepDeadline())) {
      case Wait::kReady:
        break;
      case Wait::kTimedOut:
        return ETIMEDOUT;
      case Wait::kStopped:
        return ECANCELED;
    }
  }
  return 0;
}

bool ScriptedFtpServer::writeAll(int fd, const std::string& bytes, const char* what) {
  std::size_t sent = 0;
  int error = writeSome(fd, bytes, &sent);
  if (error == 0) return true;
  if (error != ECANCELED) {
    fail(std::string(what) + " stopped after " + std::to_string(sent) + " of " +
         std::to_string(bytes.size()) + " bytes: " + errorText(error));
  }
  return false;
}

ScriptedFtpServer::Read ScriptedFtpServer::readControl(Deadline deadline) {
  switch (waitFor(control_.get(), POLLIN | POLLPRI, deadline)) {
    case Wait::kReady:
      return readControlOnce();
    case Wait::kTimedOut:
      return Read::kTimedOut;
    case Wait::kStopped:
      break;
  }
  return Read::kStopped;
}

// Urgent data stays out of line (SO_OOBINLINE off): a normal receive stops at
// the urgent mark, and at the mark the urgent byte is fetched with MSG_OOB, so
// it is recorded exactly where the client put it in the stream.
ScriptedFtpServer::Read ScriptedFtpServer::readControlOnce() {
  int fd = control_.get();
  if (sockatmark(fd) == 1) {
    char urgent;
    if (recv(fd, &urgent, 1, MSG_OOB) == 1) {
      recordControl(std::string(1, urgent), true);
      return Read::kData;
    }
    // The urgent pointer may arrive before its byte; the byte comes later.
  }
  char buffer[4096];
  ssize_t n = recv(fd, buffer, sizeof buffer, 0);
  if (n > 0) {
    recordControl(std::string(buffer, static_cast<std::size_t>(n)), false);
    return Read::kData;
  }
  if (n == 0) return Read::kClosed;
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return Read::kNothing;
  return Read::kClosed;
}

void ScriptedFtpServer::recordControl(std::string bytes, bool urgent) {
  std::vector<std::string> completed;
  for (char c : bytes) {
    partialLine_ += c;
    if (c != '\n') continue;
    std::string line = std::move(partialLine_);
    partialLine_.clear();
    if (line.ends_with("\r\n")) line.resize(line.size() - 2);
    if (line.starts_with("PORT ")) lastPortLine_ = line;
    unreadLines_.push_back(line);
    completed.push_back(std::move(line));
  }
  std::lock_guard lock(mutex_);
  lines_.insert(lines_.end(), completed.begin(), completed.end());
  if (!urgent && !chunks_.empty() && !chunks_.back().urgent) {
    chunks_.back().bytes += bytes;
  } else {
    chunks_.push_back({std::move(bytes), urgent});
  }
}

std::optional<std::string> ScriptedFtpServer::takeLine(Deadline deadline, Read* outcome) {
  while (unreadLines_.empty()) {
    Read read = readControl(deadline);
    if (read == Read::kClosed || read == Read::kTimedOut || read == Read::kStopped) {
      *outcome = read;
      return std::nullopt;
    }
  }
  std::string line = std::move(unreadLines_.front());
  unreadLines_.pop_front();
  return line;
}

void ScriptedFtpServer::drainPendingControl() {
  while (readControl(Clock::now()) == Read::kData) {
  }
}

bool ScriptedFtpServer::requireControl() {
  if (control_.valid()) return true;
  fail("no control connection open");
  return false;
}

bool ScriptedFtpServer::requireData() {
  if (data_.valid()) return true;
  fail("no data connection open");
  return false;
}

void ScriptedFtpServer::fail(const std::string& message) {
  if (currentStep_ >= script_.size()) {
    recordFailure("after the script: " + message);
    return;
  }
  // Step 0 is the implicit first accept; the written steps count from 1.
  const std::string& description = script_[currentStep_].description;
  recordFailure(currentStep_ == 0 ? description + ": " + message
                                  : "step " + std::to_string(currentStep_) + " " + description +
                                        ": " + message);
}

void ScriptedFtpServer::recordFailure(std::string message) {
  std::lock_guard lock(mutex_);
  failures_.push_back(std::move(message));
}

// ---- Results ----

std::vector<ReceivedChunk> ScriptedFtpServer::received() const {
  std::lock_guard lock(mutex_);
  return chunks_;
}

std::string ScriptedFtpServer::receivedText() const { return renderWithUrgentMarks(received()); }

std::vector<std::string> ScriptedFtpServer::receivedLines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> ScriptedFtpServer::receivedData() const {
  std::lock_guard lock(mutex_);
  return dataReceived_;
}

std::vector<std::string> ScriptedFtpServer::failures() const {
  std::lock_guard lock(mutex_);
  return failures_;
}

}  // namespace ferrix::testing
