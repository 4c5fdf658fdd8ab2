#include "session/message_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "resources/strings.h"
#include "session/user_interface.h"

namespace ferrix::session {
namespace {

constexpr int kLastEntry = MessageLog::kHistoryLines - 1;
constexpr char kTransferLogMirrorName[] = "xferlog.txt";
constexpr char kMirrorFullLine[] = "+ xferlog.txt limit reached; the rest of this run is not mirrored";

bool isControlCharacter(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

}  // namespace

std::string escapeControlCharacters(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (!isControlCharacter(byte)) {
      shown += c;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
  }
  return shown;
}

void MessageLog::logMessage(std::string_view text) {
  if (!verbose_ && !text.empty() && text.front() == '[') return;
  appendLogLine(text);
}

void MessageLog::logMessagef(const char* format, ...) {
  char buffer[kFormatBufferSize];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return;
  logMessage(std::string_view(buffer, static_cast<std::size_t>(length)));
}

void MessageLog::appendLogLine(std::string_view rawText) {
  const std::string shown = escapeControlCharacters(rawText);
  const std::string_view text = shown;
  const platform::MutexLock lock(mutex_);
  mirrorToFile(text);
  if (filledEntries_ == kHistoryLines) {
    std::rotate(logHistory_.begin(), logHistory_.begin() + 1, logHistory_.end());
  } else {
    ++filledEntries_;
  }
  logHistory_[logCount_].assign(text.substr(0, kHistoryLineLength));
  for (MessageLogObserver* observer : observers_) observer->lineAppended(text);
  showStatusLines(logCount_);
  statusViewIndex_ = logCount_;
  if (logCount_ < kLastEntry) ++logCount_;
}

void MessageLog::mirrorToFile(std::string_view text) {
  if (!mirrorFolder_ || mirrorBytesLeft_ == 0) return;
  const std::uintmax_t lineBytes = text.size() + 1;
  if (lineBytes + sizeof kMirrorFullLine > mirrorBytesLeft_) {
    text = kMirrorFullLine;
    mirrorBytesLeft_ = 0;
  } else {
    mirrorBytesLeft_ -= lineBytes;
  }
  const std::filesystem::path path = mirrorFolder_->empty()
                                         ? std::filesystem::path(kTransferLogMirrorName)
                                         : *mirrorFolder_ / kTransferLogMirrorName;
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) return;
  std::fprintf(file, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fclose(file);
}

std::array<std::string, 3> MessageLog::statusLinesAt(int index) const {
  std::array<std::string, 3> lines;
  for (int line = 0; line < 3; ++line) {
    const int entry = index - line;
    if (entry >= 0) lines[line] = logHistory_[entry];
  }
  return lines;
}

void MessageLog::showStatusLines(int index) {
  if (observers_.empty()) return;
  const std::array<std::string, 3> lines = statusLinesAt(index);
  for (MessageLogObserver* observer : observers_) observer->statusLinesChanged(lines);
}

void MessageLog::scrollStatusLines(int delta) {
  const platform::MutexLock lock(mutex_);
  const int index = statusViewIndex_ + delta;
  if (index < 1) {
    statusViewIndex_ = 1;
    return;
  }
  if (index > logCount_) {
    statusViewIndex_ = logCount_;
    return;
  }
  statusViewIndex_ = index;
  showStatusLines(index);
}

std::vector<std::string> MessageLog::history() const {
  const platform::MutexLock lock(mutex_);
  return {logHistory_.begin(), logHistory_.begin() + logCount_ + 1};
}

int MessageLog::logCount() const {
  const platform::MutexLock lock(mutex_);
  return logCount_;
}

int MessageLog::statusViewIndex() const {
  const platform::MutexLock lock(mutex_);
  return statusViewIndex_;
}

void MessageLog::saveLog(UserInterface& userInterface) const {
  std::string name = userInterface.lastEnteredText();
  const std::string_view prompt = resources::loadString(resources::string_id::kEnterLogFileName);
  if (!userInterface.inputBox(&name, prompt, 0)) return;
  saveLogTo(name);
}

bool MessageLog::saveLogTo(const std::filesystem::path& path) const {
  const std::vector<std::string> lines = history();
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  for (const std::string& line : lines) std::fprintf(file, "%s\n", line.c_str());
  return std::fclose(file) == 0;
}

void MessageLog::setTransferLogMirror(std::optional<std::filesystem::path> folder) {
  const platform::MutexLock lock(mutex_);
  mirrorFolder_ = std::move(folder);
  mirrorBytesLeft_ = kMirrorByteLimit;
}

void MessageLog::addObserver(MessageLogObserver* observer) {
  const platform::MutexLock lock(mutex_);
  observers_.push_back(observer);
}

void MessageLog::removeObserver(MessageLogObserver* observer) {
  const platform::MutexLock lock(mutex_);
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace ferrix::session
