#include "transfer/send_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/tcp_socket.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/message_log.h"
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

// Blocks of SBP bytes read from the file, gathered into one send, at a
// fraction of the system calls of block-by-block sending. In ASCII type the
// bytes go through the text converter on their way to the wire.
class BlockBatch {
 public:
  static constexpr std::size_t kBatchBytes = 65536;

  BlockBatch(std::size_t blockSize, bool ascii) : blockSize_(blockSize), ascii_(ascii) {}

  // Reads the next blocks; false at the end of the file (or a read error).
  bool fill(std::FILE* file) {
    filled_ = 0;
    while (filled_ + blockSize_ <= kBatchBytes) {
      const std::size_t length = std::fread(bytes_ + filled_, 1, blockSize_, file);
      filled_ += length;
      if (length < blockSize_) break;
    }
    if (ascii_) {
      wire_.clear();
      text_.convert(std::string_view(bytes_, filled_), wire_);
    }
    return filled_ > 0;
  }

  bool send(session::Session& session, int dataSocket) const {
    const std::string_view wire =
        ascii_ ? std::string_view(wire_) : std::string_view(bytes_, filled_);
    return session::sendAll(session, dataSocket, wire) == wire.size();
  }

  // The bytes read from the file, which is what the totals count.
  std::uint64_t blockBytes() const { return filled_; }

 private:
  std::size_t blockSize_;
  bool ascii_;
  std::size_t filled_ = 0;
  char bytes_[kBatchBytes];
  SentTextConverter text_;
  std::string wire_;
};

struct SendOutcome {
  int result = 0;
  bool cancelled = false;
};

SendOutcome sendLoop(TransferContext& transfer, int dataSocket, const std::string& localPath) {
  session::Session& session = transfer.session;
  session::SessionState& state = session.state;
  if (dataSocket == kInvalidSocket || !state.connected) return {};
  session::BusyScope busy(state);
  state.cancelRequested = 0;
  platform::setNoDelay(dataSocket);

  struct stat status {};
  const bool sized = ::stat(localPath.c_str(), &status) == 0;
  const int format = transfer.state.serverTransferType == 'A' ? strings::kSendingAsciiFile
                                                              : strings::kSendingBinaryFile;
  std::string statusText = formatWithText(text(format), localPath);
  if (sized) statusText += " (" + std::to_string(status.st_size) + " bytes)";
  transfer.state.statusText = statusText;
  transfer.status.OpenTransferStatus(TransferMode::kSending, statusText, 0);
  transfer.status.ShowProgress(0, 0, 0);

  SendOutcome outcome;
  std::FILE* file = std::fopen(localPath.c_str(), "rb");
  if (file == nullptr) {
    char message[1024];
    std::snprintf(message, sizeof message, "! %s %s (%u)", text(strings::kFailedToOpenFile).data(),
                  localPath.c_str(), static_cast<unsigned>(errno));
    session.log.logMessage(message);
    playSound(session, session::sound_event::kTransferFailed);
    if (transfer.settings.reportOpenFailures) {
      transfer.userInterface.messageBox(message, session::kProgramTitle,
                                        session::UserInterface::Buttons::kOk,
                                        session::UserInterface::Icon::kNone);
    }
  } else {
    const std::size_t blockSize = static_cast<std::size_t>(
        std::clamp(transfer.settings.sendBlockSize, 1, TransferSettings::kMaxBlockSize));
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
      session.log.logMessagef("! %s %s (%u)", text(strings::kFailedToOpenFile).data(),
                              localPath.c_str(), static_cast<unsigned>(errno));
      state.cancelRequested = 1;
    }
    std::fclose(file);
    outcome.cancelled = state.cancelRequested != 0;
    WriteTransferSummary(session, text(strings::kTransmitted), total, startTick, endTick,
                         outcome.cancelled, transfer.status.bytesPerSecond());
    transfer.status.clearExpectedSize();
    outcome.result = outcome.cancelled ? 0 : 1;
  }
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

}  // namespace

int SendFile(TransferContext& transfer, const FileTransferContext& file,
             const std::string& localPath, unsigned index, unsigned count, bool askForName,
             bool append) {
  session::Session& session = transfer.session;
  std::string remoteName = remoteNameFor(transfer, localPath);
  std::string verb = "STOR ";
  if (askForName || append) {
    const std::string prompt = formatWithText(text(strings::kEnterRemoteFileName), localPath);
    if (!transfer.userInterface.inputBox(&remoteName, prompt, kRemoteNameHelpTopic)) {
      session.log.logMessagef("+ %s", text(strings::kCancelled).data());
      return 2;
    }
    if (append) verb = "APPE ";
  }
  session.log.logMessagef(text(strings::kSendingAs).data(), localPath.c_str(), remoteName.c_str(),
                          index, count);
  if (!append && DecideOverwrite(transfer, remoteName, file.destination) != kCopy) {
    session.log.logMessage(formatWithText(text(strings::kNewerOrSameExists), remoteName));
    return kSkippedByOverwriteRule;
  }
  const int result = SendFromFile(transfer, file.controlSocket, verb + remoteName, localPath,
                                  transfer.state.transferMode);
  // Only a stored file belongs in the log; a refusal moved nothing.
  if (result == 2) {
    const TransferLogEntry entry{TransferDirection::kSent,
                                 transfer.state.serverTransferType,
                                 localPath,
                                 session.state.sessionProfile.hostName,
                                 file.remoteFolder,
                                 remoteName};
    AppendTransferLog(file.log, entry, file.localFolder, std::time(nullptr));
  }
  return result;
}

int SendFromFile(TransferContext& transfer, int controlSocket, std::string command,
                 const std::string& localPath, char type) {
  session::Session& session = transfer.session;
  session.state.replyCode = 0;
  if (controlSocket == kInvalidSocket) {
    session.log.logMessagef("! %s", text(strings::kNotConnected).data());
    return 0;
  }
  if (session.state.busyDepth || session.state.commandInProgress) {
    session.log.logMessagef("! %s", text(strings::kCommandInProgress).data());
    return 0;
  }
  SelectTransferType(transfer, controlSocket, localPath, type);
  if (transfer.settings.storeUnique && command.size() > 3 && command[3] == 'R') command[3] = 'U';

  SendOutcome outcome;
  transfer.state.transferResult = kNothingTransferred;
  session::DataExchangeRequest request;
  request.direction = session::DataDirection::kSend;
  request.sendTransferCommand = [&](session::Session&, int control) {
    return sendStoringCommand(transfer, control, command);
  };
  request.moveData = [&](session::Session&, int dataSocket) {
    outcome = sendLoop(transfer, dataSocket, localPath);
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
  const int result = session::getReply(session, controlSocket);
  if (result == 2 && !outcome.cancelled) setRemoteTime(transfer, controlSocket, command, localPath);
  return result;
}

}  // namespace ferrix::transfer
