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
#include "platform/tcp_socket.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/download_into_place.h"
#include "transfer/overwrite_decision.h"
#include "transfer/resume_record.h"
#include "transfer/text_line_ends.h"

namespace ferrix::transfer {
namespace {

using platform::kInvalidSocket;
namespace strings = resources::string_id;

constexpr int kLocalNameHelpTopic = 630;
constexpr std::size_t kShortNames = 12;  // when the file system cannot tell

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

// Gathers small received blocks and writes them in large pieces: the file
// gets the same bytes as block-by-block writing, with far fewer system calls.
// A piece of half the buffer or more goes straight to the file, since
// copying it first would save no call.
class BufferedFileWriter {
 public:
  static constexpr std::size_t kBufferBytes = 65536;

  explicit BufferedFileWriter(int file) : file_(file), buffer_(new char[kBufferBytes]) {}

  bool operator()(const char* bytes, std::size_t length) {
    if (bytes == nullptr) return flush();
    if (length >= kBufferBytes / 2) return flush() && writeAll(bytes, length);
    if (used_ + length > kBufferBytes && !flush()) return false;
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
  // What the summary line tells once the server has had its word.
  bool summarize = false;
  bool failed = false;  // cancelled, a write error or a broken receive
  bool cancelled = false;
  std::uint64_t bytes = 0;
  std::uint64_t startTick = 0;
  std::uint64_t endTick = 0;
};

// Called once when a download has run long enough to be worth a note that
// survives a crash: a mebibyte or a second, whichever comes first.
using UnderwayNote = std::function<void()>;
constexpr std::uint64_t kUnderwayBytes = 1048576;
constexpr std::uint64_t kUnderwayMs = 1000;

// The loop shared by downloads and restarts: receives blocks until the
// server closes, an error, or cancel, and hands each block to `sink`.
// `canWrite` is false when the local file could not be opened.
LoopResult receiveBlocks(TransferContext& transfer, int dataSocket, int controlSocket,
                         const BlockSink& sink, bool canWrite, const UnderwayNote& underway) {
  session::Session& session = transfer.session;
  session::SessionState& state = session.state;
  LoopResult loop;
  const std::size_t blockSize = UsableBlockSize(transfer.settings.receiveBlockSize);
  const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(blockSize);
  char* const block = buffer.get();
  const std::uint64_t startTick = session.clock.ticks();
  const std::uint64_t stallLimitMs = static_cast<std::uint64_t>(state.replyTimeoutSeconds) * 1000;
  std::uint64_t total = 0;
  long received = 0;
  bool noted = !underway;
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
    const std::uint64_t now = session.clock.ticks();
    transfer.status.ShowProgress(total, startTick, now);
    if (!noted && (total >= kUnderwayBytes || now - startTick >= kUnderwayMs)) {
      noted = true;
      underway();
    }
  }
  // What the sink still holds reaches the file whatever ended the loop: a
  // broken-off download keeps every byte received, for a later restart.
  if (canWrite && !sink(nullptr, 0) && !state.cancelRequested) cancelForWriteError(session);
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
  loop.summarize = true;
  loop.cancelled = state.cancelRequested != 0;
  loop.failed = !canWrite || loop.cancelled || receiveFailed;
  loop.bytes = total;
  loop.startTick = startTick;
  loop.endTick = session.clock.ticks();
  if (state.cancelRequested) {
    loop.result = kBrokenOff;
    // A server blocked writing the rest would not read the abort: closing
    // with data unread resets the data connection, which frees it.
    if (state.dataSocket == dataSocket) {
      platform::closeSocket(dataSocket);
      state.dataSocket = kInvalidSocket;
    }
    SendAbort(session, controlSocket);
  }
  return loop;
}

// The summary line of a loop, once the completion reply (class
// `replyClass`) is known: data the server did not confirm is no success.
void summarize(TransferContext& transfer, const LoopResult& loop, int replyClass) {
  if (!loop.summarize) return;
  WriteTransferSummary(transfer.session, text(strings::kReceived), loop.bytes, loop.startTick,
                       loop.endTick, loop.failed || replyClass != 2,
                       transfer.status.bytesPerSecond());
  transfer.status.clearExpectedSize();
}

// The bytes are kept as they came, but a binary download whose size differs
// from the one the server announced is told: the file may not be the one
// asked for. A restart may be announced by its whole size or by its rest.
void noteSizeDifference(TransferContext& transfer, const LoopResult& loop, std::uint64_t offset) {
  const std::uint64_t announced = ParseExpectedSize(transfer.state.statusText);
  const std::uint64_t received = loop.bytes;
  if (announced == 0 || loop.result != kTransferred || transfer.state.serverTransferType != 'I') {
    return;
  }
  if (received == announced || received + offset == announced) return;
  transfer.session.log.logMessagef(
      "+ Size differed from the announcement: %llu bytes announced, %llu received",
      static_cast<unsigned long long>(announced), static_cast<unsigned long long>(received));
}

// What the loop does around the blocks: the status display. `offset` is
// what a restarted file already holds.
LoopResult receiveWithStatus(TransferContext& transfer, int dataSocket, int controlSocket,
                             const BlockSink& sink, std::uint64_t offset, bool canWrite,
                             const UnderwayNote& underway) {
  transfer.session.state.cancelRequested = 0;
  transfer.status.OpenTransferStatus(TransferMode::kReceiving, transfer.state.statusText,
                                     transfer.state.currentEntry.size);
  if (offset < transfer.status.expectedSize()) {
    transfer.status.setExpectedSize(transfer.status.expectedSize() - offset);
  }
  transfer.status.NoteRestart(offset);
  transfer.status.ShowProgress(0, 0, 0);
  const LoopResult loop =
      receiveBlocks(transfer, dataSocket, controlSocket, sink, canWrite, underway);
  noteSizeDifference(transfer, loop, offset);
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

// Where received bytes go: the file, and whether they follow what it holds
// (an append, or a restart at `offset`) or replace it.
struct Placement {
  std::string localPath;
  bool append = false;
  std::uint64_t offset = 0;
};

// Runs the download loop into the placement's file on an open data connection.
LoopResult receiveIntoFile(TransferContext& transfer, int dataSocket, int controlSocket,
                           const Placement& placement, const UnderwayNote& underway,
                           const BlockObserver& observer) {
  session::Session& session = transfer.session;
  if (dataSocket == kInvalidSocket || !session.state.connected) return {};
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (placement.append ? O_APPEND : O_TRUNC);
  const int file = ::open(placement.localPath.c_str(), flags, 0644);
  if (file < 0) {
    session.log.logMessagef("! %s %s (%u)", text(strings::kFailedToOpenFile).data(),
                            placement.localPath.c_str(), static_cast<unsigned>(errno));
    playSound(session, session::sound_event::kActionFailed);
  }
  BufferedFileWriter writer(file);
  const bool text = transfer.state.serverTransferType == 'A';
  ReceivedTextConverter converter;
  std::string local;
  // The observer sees what the file gets, line ends converted.
  const auto keep = [&](std::string_view bytes) {
    if (!writer(bytes.data(), bytes.size())) return false;
    if (observer && !bytes.empty()) observer(bytes);
    return true;
  };
  const BlockSink sink = [&](const char* bytes, std::size_t length) {
    if (!text) return bytes == nullptr ? writer(nullptr, 0) : keep({bytes, length});
    local.clear();
    if (bytes == nullptr) {
      converter.finish(local);
    } else {
      converter.convert(std::string_view(bytes, length), local);
    }
    return keep(local) && (bytes != nullptr || writer(nullptr, 0));
  };
  const LoopResult loop = receiveWithStatus(transfer, dataSocket, controlSocket, sink,
                                            placement.offset, file >= 0, underway);
  const CurrentEntry entry = transfer.state.currentEntry;
  transfer.state.currentEntry = {};
  if (file >= 0) {
    if (transfer.settings.syncToDisk) ::fsync(file);
    ::close(file);
    if (transfer.settings.keepTimes && entry.year != 0 && entry.month != 0 && entry.day != 0 &&
        loop.wroteBlock && loop.result == kTransferred) {
      stampFileTime(placement.localPath, entry);
    }
  }
  return loop;
}

// Runs the download loop into `descriptor` (a pipe, say), which stays open.
LoopResult receiveIntoDescriptor(TransferContext& transfer, int dataSocket, int controlSocket,
                                 int descriptor) {
  if (dataSocket == kInvalidSocket || !transfer.session.state.connected) return {};
  BufferedFileWriter writer(descriptor);
  const BlockSink sink = [&writer](const char* bytes, std::size_t length) {
    return writer(bytes, length);
  };
  transfer.state.currentEntry = {};
  return receiveWithStatus(transfer, dataSocket, controlSocket, sink, 0, true, {});
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
// reads the completion reply. `restartAt`, when set, sends REST first; a
// refusal clears it, and the loop then starts the file over. The whole
// transfer is one exchange, so no other thread's command is answered by
// the completion reply; a Cancel while another thread held it gives up.
ReceiveResult runReceivingCommand(TransferContext& transfer, int controlSocket,
                                  std::string_view command, std::uint64_t* restartAt,
                                  const std::function<LoopResult(int dataSocket)>& loop) {
  session::Session& session = transfer.session;
  const session::BusyScope busy(session.state);
  if (!busy.entered()) return {0, true, false};
  session::DataExchangeRequest request;
  request.direction = session::DataDirection::kReceive;
  request.sendTransferCommand = [&](session::Session&, int control) {
    if (restartAt != nullptr && *restartAt > 0 &&
        session::sendCommand(session, control, "REST %llu",
                             static_cast<unsigned long long>(*restartAt)) != 3) {
      session.log.logMessage(text(strings::kCannotRestart));
      *restartAt = 0;
    }
    const int replyClass = sendReceivingCommand(transfer, control, command);
    if (replyClass == 1) transfer.state.statusText = session.state.replyLine;
    return replyClass;
  };
  LoopResult moved;
  request.moveData = [&](session::Session&, int dataSocket) {
    moved = loop(dataSocket);
    transfer.state.transferResult = moved.result;
  };
  const session::DataExchangeResult exchange =
      session::dataExchange(session, controlSocket, request);
  using Outcome = session::DataExchangeResult::Outcome;
  if (exchange.outcome == Outcome::kDataMoved) {
    const int replyClass = readCompletion(transfer, controlSocket);
    summarize(transfer, moved, replyClass);
    return {replyClass, moved.cancelled, moved.summarize && !moved.failed};
  }
  if (refusedOnLink(transfer, exchange.commandClass)) {
    transfer.state.transferResult = kRefusedLink;
    return {kRefusedLink, false, false};
  }
  if (exchange.passive && exchange.outcome == Outcome::kCommandRefused) {
    return {exchange.commandClass, false, false};
  }
  playSound(session, session::sound_event::kTransferFailed);
  return {};
}

std::string localNameFor(TransferContext& transfer, const FileTransferContext& file,
                         std::string_view remoteName) {
  const std::size_t maxName =
      platform::maxNameLength(file.localFolder.string()).value_or(kShortNames);
  return MakeLocalName(transfer.nameRules, remoteName,
                       transfer.session.state.sessionProfile.hostType, file.localFolder,
                       static_cast<long>(maxName));
}

transfer::TransferEntry downloadEntry(const FileTransferContext& file, const std::string& remote,
                                     const std::string& localName, std::uint64_t size) {
  transfer::TransferEntry entry;
  entry.download = true;
  entry.remoteFolder = file.remoteFolder;
  entry.remoteName = remote;
  entry.localFolder = file.localFolder.string();
  entry.localName = localName;
  entry.size = size;
  return entry;
}

// Ends the transfer list's entry with `outcome` and returns it.
TransferOutcome endEntry(TransferContext& transfer, TransferOutcome outcome) {
  transfer.status.EndEntry(outcome, OutcomeReason(transfer.session, outcome));
  return outcome;
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

TransferOutcome ReceiveFile(TransferContext& transfer, const FileTransferContext& file,
                            std::string_view remoteName, unsigned index, unsigned count,
                            bool askForName, bool append) {
  session::Session& session = transfer.session;
  const std::string remote(remoteName);
  // Commands carry the server's bytes; the person and the local file see UTF-8.
  const std::string shown = session::shownName(session.state, remoteName);
  std::string localName = localNameFor(transfer, file, shown);
  if (askForName || append) {
    const std::string prompt = formatWithText(text(strings::kEnterLocalFileName), shown);
    if (!transfer.userInterface.inputBox(&localName, prompt, kLocalNameHelpTopic)) {
      session.log.logMessage("+ Cancelled");
      return TransferOutcome::kSkipped;
    }
  }
  transfer.status.clearExpectedSize();
  session.log.logMessagef(text(strings::kReceivingAs).data(), shown.c_str(), localName.c_str(),
                          index, count);
  const std::string command = "RETR " + remote;
  const std::filesystem::path localPath = file.localFolder / localName;
  transfer.status.BeginEntry(
      downloadEntry(file, remote, localName, transfer.state.currentEntry.size));
  if (append) {
    // An append adds to the file the person named: there is nothing to replace.
    const ReceiveResult received = ReceiveFromOffset(
        transfer, file.controlSocket, command, localPath.string(), transfer.state.transferMode, 0,
        true);
    return endEntry(transfer, OutcomeOf(received));
  }
  const int decision = DecideOverwrite(transfer, localName, file.destination);
  if (decision != kCopy) {
    logSkipped(session, decision, localName);
    return endEntry(transfer, TransferOutcome::kSkipped);
  }
  const std::string site = session.state.sessionProfile.profileName;
  const DownloadTarget target{file.ini,
                        site,
                        {file.remoteFolder, remote, file.localFolder.string(), localName},
                        remote,
                        // In automatic mode the type is chosen by name; resuming
                        // follows the type this file will really be fetched in.
                        ReceivingType(transfer, command),
                        AskAboutPartialData(transfer),
                        false};
  const TransferOutcome outcome =
      endEntry(transfer, DownloadIntoPlace(transfer, file.controlSocket, target));
  if (outcome != TransferOutcome::kSucceeded) return outcome;
  const TransferLogEntry entry{TransferDirection::kReceived,
                               transfer.state.serverTransferType,
                               localName,
                               site,
                               file.remoteFolder,
                               shown};
  AppendTransferLog(file.log, entry, file.localFolder, std::time(nullptr));
  return outcome;
}

int ReceiveToFile(TransferContext& transfer, int controlSocket, std::string_view command,
                  const std::string& localPath, char type, bool append,
                  const BlockObserver& observer) {
  return ReceiveFromOffset(transfer, controlSocket, command, localPath, type, 0, append, {},
                           observer)
      .replyClass;
}

int ReceiveToDescriptor(TransferContext& transfer, int controlSocket, std::string_view command,
                        int descriptor, char type) {
  transfer.session.state.replyCode = 0;
  transfer.state.transferResult = kNothingTransferred;
  if (RefuseWhenNotReady(transfer, controlSocket)) return 0;
  if (RefuseChangedName(transfer.session, command)) return 0;
  SelectTransferType(transfer, controlSocket, command, type);
  transfer.status.clearExpectedSize();
  learnSizeBeforeRetrieving(transfer, controlSocket, command);
  return runReceivingCommand(transfer, controlSocket, command, nullptr, [&](int dataSocket) {
           return receiveIntoDescriptor(transfer, dataSocket, controlSocket, descriptor);
         })
      .replyClass;
}

ReceiveResult ReceiveFromOffset(TransferContext& transfer, int controlSocket,
                                std::string_view command, const std::string& localPath,
                                char type, std::uint64_t offset, bool append,
                                const std::function<void()>& underway,
                                const BlockObserver& observer) {
  transfer.session.state.replyCode = 0;
  transfer.state.transferResult = kNothingTransferred;
  if (RefuseWhenNotReady(transfer, controlSocket)) return {};
  if (RefuseChangedName(transfer.session, command)) return {};
  SelectTransferType(transfer, controlSocket, command, type);
  transfer.status.clearExpectedSize();
  learnSizeBeforeRetrieving(transfer, controlSocket, command);
  std::uint64_t restartAt = offset;
  return runReceivingCommand(
      transfer, controlSocket, command, &restartAt, [&](int dataSocket) {
        const Placement placement{localPath, append || restartAt > 0, restartAt};
        return receiveIntoFile(transfer, dataSocket, controlSocket, placement, underway, observer);
      });
}

char ReceivingType(const TransferContext& transfer, std::string_view command) {
  if (!transfer.state.automaticMode) return transfer.state.transferMode;
  return IsAsciiName(transfer.nameRules, command) ? 'A' : 'I';
}

TransferOutcome OutcomeOf(const ReceiveResult& received) {
  if (received.cancelled) return TransferOutcome::kCancelled;
  return received.replyClass == 2 && received.allReceived ? TransferOutcome::kSucceeded
                                                         : TransferOutcome::kFailed;
}

}  // namespace ferrix::transfer
