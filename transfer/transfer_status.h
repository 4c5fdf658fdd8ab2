// What a running transfer shows: the progress text (bytes, rate, elapsed and
// remaining time) refreshed at most twice a second, the percentage when the
// size is known, the summary line logged after each transfer, and the abort
// sequence that asks the server to stop sending.
//
// The display itself (a dialog with a Cancel button, or a status line when
// HASH is off) belongs to the UserInterface port; this code decides what it
// shows and when.
//
// Thread rule: a TransferStatus is used by the one thread that runs the
// transfer loop.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "session/session_state.h"
#include "session/user_interface.h"
#include "transfer/transfer_entry.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::transfer {

struct TransferRate {
  float rate = 0;
  const char* unit = "bps";
};

// The rate of `bytes` in `elapsedMs` (at least 1 ms) in bits (a byte counts
// as ten) or, with `bytesPerSecond`, in bytes per second.
TransferRate ComputeTransferRate(std::uint64_t bytes, std::uint64_t elapsedMs, bool bytesPerSecond);

// The size announced in a preliminary reply such as "150 Opening ... (1048576
// bytes)" or "(12 kbytes)"; 0 when there is none.
std::uint64_t ParseExpectedSize(std::string_view statusText);

// Percentage done of `expectedSize` (0 when nothing is done yet).
unsigned ProgressPercent(std::uint64_t bytes, std::uint64_t expectedSize);

// "bytes : rate unit : m:ss : m:ss" (elapsed, then remaining when known).
std::string FormatProgress(std::uint64_t bytes, std::uint64_t startTick, std::uint64_t currentTick,
                           std::uint64_t expectedSize, bool bytesPerSecond);

enum class TransferMode { kSending = 1, kReceiving = 2 };

class TransferStatus {
 public:
  static constexpr std::uint64_t kRefreshMs = 500;

  TransferStatus(session::UserInterface& userInterface, bool hash, bool bytesPerSecond)
      : userInterface_(userInterface), hash_(hash), bytesPerSecond_(bytesPerSecond) {}

  // Opens the display; the size comes from `statusText`, else `entrySize`.
  void OpenTransferStatus(TransferMode mode, std::string_view statusText, std::uint64_t entrySize);
  void CloseTransferStatus();
  // Refreshes the progress text (at most every 500 ms when HASH is on).
  void ShowProgress(std::uint64_t bytes, std::uint64_t startTick, std::uint64_t currentTick);

  // Where the transfer list's entries go (the window's list); unset, they
  // go nowhere. Called on the transfer's thread.
  using EntrySink = std::function<void(const TransferEntry&)>;
  void setEntrySink(EntrySink sink) { entrySink_ = std::move(sink); }
  // Reports an entry that is not being transferred (queued, or cancelled
  // before its turn).
  void ShowEntry(const TransferEntry& entry) const;
  // The transfer list's entry of the file being transferred: begun before
  // its transfer, updated with each progress refresh, ended with its outcome.
  // `offset` is what a restarted file already holds.
  void BeginEntry(TransferEntry entry);
  void NoteRestart(std::uint64_t offset);
  void EndEntry(TransferOutcome outcome, std::string_view reason = {});

  std::uint64_t expectedSize() const { return expectedSize_; }
  void setExpectedSize(std::uint64_t size) { expectedSize_ = size; }
  void clearExpectedSize() { expectedSize_ = 0; }
  bool bytesPerSecond() const { return bytesPerSecond_; }
  // HASH: the dialog with the rate text, or (off) the bare byte count in a
  // status line. Folder transfers switch it off for their duration.
  bool hash() const { return hash_; }
  void setHash(bool hash) { hash_ = hash; }

 private:
  session::UserInterface& userInterface_;
  bool hash_;
  bool bytesPerSecond_;
  bool open_ = false;
  std::uint64_t expectedSize_ = 0;
  std::optional<std::uint64_t> lastProgressTick_;
  EntrySink entrySink_;
  std::optional<TransferEntry> entry_;
  std::uint64_t entryOffset_ = 0;

  void updateEntry(std::uint64_t bytes, std::uint64_t startTick, std::uint64_t currentTick);
};

// The transfer list's state for an outcome.
TransferEntry::State EntryState(TransferOutcome outcome);

// What the transfer list says of an outcome: the server's refusal for a
// failure it replied to, else a word for the outcome.
std::string OutcomeReason(const session::Session& session, TransferOutcome outcome);

// Logs "label N bytes in S secs, (rate unit), result".
void WriteTransferSummary(session::Session& session, std::string_view label, std::uint64_t bytes,
                          std::uint64_t startTick, std::uint64_t endTick, bool failed,
                          bool bytesPerSecond);

// Sends IAC IP IAC as urgent data, then DM ABOR CR LF, and reads the reply
// to ABOR. Returns its class, or 0 when a send failed.
int SendAbort(session::Session& session, int controlSocket);

}  // namespace ferrix::transfer
