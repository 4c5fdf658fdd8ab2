// The transfer log: one line appended to a plain-text file (FERRIX.LOG by
// default) after each completed file transfer. A relative name is kept in
// the state folder ($XDG_STATE_HOME/ferrix), never in the folders the
// transfers fill, where a later folder upload would send it on. Opened,
// appended to and closed for every line; a file that cannot be opened is
// skipped without a message.
// Thread rule: callers serialise transfers; appends are single writes.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace ferrix::transfer {

enum class TransferDirection { kSent = 1, kReceived = 2 };

struct TransferLogSettings {
  int dolog = 1;                       // 1 = write the log; anything else = do not
  std::string logfile = "FERRIX.LOG";  // at most 155 characters
};

struct TransferLogEntry {
  TransferDirection direction = TransferDirection::kReceived;
  char serverTransferType = 'I';  // the type last sent with TYPE: 'A' logs as ASCII
  std::string localName;          // the local name (received) or local path given (sent)
  std::string site;               // profile name (received) or host name (sent)
  std::string remoteFolder;
  std::string remoteName;
};

// The line for `entry` written at local time `when` from `currentFolder`.
std::string FormatTransferLogLine(const TransferLogEntry& entry,
                                  const std::filesystem::path& currentFolder, const std::tm& when);

// Where the log file is: settings.logfile when absolute, else that name in
// the state folder.
std::filesystem::path TransferLogPath(const TransferLogSettings& settings);

// Appends the line to the log file when settings.dolog is 1, making the
// state folder first when it is missing.
void AppendTransferLog(const TransferLogSettings& settings, const TransferLogEntry& entry,
                       const std::filesystem::path& currentFolder, std::time_t now);

}  // namespace ferrix::transfer
