// Starting other programs: the text viewer, the program associated with a
// file, the editor of a remote edit, the desktop's "open". A command line is
// one text, as the person types it or as an association stores it; it is
// split into words here (blanks separate, double quotes group), never handed
// to a shell, so a file name can never run as a command.
//
// A ChildProcess owns one started program until it has been waited for or
// detached; a detached program is collected by a reaper thread when it ends,
// so it never lingers as a zombie. Thread rule: one owner at a time; the
// program may be waited for on any thread.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace ferrix::platform {

// The words of a command line: runs of non-blank characters, where a pair of
// double quotes groups blanks into the word and is removed. An unclosed quote
// runs to the end.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// `path` as one word of a command line: in double quotes when it is empty or
// holds a blank or a quote, as it is otherwise.
std::string quotedWord(std::string_view path);

class ChildProcess {
 public:
  // Starts the program named by the first word (searched on PATH) with the
  // other words as its arguments. Nothing, with `error` set, when there are no
  // words or the program cannot be started.
  static std::optional<ChildProcess> start(const std::vector<std::string>& words,
                                           std::error_code& error);

  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Detaches a program still running.
  ~ChildProcess();

  pid_t pid() const { return pid_; }

  // Waits at most `limit` for the program to end. Its exit code (128 plus the
  // signal number when a signal ended it), or nothing while it still runs.
  std::optional<int> waitFor(std::chrono::milliseconds limit);

  // Lets the program run on by itself.
  void detach();

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}

  pid_t pid_ = -1;
};

}  // namespace ferrix::platform
