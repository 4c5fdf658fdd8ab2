// A scripted FTP server for protocol tests: it listens on a loopback port and
// plays, against the client under test, a script the test wrote beforehand
// (what to send, which lines to expect, when to close or reset the connection,
// when to open data connections), recording every byte the client sent.
// Expectations that fail are recorded as data (failures()), never thrown, so
// the test asserts on them with whatever framework it uses.
//
// The first control connection is accepted implicitly when the script starts;
// acceptNextConnection() takes the next one. After the last step the server
// keeps recording control bytes until the client closes or the server is
// destroyed. Each wait of a step is limited to kStepTimeLimit without progress;
// a step that times out or loses its connection ends the script.
//
// Ownership: the server owns its sockets and its one script thread.
// Thread rule: the script is written and start() is called on one thread
// before the client connects; the result accessors may be called from any
// thread at any time. The destructor stops the script promptly, whatever step
// it is in, and never waits for the client.
#pragma once

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ferrix::testing {

// Owns one file descriptor and closes it.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    reset(other.release());
    return *this;
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Bytes of the control connection, in arrival order. Urgent (out-of-band)
// bytes are chunks of their own; adjacent normal bytes share one chunk.
struct ReceivedChunk {
  std::string bytes;
  bool urgent = false;

  bool operator==(const ReceivedChunk&) const = default;
};

// The chunks as one string, each urgent byte shown as "<URG:FF>" (hex).
std::string renderWithUrgentMarks(const std::vector<ReceivedChunk>& chunks);

// The text a server answers PASV with for a data listener on 127.0.0.1.
std::string passiveReply(std::uint16_t port);

class ScriptedFtpServer {
 public:
  static constexpr std::chrono::milliseconds kStepTimeLimit{5000};

  ScriptedFtpServer();
  ~ScriptedFtpServer();
  ScriptedFtpServer(const ScriptedFtpServer&) = delete;
  ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

  // The control port on 127.0.0.1; clients may connect before start().
  std::uint16_t port() const { return port_; }

  // Script steps, run in the order written. Each returns *this for chaining.
  // One write of exactly these bytes.
  ScriptedFtpServer& send(std::string bytes);
  // The bytes in writes of pieceSize bytes, gap apart, so they arrive apart.
  ScriptedFtpServer& sendInPieces(std::string bytes, std::size_t pieceSize,
                                  std::chrono::milliseconds gap = std::chrono::milliseconds(20));
  // send(text + CR LF).
  ScriptedFtpServer& reply(const std::string& text);
  // The next line must be exactly text followed by CR LF.
  ScriptedFtpServer& expectLine(std::string text);
  ScriptedFtpServer& expectLineStartingWith(std::string prefix);
  // The next line (without its CR LF) must satisfy the predicate; description
  // names the expectation in failure reports.
  ScriptedFtpServer& expectLineMatching(std::string description,
                                        std::function<bool(const std::string&)> predicate);
  ScriptedFtpServer& delay(std::chrono::milliseconds duration);
  // Closes the control connection with a normal FIN (the client reads EOF).
  ScriptedFtpServer& closeConnection();
  // Closes the control connection with a reset (the client sees ECONNRESET).
  ScriptedFtpServer& resetConnection();
  // Records what arrives until the client closes; a time-out is a failure.
  ScriptedFtpServer& waitForClientClose();
  // Records what arrives, answering nothing, until the client closes or the
  // server is destroyed (the script is not done before that).
  ScriptedFtpServer& neverAnswer();
  // Closes the current control connection, if any, and accepts the next.
  ScriptedFtpServer& acceptNextConnection();

  // Data connections. openPassiveDataListener() is called while writing the
  // script (before start()) and returns the listener's port, reused by every
  // acceptData(); the steps below act on the one current data connection.
  std::uint16_t openPassiveDataListener();
  ScriptedFtpServer& acceptData();
  ScriptedFtpServer& connectActive(std::string host, std::uint16_t port);
  // Connects to the address of the last "PORT h1,h2,h3,h4,p1,p2" line
  // received; from `sourceHost` (a loopback address such as "127.0.0.3",
  // standing for a third host) when one is given.
  ScriptedFtpServer& connectActiveFromPortCommand(std::string sourceHost = {});
  ScriptedFtpServer& sendData(std::string bytes);
  // Like sendData, but the client closing or resetting the data connection
  // before taking every byte (an aborted download) is no failure.
  ScriptedFtpServer& sendDataUntilAborted(std::string bytes);
  // Reads the data connection until the client closes it; one entry of
  // receivedData() per call. Closes the server's end afterwards.
  ScriptedFtpServer& receiveDataUntilClose();
  ScriptedFtpServer& closeData();
  // A whole passive listing: PASV answered for the listener on `dataPort`,
  // then `command` answered 150, `bytes` sent and closed, and 226.
  ScriptedFtpServer& servePassiveListing(std::uint16_t dataPort, std::string command,
                                         std::string bytes);

  // Starts playing the script. Steps written after this are refused (failure).
  void start();
  // True when every step has run (with or without failures) within timeout.
  bool waitUntilDone(std::chrono::milliseconds timeout);

  std::vector<ReceivedChunk> received() const;
  // received() through renderWithUrgentMarks.
  std::string receivedText() const;
  // Complete lines of the control connection without their CR LF (a line
  // ended by a bare LF keeps it, so it cannot pass for a proper one). Urgent
  // bytes stand in the line where the client sent them.
  std::vector<std::string> receivedLines() const;
  std::vector<std::string> receivedData() const;
  std::vector<std::string> failures() const;

 private:
  // Why a wait ended.
  enum class Wait { kReady, kTimedOut, kStopped };
  // What one read of the control connection gave.
  enum class Read { kData, kNothing, kClosed, kTimedOut, kStopped };
  // No value: wait without a time limit.
  using Deadline = std::optional<std::chrono::steady_clock::time_point>;

  struct Step {
    std::string description;
    std::function<bool()> run;  // false ends the script
  };

  ScriptedFtpServer& addStep(std::string description, std::function<bool()> run);
  void runScript();
  static Deadline stepDeadline();

  bool stepSendInPieces(const std::string& bytes, std::size_t pieceSize,
                        std::chrono::milliseconds gap);
  bool stepExpectLine(const std::function<bool(const std::string&)>& matches);
  bool stepCloseConnection(bool reset);
  bool stepWaitForClose(Deadline deadline);
  bool stepAcceptNext();
  bool stepAcceptData();
  std::optional<UniqueFd> acceptOn(const UniqueFd& listener);
  bool stepConnectActive(const std::string& host, std::uint16_t port,
                         const std::string& sourceHost = {});
  bool stepSendData(const std::string& bytes, bool clientMayAbort);
  bool stepReceiveDataUntilClose();

  Wait waitFor(int fd, short events, Deadline deadline);
  // Sleeps unless the server is stopping; false when it is.
  bool sleepFor(std::chrono::milliseconds duration);
  // Sends from *sent on; 0 when all went out, else an errno value
  // (ECANCELED when the server is stopping).
  int writeSome(int fd, const std::string& bytes, std::size_t* sent);
  bool writeAll(int fd, const std::string& bytes, const char* what);
  Read readControl(Deadline deadline);
  Read readControlOnce();
  void recordControl(std::string bytes, bool urgent);
  std::optional<std::string> takeLine(Deadline deadline, Read* outcome);
  void drainPendingControl();
  bool requireControl();
  bool requireData();

  // Records a failure of the step now running.
  void fail(const std::string& message);
  void recordFailure(std::string message);

  UniqueFd listener_;
  UniqueFd wake_;
  UniqueFd control_;
  UniqueFd dataListener_;
  UniqueFd data_;
  std::uint16_t port_ = 0;
  std::uint16_t dataPort_ = 0;

  std::vector<Step> script_;
  std::size_t currentStep_ = 0;
  bool started_ = false;
  std::atomic<bool> stopping_{false};
  std::thread thread_;

  // Script thread only: bytes of the current line so far, complete lines not
  // yet taken by an expectation.
  std::string partialLine_;
  std::deque<std::string> unreadLines_;
  std::string lastPortLine_;

  mutable std::mutex mutex_;
  std::condition_variable doneChanged_;
  bool done_ = false;
  std::vector<ReceivedChunk> chunks_;
  std::vector<std::string> lines_;
  std::vector<std::string> dataReceived_;
  std::vector<std::string> failures_;
};

}  // namespace ferrix::testing
