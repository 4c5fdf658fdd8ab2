#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

extern char** environ;

namespace ferrix::platform {
namespace {

constexpr std::chrono::milliseconds kWaitPollInterval{20};

int exitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 128;
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::exchange(word, {}));
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string quotedWord(std::string_view path) {
  if (!path.empty() && path.find_first_of(" \t\"") == std::string_view::npos) {
    return std::string(path);
  }
  return "\"" + std::string(path) + "\"";
}

std::optional<ChildProcess> ChildProcess::start(const std::vector<std::string>& words,
                                                std::error_code& error) {
  if (words.empty() || words.front().empty()) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  std::vector<char*> arguments;
  for (const std::string& word : words) arguments.push_back(const_cast<char*>(word.c_str()));
  arguments.push_back(nullptr);
  pid_t pid = -1;
  int result = posix_spawnp(&pid, arguments[0], nullptr, nullptr, arguments.data(), environ);
  if (result != 0) {
    error = std::error_code(result, std::generic_category());
    return std::nullopt;
  }
  error.clear();
  return ChildProcess(pid);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    detach();
    pid_ = std::exchange(other.pid_, -1);
  }
  return *this;
}

ChildProcess::~ChildProcess() { detach(); }

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
  if (pid_ < 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) {
      pid_ = -1;
      return exitCodeOf(status);
    }
    if (ended < 0 && errno != EINTR) {
      // Someone else collected it; its code is lost.
      pid_ = -1;
      return 128;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        kWaitPollInterval, deadline - now));
  }
}

void ChildProcess::detach() {
  if (pid_ < 0) return;
  std::thread([pid = pid_] { waitpid(pid, nullptr, 0); }).detach();
  pid_ = -1;
}

}  // namespace ferrix::platform
