#include "transfer/transfer_status.h"

#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/socket_errors.h"
#include "platform/tcp_socket.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/message_log.h"

namespace ferrix::transfer {
namespace {

// A transfer of less than a millisecond counts as one, so no rate divides by 0.
constexpr std::uint64_t kMinimumElapsedMs = 1;
constexpr std::uint64_t kExactPercentLimit = 1000000;
constexpr std::size_t kPercentNumberLength = 78;

std::uint64_t elapsedMs(std::uint64_t startTick, std::uint64_t endTick) {
  const std::uint64_t elapsed = endTick > startTick ? endTick - startTick : 0;
  return std::max(elapsed, kMinimumElapsedMs);
}

// " : m:ss" for a positive number of seconds.
std::string minutesAndSeconds(std::uint64_t seconds) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, " : %lu:%.2lu", static_cast<unsigned long>(seconds / 60),
                static_cast<unsigned long>(seconds % 60));
  return buffer;
}

std::uint64_t leadingNumber(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text.substr(0, kPercentNumberLength)) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

TransferRate ComputeTransferRate(std::uint64_t bytes, std::uint64_t elapsed, bool bytesPerSecond) {
  const float seconds = static_cast<float>(std::max(elapsed, kMinimumElapsedMs)) * 0.001f;
  const float byteCount = static_cast<float>(bytes);
  if (bytesPerSecond) {
    const float rate = byteCount / seconds;
    if (rate / 1024 > 1024) return {rate / 1048576, "MBps"};
    if (rate > 1024) return {rate / 1024, "KBps"};
    return {rate, "Bps"};
  }
  // A byte counts as ten bits; 102 stands for 1024 / 10.
  const float kilobits = static_cast<float>(bytes / 102) / seconds;
  if (bytes > 100000) {
    return kilobits > 1024 ? TransferRate{kilobits / 1024, "Mbps"} : TransferRate{kilobits, "Kbps"};
  }
  const std::uint64_t bits = bytes * 10;
  const float bitRate = static_cast<float>(bits) / seconds;
  if (bitRate <= 10000) return {bitRate, "bps"};
  // Divided without rounding: over a few milliseconds a whole kilobit lost
  // would show a small transfer as 0.00 Kbps.
  const float kilobitRate = static_cast<float>(bits) / 1024 / seconds;
  if (kilobitRate <= 1024) return {kilobitRate, "Kbps"};
  return {kilobits / 1024, "Mbps"};
}

std::uint64_t ParseExpectedSize(std::string_view statusText) {
  std::string text(statusText.substr(0, statusText.rfind(')')));
  const std::size_t open = text.rfind('(');
  if (open == std::string::npos) return 0;
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  const std::uint64_t number = leadingNumber(std::string_view(text).substr(open + 1));
  if (text.find("bytes", open) != std::string::npos) return number;
  if (text.find('k', open) != std::string::npos) return number * 1024;
  return 0;
}

unsigned ProgressPercent(std::uint64_t bytes, std::uint64_t expectedSize) {
  if (bytes < 1 || expectedSize == 0) return 0;
  if (expectedSize < kExactPercentLimit) return static_cast<unsigned>(bytes * 100 / expectedSize);
  return static_cast<unsigned>(bytes / (expectedSize / 100));
}

std::string FormatProgress(std::uint64_t bytes, std::uint64_t startTick, std::uint64_t currentTick,
                           std::uint64_t expectedSize, bool bytesPerSecond) {
  const std::uint64_t elapsed = elapsedMs(startTick, currentTick);
  const TransferRate rate = ComputeTransferRate(bytes, elapsed, bytesPerSecond);
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%lu : %.2f %s", static_cast<unsigned long>(bytes),
                static_cast<double>(rate.rate), rate.unit);
  std::string text = buffer;
  if (elapsed / 1000 > 0) text += minutesAndSeconds(elapsed / 1000);
  if (expectedSize > 0 && bytes > 0 && bytes < expectedSize && elapsed > 1000) {
    const std::uint64_t bytesPerSecondSoFar = bytes / (elapsed / 1000);
    if (bytesPerSecondSoFar > 0) {
      const std::uint64_t remaining = (expectedSize - bytes) / bytesPerSecondSoFar;
      if (remaining > 0) text += minutesAndSeconds(remaining);
    }
  }
  return text;
}

void TransferStatus::OpenTransferStatus(TransferMode mode, std::string_view statusText,
                                        std::uint64_t entrySize) {
  using Display = session::UserInterface::TransferDisplay;
  expectedSize_ = ParseExpectedSize(statusText);
  if (expectedSize_ == 0) expectedSize_ = entrySize;
  const Display display = hash_                            ? Display::kDialog
                          : mode == TransferMode::kSending ? Display::kSendStatusLine
                                                           : Display::kReceiveStatusLine;
  userInterface_.openTransferStatus(display, statusText);
  open_ = true;
  lastProgressTick_.reset();
}

void TransferStatus::CloseTransferStatus() {
  if (!open_) return;
  userInterface_.closeTransferStatus();
  open_ = false;
}

void TransferStatus::ShowProgress(std::uint64_t bytes, std::uint64_t startTick,
                                  std::uint64_t currentTick) {
  if (!open_) return;
  if (bytes == 0) {
    userInterface_.showTransferProgress("", std::nullopt);
    return;
  }
  // Every display, the status line too, is refreshed at most twice a second:
  // a refresh per block would cost a large transfer more than its blocks.
  if (lastProgressTick_ && currentTick < *lastProgressTick_ + kRefreshMs) return;
  lastProgressTick_ = currentTick;
  updateEntry(bytes, startTick, currentTick);
  if (!hash_) {
    userInterface_.showTransferProgress(std::to_string(bytes), std::nullopt);
    return;
  }
  std::optional<unsigned> percent;
  if (expectedSize_ > 0) percent = ProgressPercent(bytes, expectedSize_);
  userInterface_.showTransferProgress(
      FormatProgress(bytes, startTick, currentTick, expectedSize_, bytesPerSecond_), percent);
}

void TransferStatus::ShowEntry(const TransferEntry& entry) const {
  if (entrySink_) entrySink_(entry);
}

void TransferStatus::BeginEntry(TransferEntry entry) {
  entry.state = TransferEntry::State::kRunning;
  entry.bytes = 0;
  entry.bytesPerSecond = 0;
  entry.secondsLeft.reset();
  entry.result.clear();
  entry_ = std::move(entry);
  entryOffset_ = 0;
  ShowEntry(*entry_);
}

void TransferStatus::NoteRestart(std::uint64_t offset) {
  entryOffset_ = offset;
  if (entry_) entry_->bytes = offset;
}

void TransferStatus::updateEntry(std::uint64_t bytes, std::uint64_t startTick,
                                 std::uint64_t currentTick) {
  if (!entry_) return;
  const std::uint64_t elapsed = elapsedMs(startTick, currentTick);
  entry_->bytes = entryOffset_ + bytes;
  if (expectedSize_ > 0) entry_->size = entryOffset_ + expectedSize_;
  entry_->bytesPerSecond = static_cast<double>(bytes) * 1000.0 / static_cast<double>(elapsed);
  entry_->secondsLeft.reset();
  if (entry_->size > entry_->bytes && entry_->bytesPerSecond >= 1) {
    entry_->secondsLeft = static_cast<std::uint64_t>(
        static_cast<double>(entry_->size - entry_->bytes) / entry_->bytesPerSecond);
  }
  ShowEntry(*entry_);
}

void TransferStatus::EndEntry(TransferOutcome outcome, std::string_view reason) {
  if (!entry_) return;
  entry_->state = EntryState(outcome);
  entry_->secondsLeft.reset();
  if (outcome == TransferOutcome::kSucceeded && entry_->size == 0) entry_->size = entry_->bytes;
  if (outcome == TransferOutcome::kSucceeded && entry_->size > entry_->bytes) {
    entry_->bytes = entry_->size;
  }
  entry_->result = std::string(reason);
  ShowEntry(*entry_);
  entry_.reset();
}

TransferEntry::State EntryState(TransferOutcome outcome) {
  using State = TransferEntry::State;
  switch (outcome) {
    case TransferOutcome::kSucceeded: return State::kSucceeded;
    case TransferOutcome::kCancelled: return State::kCancelled;
    case TransferOutcome::kSkipped: return State::kSkipped;
    case TransferOutcome::kFailed: break;
  }
  return State::kFailed;
}

std::string OutcomeReason(const session::Session& session, TransferOutcome outcome) {
  switch (outcome) {
    case TransferOutcome::kSucceeded: return "Done";
    case TransferOutcome::kCancelled: return "Cancelled";
    case TransferOutcome::kSkipped: return "Skipped";
    case TransferOutcome::kFailed: break;
  }
  if (session.state.replyCode >= 400) return session.state.replyLine;
  if (!session.state.connected) return "Connection lost";
  return "Failed";
}

void WriteTransferSummary(session::Session& session, std::string_view label, std::uint64_t bytes,
                          std::uint64_t startTick, std::uint64_t endTick, bool failed,
                          bool bytesPerSecond) {
  const std::uint64_t elapsed = elapsedMs(startTick, endTick);
  const TransferRate rate = ComputeTransferRate(bytes, elapsed, bytesPerSecond);
  const std::string_view result = resources::loadString(
      failed ? resources::string_id::kTransferFailed : resources::string_id::kTransferSucceeded);
  session.log.logMessagef("%.*s %ld bytes in %.1lf secs, (%.2f %s), %.*s",
                          static_cast<int>(label.size()), label.data(), static_cast<long>(bytes),
                          static_cast<double>(elapsed) / 1000.0, static_cast<double>(rate.rate),
                          rate.unit, static_cast<int>(result.size()), result.data());
}

int SendAbort(session::Session& session, int controlSocket) {
  const std::string_view notAccepted = resources::loadString(resources::string_id::kNotAccepted);
  static constexpr char kInterrupt[] = {'\xff', '\xf4', '\xff'};
  if (session::sendUrgent(session, controlSocket, kInterrupt, sizeof kInterrupt) !=
      static_cast<long>(sizeof kInterrupt)) {
    session.log.logMessagef("[%u] IP %.*s %u", static_cast<unsigned>(controlSocket),
                            static_cast<int>(notAccepted.size()), notAccepted.data(),
                            static_cast<unsigned>(platform::lastSocketError()));
    return 0;
  }
  static constexpr char kAbort[] =
      "\xf2"
      "ABOR\r\n";
  constexpr std::uint64_t kAbortSendTimeoutMs = 32000;
  if (session::sendWithTimeout(session, controlSocket, kAbort, 7, kAbortSendTimeoutMs) != 7) {
    session.log.logMessagef("[%u] ABOR %.*s %u", static_cast<unsigned>(controlSocket),
                            static_cast<int>(notAccepted.size()), notAccepted.data(),
                            static_cast<unsigned>(platform::lastSocketError()));
    return 0;
  }
  const std::string_view transmitted = resources::loadString(resources::string_id::kTransmitted);
  session.log.logMessagef("[%u] %.*s ABOR", static_cast<unsigned>(controlSocket),
                          static_cast<int>(transmitted.size()), transmitted.data());
  return session::getReply(session, controlSocket);
}

}  // namespace ferrix::transfer
