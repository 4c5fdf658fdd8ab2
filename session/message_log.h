// The message log: the one text sink of the program. Every command sent,
// every reply line, status line, notice ("+ ") and error ("! ") goes through
// logMessage. The sink keeps the newest 60 lines (each cut to 118 characters)
// and passes every line to the views that observe it (the status lines and
// the log window of the desktop program, a console line printer); with the
// command-line transfer mode on it also appends each line to "xferlog.txt".
//
// Lines that begin with "[" are diagnostics, kept only in verbose mode.
// Control characters other than tab are shown escaped ("\x1b"), so a server
// cannot steer the user's terminal through a reply; the mirror file takes at
// most kMirrorByteLimit bytes per run.
//
// Thread rule: any thread may append; appends never interleave. Observers are
// called on the appending thread while the log's lock is held, so they must
// hand the line on (queue it to their own thread) and never call back into
// the log.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mutex.h"

namespace ferrix::session {

class UserInterface;

// `text` with every control character but tab written as "\xNN".
std::string escapeControlCharacters(std::string_view text);

class MessageLogObserver {
 public:
  virtual ~MessageLogObserver() = default;
  // A line was appended; `text` is the whole line, not cut to the history width.
  virtual void lineAppended(std::string_view text) = 0;
  // The status lines now show these texts, first line first.
  virtual void statusLinesChanged(const std::array<std::string, 3>& lines) = 0;
};

class MessageLog {
 public:
  static constexpr int kHistoryLines = 60;
  static constexpr std::size_t kHistoryLineLength = 118;
  static constexpr std::size_t kFormatBufferSize = 1024;
  static constexpr std::uintmax_t kMirrorByteLimit = 64 * 1024 * 1024;

  // Appends `text` unless it is a diagnostic ("[...") and verbose mode is off.
  void logMessage(std::string_view text);
  // printf-style formatting into 1024 bytes, then logMessage; a line that
  // does not fit or fails to format is not logged.
  void logMessagef(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Moves the status view one line up (-1) or down (+1).
  void scrollStatusLines(int delta);

  // Entries 0 to logCount inclusive, oldest first: what a rebuilt log
  // window shows and what saveLog writes.
  std::vector<std::string> history() const;
  int logCount() const;
  int statusViewIndex() const;

  // Asks for a file name (pre-filled with the last text entered in the input
  // dialog) and writes the history to it. Failures are silent.
  void saveLog(UserInterface& userInterface) const;
  // Writes the history to `path`; false when the file cannot be written.
  bool saveLogTo(const std::filesystem::path& path) const;

  void setVerbose(bool verbose) { verbose_ = verbose; }
  bool verbose() const { return verbose_; }

  // In command-line transfer mode every line is also appended to
  // "xferlog.txt" in `folder` (the current folder when empty); an empty
  // optional turns the mirror off.
  void setTransferLogMirror(std::optional<std::filesystem::path> folder);

  void addObserver(MessageLogObserver* observer);
  void removeObserver(MessageLogObserver* observer);

 private:
  void appendLogLine(std::string_view text) EXCLUDES(mutex_);
  void mirrorToFile(std::string_view text) REQUIRES(mutex_);
  std::array<std::string, 3> statusLinesAt(int index) const REQUIRES(mutex_);
  void showStatusLines(int index) REQUIRES(mutex_);

  mutable platform::Mutex mutex_;
  // State below is protected by mutex_.
  std::array<std::string, kHistoryLines> logHistory_ GUARDED_BY(mutex_);
  int filledEntries_ GUARDED_BY(mutex_) = 0;
  int logCount_ GUARDED_BY(mutex_) = 0;
  int statusViewIndex_ GUARDED_BY(mutex_) = 0;
  std::optional<std::filesystem::path> mirrorFolder_ GUARDED_BY(mutex_);
  std::uintmax_t mirrorBytesLeft_ GUARDED_BY(mutex_) = kMirrorByteLimit;
  std::vector<MessageLogObserver*> observers_ GUARDED_BY(mutex_);

  std::atomic<bool> verbose_ = false;
};

}  // namespace ferrix::session
