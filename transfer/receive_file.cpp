#include "transfer/receive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

#include "decoder/include/ferrixcore.h"
#include "platform/paths.h"
#include "platform/socket_errors.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/message_log.h"
#include "session/sound_events.h"
#include "transfer/overwrite_decision.h"
#include "transfer/resume_record.h"
#include "transfer/text_line_ends.h"

namespace ferrix::transfer {
namespace {

using platform::kInvalidSocket;
namespace strings = resources::string_id;

constexpr int kLocalNameHelpTopic = 630;
constexpr std::size_t kShortNames = 12;  // when the file system cannot tell
// The summary line is written when the data connection closes, before the
// server's word on the file: this says when that word never came.
constexpr const char* kUnconfirmedFile =
    "! The server did not confirm %s: it may be incomplete";

std::string_view text(int id) { return resources::loadString(id); }

void playSound(session::Session& session, int event) {
  if (session.playSound) session.playSound(event);
}

// Writes every byte it is given; false on the first failure. Called with
// no bytes (nullptr, 0) it writes out whatever it still holds.
using BlockSink = std::function<bool(const char* bytes, std::size_t length)>;

void cancelForWriteError(session::Session& session) {
  session.state.cancelRequested = 1;
  session.log.logMessagef("! %s", resources::loadString(strings::kFileWriteError).data());
  playSound(session, session::sound_event::kActionFailed);
}

// Gathers received blocks and writes them in large pieces: the file gets the
// same bytes as block-by-block writing, with far fewer system calls.
class BufferedFileWriter {
 public:
  static constexpr std::size_t kBufferBytes = 65536;

  explicit BufferedFileWriter(int file) : file_(file), buffer_(new char[kBufferBytes]) {}

  bool operator()(const char* bytes, std::size_t length) {
    if (bytes == nullptr) return flush();
    if (used_ + length > kBufferBytes && !flush()) return false;
    if (length > kBufferBytes) return writeAll(bytes, length);
    std::memcpy(buffer_.get() + used_, bytes, length);
    used_ += length;
    return true;
  }

 private:
  bool flush() {
    const bool written = writeAll(buffer_.get(), used_);
    used_ = 0;
    return written;
  }

  bool writeAll(const char* bytes, std::size_t length) const {
    while (length > 0) {
      const ssize_t written = ::write(file_, bytes, length);
      if (written <= 0) return false;
      bytes += written;
      length -= static_cast<std::size_t>(written);
    }
    return true;
  }

  int file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

struct LoopResult {
  int result = kNothingTransferred;
  bool wroteBlock = false;
};

// The loop shared by downloads and restarts: receives blocks until the
// server closes, an error, or cancel, and hands each block to `sink`.
// `canWrite` is false when the local file could not be opened.
LoopResult receiveBlocks(TransferContext& transfer, int dataSocket, int controlSocket,
                         const BlockSink& sink, bool canWrite) {
  session::Session& session = transfer.session;
  session::SessionState& state = session.state;
  LoopResult loop;
  const std::size_t blockSize = static_cast<std::size_t>(
      std::clamp(transfer.settings.receiveBlockSize, 1, TransferSettings::kMaxBlockSize));
  char block[TransferSettings::kMaxBlockSize];
  const std::uint64_t startTick = session.clock.ticks();
  const std::uint64_t stallLimitMs = static_cast<std::uint64_t>(state.replyTimeoutSeconds) * 1000;
  std::uint64_t total = 0;
  long received = 0;
  while (!state.cancelRequested) {
    received = session::recvWithTimeout(session, dataSocket, block, blockSize, 0, stallLimitMs);
    if (received <= 0) break;
    if (!canWrite || !sink(block, static_cast<std::size_t>(received))) {
      cancelForWriteError(session);
      break;
    }
    loop.wroteBlock = true;
    total += static_cast<std::uint64_t>(received);
    loop.result = kTransferred;
    transfer.status.ShowProgress(total, startTick, session.clock.ticks());
  }
  // What the sink still holds reaches the file whatever ended the loop: a
  // broken-off download keeps every byte received, for a later restart.
  if (canWrite && !sink(nullptr, 0) && !state.cancelRequested) cancelForWriteError(session);
  const std::uint64_t endTick = session.clock.ticks();
  const bool receiveFailed = received < 0;
  if (receiveFailed) {
    session::logSocketError(session, text(strings::kReceiveError), platform::lastSocketError());
    if (total == 0) {
      playSound(session, session::sound_event::kTransferFailed);
      loop.result = kNothingTransferred;
      return loop;
    }
    loop.result = kBrokenOff;
  }
  WriteTransferSummary(session, text(strings::kReceived), total, startTick, endTick,
                       !canWrite || state.cancelRequested, transfer.status.bytesPerSecond());
  transfer.status.clearExpectedSize();
  if (state.cancelRequested) {
    loop.result = kBrokenOff;
    SendAbort(session, controlSocket);
  }
  return loop;
}

// What both loops do around the blocks: the busy mark and the status display.
// `offset` is what a restarted file already holds.
LoopResult receiveWithStatus(TransferContext& transfer, int dataSocket, int controlSocket,
                             const BlockSink& sink, std::uint64_t offset, bool canWrite) {
  session::SessionState& state = transfer.session.state;
  session::BusyScope busy(state);
  state.cancelRequested = 0;
  transfer.status.OpenTransferStatus(TransferMode::kReceiving, transfer.state.statusText,
                                     transfer.state.currentEntry.size);
  if (offset < transfer.status.expectedSize()) {
    transfer.status.setExpectedSize(transfer.status.expectedSize() - offset);
  }
  transfer.status.ShowProgress(0, 0, 0);
  const LoopResult loop = receiveBlocks(transfer, dataSocket, controlSocket, sink, canWrite);
  transfer.status.ShowProgress(0, 0, 0);
  transfer.status.CloseTransferStatus();
  return loop;
}

// Gives `path` the date and time of the entry being received (local time).
void stampFileTime(const std::string& path, const CurrentEntry& entry) {
  std::tm when{};
  int year = entry.year;
  if (year < 50) {
    year += 2000;
  } else if (year < 1900) {
    year += 1900;
  }
  when.tm_year = year - 1900;
  when.tm_mon = entry.month - 1;
  when.tm_mday = entry.day;
  when.tm_hour = entry.hour;
  when.tm_min = entry.minute;
  when.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&when);
  if (stamp == -1) return;
  const timespec times[2] = {{stamp, 0}, {stamp, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Runs the download loop into `localPath` on an open data connection.
int receiveIntoFile(TransferContext& transfer, int dataSocket, int controlSocket,
                    const std::string& localPath, bool append) {
  session::Session& session = transfer.session;
  if (dataSocket == kInvalidSocket || !session.state.connected) return kNothingTransferred;
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  const int file = ::open(localPath.c_str(), flags, 0644);
  if (file < 0) {
    session.log.logMessagef("! %s %s (%u)", text(strings::kFailedToOpenFile).data(),
                            localPath.c_str(), static_cast<unsigned>(errno));
    playSound(session, session::sound_event::kActionFailed);
  }
  BufferedFileWriter writer(file);
  const bool text = transfer.state.serverTransferType == 'A';
  ReceivedTextConverter converter;
  std::string local;
  const BlockSink sink = [&](const char* bytes, std::size_t length) {
    if (!text) return writer(bytes, length);
    local.clear();
    if (bytes == nullptr) {
      converter.finish(local);
    } else {
      converter.convert(std::string_view(bytes, length), local);
    }
    return writer(local.data(), local.size()) && (bytes != nullptr || writer(nullptr, 0));
  };
  const LoopResult loop =
      receiveWithStatus(transfer, dataSocket, controlSocket, sink, 0, file >= 0);
  const CurrentEntry entry = transfer.state.currentEntry;
  transfer.state.currentEntry = {};
  if (file >= 0) {
    ::fsync(file);
    ::close(file);
    if (transfer.settings.keepTimes && entry.year != 0 && entry.month != 0 && entry.day != 0 &&
        loop.wroteBlock && loop.result == kTransferred) {
      stampFileTime(localPath, entry);
    }
  }
  return loop.result;
}

// RETR 'A.B' for RETR A.B: the verb and its blanks stay, the argument is quoted.
std::string quotedArgument(std::string_view command) {
  const std::size_t verbEnd = std::min(command.find(' '), command.size());
  const std::size_t argument = std::min(command.find_first_not_of(' ', verbEnd), command.size());
  return std::string(command.substr(0, argument)) + "'" + std::string(command.substr(argument)) +
         "'";
}

// Sends a receiving command; IBM MVS/KNET servers get the argument quoted
// when they refuse it with 550 in active mode.
int sendReceivingCommand(TransferContext& transfer, int controlSocket, std::string_view command) {
  session::Session& session = transfer.session;
  const int replyClass = session::sendCommandText(session, controlSocket, command);
  if (session.state.replyCode == 550 &&
      session.state.sessionProfile.hostType == FERRIX_HOST_TYPE_IBM_MVS_KNET &&
      session.state.listenSocket != kInvalidSocket) {
    return session::sendCommandText(session, controlSocket, quotedArgument(command));
  }
  return replyClass;
}

bool refusedOnLink(TransferContext& transfer, int replyClass) {
  return replyClass == 5 && transfer.state.currentEntry.kind == CurrentEntry::kLinkKind;
}

int readCompletion(TransferContext& transfer, int controlSocket) {
  transfer.session.log.logMessagef("[%u] looking for completion line",
                                   static_cast<unsigned>(controlSocket));
  return session::getReply(transfer.session, controlSocket);
}

// Runs `command` through the data channel with `loop` moving the bytes, and
// reads the completion reply.
int runReceivingCommand(TransferContext& transfer, int controlSocket, std::string_view command,
                        const std::function<int(int dataSocket)>& loop) {
  session::Session& session = transfer.session;
  session::DataExchangeRequest request;
  request.direction = session::DataDirection::kReceive;
  request.sendTransferCommand = [&](session::Session&, int control) {
    const int replyClass = sendReceivingCommand(transfer, control, command);
    if (replyClass == 1) transfer.state.statusText = session.state.replyLine;
    return replyClass;
  };
  request.moveData = [&](session::Session&, int dataSocket) {
    transfer.state.transferResult = loop(dataSocket);
  };
  const session::DataExchangeResult exchange =
      session::dataExchange(session, controlSocket, request);
  using Outcome = session::DataExchangeResult::Outcome;
  if (exchange.outcome == Outcome::kDataMoved) return readCompletion(transfer, controlSocket);
  if (refusedOnLink(transfer, exchange.commandClass)) {
    transfer.state.transferResult = kRefusedLink;
    return kRefusedLink;
  }
  if (exchange.passive && exchange.outcome == Outcome::kCommandRefused) {
    return exchange.commandClass;
  }
  playSound(session, session::sound_event::kTransferFailed);
  return 0;
}

bool refuseWhenNotReady(TransferContext& transfer, int controlSocket) {
  session::Session& session = transfer.session;
  if (controlSocket == kInvalidSocket) {
    session.log.logMessagef("! %s", text(strings::kNotConnected).data());
    return true;
  }
  if (session.state.busyDepth || session.state.commandInProgress) {
    session.log.logMessagef("! %s", text(strings::kCommandInProgress).data());
    return true;
  }
  return false;
}

// The type ReceiveToFile will use for `command`, known before it runs.
char typeFor(const TransferContext& transfer, std::string_view command) {
  if (!transfer.state.automaticMode) return transfer.state.transferMode;
  return IsAsciiName(transfer.nameRules, command) ? 'A' : 'I';
}

std::string localNameFor(TransferContext& transfer, const FileTransferContext& file,
                         std::string_view remoteName) {
  const std::size_t maxName =
      platform::maxNameLength(file.localFolder.string()).value_or(kShortNames);
  return MakeLocalName(transfer.nameRules, remoteName,
                       transfer.session.state.sessionProfile.hostType, file.localFolder,
                       static_cast<long>(maxName));
}

// Tells why the overwrite decision skipped the file.
void logSkipped(session::Session& session, int decision, const std::string& localName) {
  const int id =
      decision == kSkipNewerVersion ? strings::kNewerVersionExists : strings::kSameVersionExists;
  session.log.logMessage(formatWithText(text(id), localName));
}

// Asks the size of the file RETR `command` fetches when the pane does not
// know it and the server offers SIZE, so that progress and the remaining time
// are right even where the preliminary reply names no size (which, when it
// does, still wins).
void learnSizeBeforeRetrieving(TransferContext& transfer, int controlSocket,
                               std::string_view command) {
  constexpr int kFileStatus = 213;
  constexpr std::size_t kRetrieveVerb = 5;  // "RETR "
  session::Session& session = transfer.session;
  CurrentEntry& entry = transfer.state.currentEntry;
  if (!session.state.features.size || entry.size != 0 || !command.starts_with("RETR ")) return;
  const std::string name(command.substr(kRetrieveVerb));
  if (session::sendCommand(session, controlSocket, "SIZE %s", name.c_str()) != 2 ||
      session.state.replyCode != kFileStatus) {
    return;
  }
  const std::string_view reply = session.state.replyLine;
  std::uint64_t size = 0;
  constexpr std::size_t kMaxDigits = 19;  // what 64 bits always hold
  const std::size_t start = std::min(reply.find_first_not_of(' ', 3), reply.size());
  for (std::size_t i = start; i < reply.size() && i < start + kMaxDigits; ++i) {
    if (reply[i] < '0' || reply[i] > '9') break;
    size = size * 10 + static_cast<std::uint64_t>(reply[i] - '0');
  }
  entry.size = size;
}

}  // namespace

int ReceiveFile(TransferContext& transfer, const FileTransferContext& file,
                std::string_view remoteName, unsigned index, unsigned count, bool askForName,
                bool append) {
  session::Session& session = transfer.session;
  const std::string remote(remoteName);
  std::string localName = localNameFor(transfer, file, remoteName);
  if (askForName || append) {
    const std::string prompt = formatWithText(text(strings::kEnterLocalFileName), remote);
    if (!transfer.userInterface.inputBox(&localName, prompt, kLocalNameHelpTopic)) {
      session.log.logMessage("+ Cancelled");
      return 2;
    }
  }
  transfer.status.clearExpectedSize();
  session.log.logMessagef(text(strings::kReceivingAs).data(), remote.c_str(), localName.c_str(),
                          index, count);
  const std::string command = "RETR " + remote;
  if (!append) {
    const int decision = DecideOverwrite(transfer, localName, file.destination);
    if (decision != kCopy) {
      logSkipped(session, decision, localName);
      return 2;
    }
  }
  const std::string site = session.state.sessionProfile.profileName;
  // In automatic mode the type is chosen by name; the record follows the
  // type this file will really be fetched in.
  if (typeFor(transfer, command) == 'I') {
    SaveResumeRecord(transfer, file.ini, site,
                     {file.remoteFolder, remote, file.localFolder.string(), localName},
                     std::time(nullptr));
  }
  const std::filesystem::path localPath = file.localFolder / localName;
  const int replyClass = ReceiveToFile(transfer, file.controlSocket, command, localPath.string(),
                                       transfer.state.transferMode, append);
  // Data that arrived without the server's word that the file is complete
  // (the connection died under it) may be a truncated file: the record stays
  // so that the rest can still be fetched.
  if (transfer.state.transferResult != kTransferred) return replyClass;
  if (replyClass != 2) {
    session.log.logMessagef(kUnconfirmedFile, localName.c_str());
    return replyClass;
  }
  ClearResumeRecord(file.ini, site);
  const TransferLogEntry entry{TransferDirection::kReceived,
                               transfer.state.serverTransferType,
                               localName,
                               site,
                               file.remoteFolder,
                               remote};
  AppendTransferLog(file.log, entry, file.localFolder, std::time(nullptr));
  return replyClass;
}

int ReceiveToFile(TransferContext& transfer, int controlSocket, std::string_view command,
                  const std::string& localPath, char type, bool append) {
  transfer.session.state.replyCode = 0;
  transfer.state.transferResult = kNothingTransferred;
  if (refuseWhenNotReady(transfer, controlSocket)) return 0;
  SelectTransferType(transfer, controlSocket, command, type);
  transfer.status.clearExpectedSize();
  learnSizeBeforeRetrieving(transfer, controlSocket, command);
  return runReceivingCommand(transfer, controlSocket, command, [&](int dataSocket) {
    return receiveIntoFile(transfer, dataSocket, controlSocket, localPath, append);
  });
}

int ResumeReceive(TransferContext& transfer, int controlSocket, std::FILE* file,
                  std::string_view remoteFolder, std::string_view remoteName,
                  std::uint64_t offset) {
  session::Session& session = transfer.session;
  transfer.state.transferMode = 'I';
  if (transfer.state.serverTransferType != 'I') {
    session::sendCommand(session, controlSocket, "TYPE I");
    transfer.state.serverTransferType = 'I';
  }
  const std::string command =
      "RETR " + JoinRemotePath(session.state.sessionProfile.hostType, remoteFolder, remoteName);
  const auto restartThenRetrieve = [&](int control) {
    if (session::sendCommand(session, control, "REST %llu",
                             static_cast<unsigned long long>(offset)) != 3) {
      std::fseek(file, 0, SEEK_SET);
      session.log.logMessage(text(strings::kCannotRestart));
      offset = 0;
    }
    return sendReceivingCommand(transfer, control, command);
  };
  const BlockSink sink = [file](const char* bytes, std::size_t length) {
    if (bytes == nullptr) return std::fflush(file) == 0;
    return std::fwrite(bytes, 1, length, file) == length;
  };
  session::DataExchangeRequest request;
  request.direction = session::DataDirection::kReceive;
  request.sendTransferCommand = [&](session::Session&, int control) {
    const int replyClass = restartThenRetrieve(control);
    if (replyClass == 1) transfer.state.statusText = session.state.replyLine;
    return replyClass;
  };
  request.moveData = [&](session::Session&, int dataSocket) {
    transfer.state.transferResult =
        receiveWithStatus(transfer, dataSocket, controlSocket, sink, offset, true).result;
    playSound(session, session::sound_event::kTransferSucceeded);
  };
  const session::DataExchangeResult exchange =
      session::dataExchange(session, controlSocket, request);
  if (exchange.outcome == session::DataExchangeResult::Outcome::kDataMoved) {
    return readCompletion(transfer, controlSocket);
  }
  if (!exchange.passive) playSound(session, session::sound_event::kTransferFailed);
  return 0;
}

}  // namespace ferrix::transfer
