// One line of the window's transfer list: a file transfer from the moment it
// is queued to its result. The engine reports every change of it to the
// transfer status's entry sink; the window keeps the lines and matches a
// report to its line by key().
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ferrix::transfer {

struct TransferEntry {
  enum class State { kQueued, kRunning, kSucceeded, kFailed, kCancelled, kSkipped };

  bool download = true;
  State state = State::kQueued;
  std::string remoteFolder;
  std::string remoteName;
  std::string localFolder;
  std::string localName;
  std::uint64_t size = 0;   // 0 while unknown
  std::uint64_t bytes = 0;  // what the destination holds, a resumed start included
  double bytesPerSecond = 0;
  std::optional<std::uint64_t> secondsLeft;
  std::string result;  // why it failed or was skipped; empty otherwise

  // The name the list shows: the source's.
  const std::string& name() const { return download ? remoteName : localName; }
  // The same file in the same direction: the source's folder and name.
  std::string key() const {
    return download ? "<" + remoteFolder + "\n" + remoteName : ">" + localFolder + "\n" + localName;
  }
  bool ended() const { return state != State::kQueued && state != State::kRunning; }
};

}  // namespace ferrix::transfer
