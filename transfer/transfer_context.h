// The state every transfer shares, and the context a transfer operation
// runs in.
//
// TransferState is the program-wide transfer record: the type the user chose
// (TransferMode and its automatic flag), the type last sent to the server,
// the outcome of the last transfer, the pane entry being transferred and the
// text the status display starts with. It lives as long as the session.
//
// Thread rule: one transfer runs at a time, on the thread that called it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "session/session_state.h"
#include "session/user_interface.h"
#include "transfer/name_rules.h"
#include "transfer/transfer_status.h"

namespace ferrix::transfer {

// The fixed part of the pane entry being transferred.
struct CurrentEntry {
  static constexpr int kLinkKind = 2;

  int kind = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  std::uint64_t size = 0;
};

// TransferResult values.
inline constexpr int kNothingTransferred = 0;
inline constexpr int kTransferred = 1;
inline constexpr int kBrokenOff = 2;
inline constexpr int kRefusedLink = 5;

struct TransferState {
  char transferMode = 'I';        // 'A', 'I' or 'L'
  bool automaticMode = false;     // AMODE: choose by name
  char serverTransferType = 'A';  // the type last sent with TYPE
  int transferResult = kNothingTransferred;
  CurrentEntry currentEntry;
  std::string statusText = "input:";
  // The overwrite decision's view of the batch that runs: a folder transfer,
  // the remembered "to All" answer (1 yes, -1 no, 0 ask) and the number of
  // files, below 2 for a single file.
  bool FolderTransferActive = false;
  int OverwriteAllAnswer = 0;
  int BatchFileCount = 0;
};

struct TransferSettings {
  // The largest block the loops use; a larger setting is used as this, so a
  // mistyped INI value cannot make them ask for gigabytes.
  static constexpr int kMaxBlockSize = 1048576;
  static constexpr int kDefaultBlockSize = 65536;

  int receiveBlockSize = kDefaultBlockSize;  // RBP
  int sendBlockSize = kDefaultBlockSize;     // SBP
  bool keepTimes = true;                 // PROTIMES
  bool storeUnique = false;              // STOU
  bool reportOpenFailures = false;       // command-line run without -quiet
  bool offerResume = true;               // PROREGET
  bool applyOverwriteRules = true;       // PROOVERW
  bool skipExistingInFolders = true;     // PRODIROW
  // A received file reaches the disk before the transfer counts as done; a
  // listing kept only as a cache needs no such wait.
  bool syncToDisk = true;
};

// The block size a loop uses for a setting: the setting as stored, at least
// one byte and at most kMaxBlockSize.
inline std::size_t UsableBlockSize(int setting) {
  return static_cast<std::size_t>(std::clamp(setting, 1, TransferSettings::kMaxBlockSize));
}

struct TransferContext {
  session::Session& session;
  TransferState& state;
  TransferStatus& status;
  const TransferSettings& settings;
  const NameRuleSettings& nameRules;
  session::UserInterface& userInterface;
};

// Chooses the type for `nameOrCommand` (automatic mode asks the name rules)
// and sends TYPE when it differs from the type last sent. Returns the type.
char SelectTransferType(TransferContext& transfer, int controlSocket, std::string_view nameOrCommand,
                        char wanted);

// True (and logged) when no transfer can start: no control connection, or
// a command or transfer of some thread still running on it.
bool RefuseWhenNotReady(TransferContext& transfer, int controlSocket);

// True (and logged) when the transfer command `command` would not reach the
// server as it stands: its name, changed on the way, could be another file.
bool RefuseChangedName(session::Session& session, std::string_view command);

// `format` (a message of the string table) with its one "%s" filled in.
std::string formatWithText(std::string_view format, std::string_view text);

// The full remote path of `name` in `folder` for the session's host type.
std::string JoinRemotePath(int hostType, std::string_view folder, std::string_view name);

}  // namespace ferrix::transfer
