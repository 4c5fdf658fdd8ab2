#include "transfer/download_into_place.h"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <system_error>

#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "transfer/receive_file.h"

namespace ferrix::transfer {
namespace {

namespace fs = std::filesystem;
using session::UserInterface;

constexpr const char* kUnconfirmedFile = "! The server did not confirm %s: it may be incomplete";

std::uint64_t sizeOf(const fs::path& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

bool recordIsOurs(platform::IniFile& ini, const DownloadTarget& target) {
  const std::optional<ResumeRecord> stored = ReadResumeRecord(ini, target.section);
  return stored && *stored == target.record;
}

// The remote file's size by SIZE, when the server tells it.
std::optional<std::uint64_t> remoteSize(TransferContext& transfer, int controlSocket,
                                        const std::string& remotePath) {
  session::Session& session = transfer.session;
  if (session::sendCommand(session, controlSocket, "SIZE %s", remotePath.c_str()) != 2 ||
      session.state.replyCode != 213) {
    return std::nullopt;
  }
  const std::string& line = session.state.replyLine;
  const std::size_t digits = line.find_first_of("0123456789", 3);
  if (digits == std::string::npos) return std::nullopt;
  return std::strtoull(line.c_str() + digits, nullptr, 10);
}

enum class PartialData { kResumable, kAsk, kTooLarge, kNotBinary };

PartialData judgePartialData(TransferContext& transfer, int controlSocket,
                             const DownloadTarget& target, std::uint64_t size) {
  if (target.resumeAgreed) return PartialData::kResumable;
  // Only a binary download is sure to have as many bytes on disk as it had
  // on the wire, where the restart point is counted.
  if (target.type != 'I') return PartialData::kNotBinary;
  // Only its record says which download the bytes came from; without
  // "Resume failed downloads automatically" the person decides.
  if (!transfer.settings.offerResume || !recordIsOurs(target.ini, target)) {
    return PartialData::kAsk;
  }
  SelectTransferType(transfer, controlSocket, target.remotePath, 'I');
  const std::optional<std::uint64_t> remote =
      remoteSize(transfer, controlSocket, target.remotePath);
  return remote && *remote < size ? PartialData::kTooLarge : PartialData::kResumable;
}

// What the person chose for partial data no automatic resume covers.
UserInterface::PartialDataAnswer askAboutPartialData(const DownloadTarget& target,
                                                     const fs::path& partial, std::uint64_t size) {
  if (!target.askAboutPartialData) return UserInterface::PartialDataAnswer::kOverwrite;
  return target.askAboutPartialData(partial, size, recordIsOurs(target.ini, target));
}

// Where the download begins: the restart point of the partial data, or 0;
// nothing when the person skips the file. Data larger than the remote file
// is not this file's beginning, and the restart point of an ASCII download
// is not known: both start over.
std::optional<std::uint64_t> startingPoint(TransferContext& transfer, int controlSocket,
                                           const DownloadTarget& target, const fs::path& partial) {
  const std::uint64_t size = sizeOf(partial);
  if (size == 0) return 0;
  const char* name = target.record.localName.c_str();
  session::MessageLog& log = transfer.session.log;
  switch (judgePartialData(transfer, controlSocket, target, size)) {
    case PartialData::kTooLarge:
      log.logMessagef("+ %s: partial data larger than the remote file; starting over", name);
      return 0;
    case PartialData::kNotBinary:
      log.logMessagef("+ %s: partial data of a download in ASCII type; starting over", name);
      return 0;
    case PartialData::kAsk:
      switch (askAboutPartialData(target, partial, size)) {
        case UserInterface::PartialDataAnswer::kSkip:
          log.logMessagef("+ %s: skipped; its partial data is kept", name);
          return std::nullopt;
        case UserInterface::PartialDataAnswer::kOverwrite:
          log.logMessagef("+ %s: partial data without a resume record; starting over", name);
          return 0;
        case UserInterface::PartialDataAnswer::kResume:
          break;
      }
      break;
    case PartialData::kResumable:
      break;
  }
  const std::uint64_t offset = RestartOffset(size);
  std::error_code error;
  fs::resize_file(partial, offset, error);
  if (error) return 0;
  if (offset > 0) log.logMessagef("+ %s: resuming at byte %" PRIu64, name, offset);
  return offset;
}

// Makes a rename in `folder` survive a crash.
void syncFolder(const fs::path& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

void saveRecord(TransferContext& transfer, const DownloadTarget& target) {
  SaveResumeRecord(transfer, target.ini, target.section, target.record, std::time(nullptr));
}

// After a failure: partial data keeps (or gets) its record; an empty partial
// file is of no use.
void keepPartialData(TransferContext& transfer, const DownloadTarget& target,
                     const fs::path& partial, bool recordWritten) {
  if (sizeOf(partial) == 0) {
    std::error_code error;
    fs::remove(partial, error);
    return;
  }
  if (target.type == 'I' && !recordWritten && !recordIsOurs(target.ini, target)) {
    saveRecord(transfer, target);
  }
}

}  // namespace

fs::path PartialPath(const fs::path& destination) {
  return destination.parent_path() / ("." + destination.filename().string() + ".part");
}

TransferOutcome DownloadIntoPlace(TransferContext& transfer, int controlSocket,
                                  const DownloadTarget& target) {
  const fs::path destination = fs::path(target.record.localFolder) / target.record.localName;
  const fs::path partial = PartialPath(destination);
  const std::optional<std::uint64_t> start =
      startingPoint(transfer, controlSocket, target, partial);
  if (!start) return TransferOutcome::kSkipped;
  const std::uint64_t offset = *start;
  bool recordWritten = false;
  const auto underway = [&] {
    if (target.type != 'I' || recordIsOurs(target.ini, target)) return;
    saveRecord(transfer, target);
    recordWritten = true;
  };
  const ReceiveResult received =
      ReceiveFromOffset(transfer, controlSocket, "RETR " + target.remotePath, partial.string(),
                        target.type, offset, false, underway);
  const TransferOutcome outcome = OutcomeOf(received);
  if (outcome != TransferOutcome::kSucceeded) {
    if (transfer.state.transferResult == kTransferred) {
      transfer.session.log.logMessagef(kUnconfirmedFile, target.record.localName.c_str());
    }
    keepPartialData(transfer, target, partial, recordWritten);
    return outcome;
  }
  std::error_code error;
  fs::rename(partial, destination, error);
  if (error) {
    transfer.session.log.logMessagef("! %s: %s", destination.c_str(), error.message().c_str());
    keepPartialData(transfer, target, partial, recordWritten);
    return TransferOutcome::kFailed;
  }
  syncFolder(destination.parent_path());
  if (recordIsOurs(target.ini, target)) ClearResumeRecord(target.ini, target.section);
  return outcome;
}

PartialDataQuestion AskAboutPartialData(TransferContext& transfer) {
  return [&transfer](const fs::path& partial, std::uint64_t size, bool recordMatches) {
    const std::string question =
        "Partial data of an earlier download (" + std::to_string(size) + " bytes) is kept in\n  " +
        partial.string() +
        (recordMatches ? "\nand its resume record shows it belongs to this file."
                       : "\nbut no resume record shows it belongs to this file.") +
        "\nResume from it, overwrite it with a new download, or skip the file?";
    return transfer.userInterface.askAboutPartialData(question, recordMatches);
  };
}

}  // namespace ferrix::transfer
