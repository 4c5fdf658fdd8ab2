#include "transfer/send_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/tcp_socket.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/overwrite_decision.h"
#include "transfer/text_line_ends.h"

namespace ferrix::transfer {
namespace {

using platform::kInvalidSocket;
namespace strings = resources::string_id;

constexpr int kMdtmAllowed = 2;
constexpr std::size_t kVerbLength = 5;  // "STOR " and its kin
constexpr int kRemoteNameHelpTopic = 640;

std::string_view text(int id) { return resources::loadString(id); }

void playSound(session::Session& session, int event) {
  if (session.playSound) session.playSound(event);
}

// Blocks of SBP bytes read from the file, gathered into one send of at least
// 64 KiB, at a fraction of the system calls of block-by-block sending (a
// small SBP kept from an old INI file costs no extra calls). In ASCII type
// the bytes go through the text converter on their way to the wire.
class BlockBatch {
 public:
  static constexpr std::size_t kSmallestBatch = 65536;

  BlockBatch(std::size_t blockSize, bool ascii)
      : blockSize_(blockSize),
        ascii_(ascii),
        capacity_(std::max(kSmallestBatch, blockSize)),
        bytes_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

  // Reads the next blocks; false at the end of the file (or a read error).
  bool fill(std::FILE* file) {
    filled_ = 0;
    while (filled_ + blockSize_ <= capacity_) {
      const std::size_t length = std::fread(bytes_.get() + filled_, 1, blockSize_, file);
      filled_ += length;
      if (length < blockSize_) break;
    }
    if (ascii_) {
      wire_.clear();
      text_.convert(std::string_view(bytes_.get(), filled_), wire_);
    }
    return filled_ > 0;
  }

  bool send(session::Session& session, int dataSocket) const {
    const std::string_view wire =
        ascii_ ? std::string_view(wire_) : std::string_view(bytes_.get(), filled_);
    return session::sendAll(session, dataSocket, wire) == wire.size();
  }

  // The bytes read from the file, which is what the totals count.
  std::uint64_t blockBytes() const { return filled_; }

 private:
  std::size_t blockSize_;
  bool ascii_;
  std::size_t capacity_;
  std::unique_ptr<char[]> bytes_;
  std::size_t filled_ = 0;
  SentTextConverter text_;
  std::string wire_;
};

struct SendOutcome {
  int result = 0;
  bool cancelled = false;
};

// Tells of a local file that could not be opened, in the log and, when the
// settings ask for it, in a message box.
void reportOpenFailure(TransferContext& transfer, const std::string& localPath, int error) {
  char message[1024];
  std::snprintf(message, sizeof message, "! %s %s (%u)", text(strings::kFailedToOpenFile).data(),
                localPath.c_str(), static_cast<unsigned>(error));
  transfer.session.log.logMessage(message);
  playSound(transfer.session, session::sound_event::kTransferFailed);
  if (transfer.settings.reportOpenFailures) {
    transfer.userInterface.messageBox(message, session::kProgramTitle,
                                      session::UserInterface::Buttons::kOk,
                                      session::UserInterface::Icon::kNone);
  }
}

// Sends what `file` holds from where it stands to its end; `label` names it
// in the status and the log. Only a regular file has a size to show.
SendOutcome sendLoop(TransferContext& transfer, int dataSocket, std::FILE* file,
                     const std::string& label) {
  session::Session& session = transfer.session;
  session::SessionState& state = session.state;
  if (dataSocket == kInvalidSocket || !state.connected) return {};
  state.cancelRequested = 0;
  platform::setNoDelay(dataSocket);

  struct stat status {};
  const bool sized = ::fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
  const int format = transfer.state.serverTransferType == 'A' ? strings::kSendingAsciiFile
                                                              : strings::kSendingBinaryFile;
  std::string statusText = formatWithText(text(format), label);
  if (sized) statusText += " (" + std::to_string(status.st_size) + " bytes)";
  transfer.state.statusText = statusText;
  transfer.status.OpenTransferStatus(TransferMode::kSending, statusText, 0);
  transfer.status.ShowProgress(0, 0, 0);

  SendOutcome outcome;
  const std::size_t blockSize = UsableBlockSize(transfer.settings.sendBlockSize);
  const std::uint64_t startTick = session.clock.ticks();
  std::uint64_t total = 0;
  transfer.status.setExpectedSize(sized ? static_cast<std::uint64_t>(status.st_size) : 0);
  BlockBatch batch(blockSize, transfer.state.serverTransferType == 'A');
  while (!state.cancelRequested && batch.fill(file)) {
    if (!batch.send(transfer.session, dataSocket)) {
      state.cancelRequested = 1;
      break;
    }
    total += batch.blockBytes();
    transfer.status.ShowProgress(total, startTick, session.clock.ticks());
  }
  const std::uint64_t endTick = session.clock.ticks();
  // A read error must not pass for the end of the file.
  if (std::ferror(file)) {
    session.log.logMessagef("! %s %s (%u)", text(strings::kFailedToOpenFile).data(), label.c_str(),
                            static_cast<unsigned>(errno));
    state.cancelRequested = 1;
  }
  outcome.cancelled = state.cancelRequested != 0;
  WriteTransferSummary(session, text(strings::kTransmitted), total, startTick, endTick,
                       outcome.cancelled, transfer.status.bytesPerSecond());
  transfer.status.clearExpectedSize();
  outcome.result = outcome.cancelled ? 0 : 1;
  transfer.status.ShowProgress(0, 0, 0);
  transfer.status.CloseTransferStatus();
  return outcome;
}

// Sets the remote file's time to the local file's, in UTC: with MFMT where
// FEAT offered it, else with the MDTM form that takes a time. A refusal
// costs the file its time, never the upload.
void setRemoteTime(TransferContext& transfer, int controlSocket, const std::string& command,
                   const std::string& localPath) {
  session::Session& session = transfer.session;
  config::SiteProfile& profile = session.state.sessionProfile;
  struct stat status {};
  if (!(profile.serverFeatureMask & kMdtmAllowed) || !transfer.settings.keepTimes ||
      ::stat(localPath.c_str(), &status) != 0) {
    return;
  }
  std::tm utc{};
  gmtime_r(&status.st_mtime, &utc);
  const std::string remoteName = command.substr(std::min(kVerbLength, command.size()));
  const char* verb = session.state.features.mfmt ? "MFMT" : "MDTM";
  if (session::sendCommand(session, controlSocket, "%s %u%02u%02u%02u%02u%02u %s", verb,
                           static_cast<unsigned>(utc.tm_year + 1900),
                           static_cast<unsigned>(utc.tm_mon + 1),
                           static_cast<unsigned>(utc.tm_mday), static_cast<unsigned>(utc.tm_hour),
                           static_cast<unsigned>(utc.tm_min), static_cast<unsigned>(utc.tm_sec),
                           remoteName.c_str()) != 2) {
    session.log.logMessagef("+ %s refused: %s keeps the server's time", verb, remoteName.c_str());
    profile.serverFeatureMask &= ~kMdtmAllowed;
  }
}

// Sends the storing command; a STOU refused with 500 falls back to STOR.
int sendStoringCommand(TransferContext& transfer, int controlSocket, std::string& command) {
  session::Session& session = transfer.session;
  int replyClass = session::sendCommandText(session, controlSocket, command);
  if (replyClass == 5 && session.state.replyCode == 500 && transfer.settings.storeUnique &&
      command.starts_with("STOU")) {
    command[3] = 'R';
    replyClass = session::sendCommandText(session, controlSocket, command);
  }
  return replyClass;
}

// The remote name of an upload: the local file's own name, converted for
// the server.
std::string remoteNameFor(TransferContext& transfer, const std::string& localPath) {
  const std::size_t slash = localPath.rfind('/');
  std::string name = slash == std::string::npos ? localPath : localPath.substr(slash + 1);
  ConvertTransferName(transfer.nameRules, name, NameDirection::kUpload);
  return name;
}

// Sends the storing command and runs `moveData` on the data connection.
// Returns as SendFromFile does; `outcome` says what the loop did. The whole
// transfer is one exchange, so no other thread's command is answered by
// the completion reply; a Cancel while another thread held it gives up.
int storeThroughDataChannel(TransferContext& transfer, int controlSocket, std::string& command,
                            const std::function<SendOutcome(int dataSocket)>& moveData,
                            SendOutcome& outcome) {
  session::Session& session = transfer.session;
  const session::BusyScope busy(session.state);
  if (!busy.entered()) {
    outcome.cancelled = true;
    return 0;
  }
  if (transfer.settings.storeUnique && command.size() > 3 && command[3] == 'R') command[3] = 'U';
  transfer.state.transferResult = kNothingTransferred;
  session::DataExchangeRequest request;
  request.direction = session::DataDirection::kSend;
  request.sendTransferCommand = [&](session::Session&, int control) {
    return sendStoringCommand(transfer, control, command);
  };
  request.moveData = [&](session::Session&, int dataSocket) {
    outcome = moveData(dataSocket);
    // The completion reply clears the cancel flag; the result keeps it.
    transfer.state.transferResult = outcome.cancelled ? kBrokenOff : outcome.result;
  };
  const session::DataExchangeResult exchange =
      session::dataExchange(session, controlSocket, request);
  using Outcome = session::DataExchangeResult::Outcome;
  if (exchange.outcome != Outcome::kDataMoved) {
    // A refusal in passive mode answers with its class; everything else is 0.
    if (exchange.passive && exchange.outcome == Outcome::kCommandRefused) {
      return exchange.commandClass;
    }
    playSound(session, session::sound_event::kTransferFailed);
    return 0;
  }
  return session::getReply(session, controlSocket);
}

transfer::TransferEntry uploadEntry(const FileTransferContext& file, const std::string& localPath,
                                   const std::string& remoteName) {
  const std::filesystem::path path(localPath);
  transfer::TransferEntry entry;
  entry.download = false;
  entry.localFolder = path.has_parent_path() ? path.parent_path().string() : file.localFolder.string();
  entry.localName = path.filename().string();
  entry.remoteFolder = file.remoteFolder;
  entry.remoteName = remoteName;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  entry.size = error ? 0 : static_cast<std::uint64_t>(size);
  return entry;
}

// Ends the transfer list's entry with `outcome` and returns it.
TransferOutcome endEntry(TransferContext& transfer, TransferOutcome outcome) {
  transfer.status.EndEntry(outcome, OutcomeReason(transfer.session, outcome));
  return outcome;
}

}  // namespace

TransferOutcome SendFile(TransferContext& transfer, const FileTransferContext& file,
                         const std::string& localPath, unsigned index, unsigned count,
                         bool askForName, bool append) {
  session::Session& session = transfer.session;
  std::string remoteName = remoteNameFor(transfer, localPath);
  std::string verb = "STOR ";
  if (askForName || append) {
    const std::string prompt = formatWithText(text(strings::kEnterRemoteFileName), localPath);
    if (!transfer.userInterface.inputBox(&remoteName, prompt, kRemoteNameHelpTopic)) {
      session.log.logMessagef("+ %s", text(strings::kCancelled).data());
      return TransferOutcome::kSkipped;
    }
    if (append) verb = "APPE ";
  }
  session.log.logMessagef(text(strings::kSendingAs).data(), localPath.c_str(), remoteName.c_str(),
                          index, count);
  // The UTF-8 name in the server's charset: what the command and the remote
  // pane's names (the server's bytes) hold.
  const std::optional<std::string> wire = session::wireNameOrRefuse(session, remoteName);
  if (!wire) return TransferOutcome::kFailed;
  transfer.status.BeginEntry(uploadEntry(file, localPath, remoteName));
  if (!append && DecideOverwrite(transfer, *wire, file.destination) != kCopy) {
    session.log.logMessage(formatWithText(text(strings::kNewerOrSameExists), remoteName));
    return endEntry(transfer, TransferOutcome::kSkipped);
  }
  const int result = SendFromFile(transfer, file.controlSocket, verb + *wire, localPath,
                                  transfer.state.transferMode);
  if (result == 2 && transfer.state.transferResult == kBrokenOff) {
    return endEntry(transfer, TransferOutcome::kCancelled);
  }
  // Only a stored file belongs in the log; a refusal moved nothing.
  if (result != 2 || transfer.state.transferResult != kTransferred) {
    return endEntry(transfer, TransferOutcome::kFailed);
  }
  endEntry(transfer, TransferOutcome::kSucceeded);
  // The line names the folder once: `localPath` may already hold it.
  const std::filesystem::path path(localPath);
  const TransferLogEntry entry{TransferDirection::kSent,
                               transfer.state.serverTransferType,
                               path.filename().string(),
                               session.state.sessionProfile.hostName,
                               file.remoteFolder,
                               remoteName};
  AppendTransferLog(file.log, entry,
                    path.has_parent_path() ? path.parent_path() : file.localFolder,
                    std::time(nullptr));
  return TransferOutcome::kSucceeded;
}

int SendFromFile(TransferContext& transfer, int controlSocket, std::string command,
                 const std::string& localPath, char type) {
  transfer.session.state.replyCode = 0;
  if (RefuseWhenNotReady(transfer, controlSocket)) return 0;
  if (RefuseChangedName(transfer.session, command)) return 0;
  SelectTransferType(transfer, controlSocket, localPath, type);
  SendOutcome outcome;
  const int result = storeThroughDataChannel(
      transfer, controlSocket, command,
      [&](int dataSocket) -> SendOutcome {
        std::FILE* file = std::fopen(localPath.c_str(), "rb");
        if (file == nullptr) {
          reportOpenFailure(transfer, localPath, errno);
          return {};
        }
        const SendOutcome sent = sendLoop(transfer, dataSocket, file, localPath);
        std::fclose(file);
        return sent;
      },
      outcome);
  if (result == 2 && !outcome.cancelled) setRemoteTime(transfer, controlSocket, command, localPath);
  return result;
}

int SendFromStream(TransferContext& transfer, int controlSocket, std::string command,
                   std::FILE* source, const std::string& label, char type) {
  transfer.session.state.replyCode = 0;
  if (RefuseWhenNotReady(transfer, controlSocket)) return 0;
  if (RefuseChangedName(transfer.session, command)) return 0;
  // Automatic mode chooses by the remote name: the stream has none.
  SelectTransferType(transfer, controlSocket, command, type);
  SendOutcome outcome;
  return storeThroughDataChannel(
      transfer, controlSocket, command,
      [&](int dataSocket) { return sendLoop(transfer, dataSocket, source, label); }, outcome);
}

}  // namespace ferrix::transfer
