#include "transfer/resume_record.h"

#include <system_error>

#include "resources/strings.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "transfer/download_into_place.h"

namespace ferrix::transfer {
namespace {

namespace strings = resources::string_id;
using session::UserInterface;

constexpr std::string_view kRemoteFolderKey = "REGETRDIR";
constexpr std::string_view kRemoteNameKey = "REGETRFILE";
constexpr std::string_view kLocalFolderKey = "REGETLDIR";
constexpr std::string_view kLocalNameKey = "REGETLFILE";
constexpr std::string_view kTimeKey = "REGETTIME";
constexpr std::size_t kRecordTextLength = 255;
constexpr std::uint64_t kRestartBoundary = 1024;

std::string_view text(int id) { return resources::loadString(id); }

UserInterface::Answer tell(TransferContext& transfer, int id, UserInterface::Buttons buttons,
                           UserInterface::Icon icon) {
  return transfer.userInterface.messageBox(text(id), session::kProgramTitle, buttons, icon);
}

// "Do you want to attempt to resume the transfer of:" the remote path, then
// the local path with exactly one separator before the name.
std::string resumeQuestion(int hostType, const ResumeRecord& record) {
  std::string folder = record.localFolder;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  std::string question(text(strings::kResumeQuestion));
  question += JoinRemotePath(hostType, record.remoteFolder, record.remoteName);
  question += "\n-->\n  " + folder;
  if (folder.empty() || folder.back() != '/') question += '/';
  return question + record.localName;
}

// The record's local file cannot be opened: forget the record if the person
// deleted the file, otherwise keep it for another attempt.
void reportMissingLocalFile(TransferContext& transfer, const ResumeContext& resume,
                            std::string_view section) {
  using Buttons = UserInterface::Buttons;
  using Icon = UserInterface::Icon;
  if (tell(transfer, strings::kLocalFileMissingQuestion, Buttons::kYesNo, Icon::kQuestion) ==
      UserInterface::Answer::kYes) {
    ClearResumeRecord(resume.ini, section);
    tell(transfer, strings::kRetrieveAgain, Buttons::kOk, Icon::kInformation);
  } else {
    tell(transfer, strings::kLocalFileLocked, Buttons::kOk, Icon::kWarning);
  }
}

// Fetches the rest of the record's file into place. The record stays when
// the transfer broke off or could not start, and goes with the completed file.
void resumeInto(TransferContext& transfer, const ResumeContext& resume, std::string_view section,
                const ResumeRecord& record) {
  session::Session& session = transfer.session;
  // The person has just agreed to resume this record's file.
  const DownloadTarget target{resume.ini,
                        std::string(section),
                        record,
                        JoinRemotePath(session.state.sessionProfile.hostType, record.remoteFolder,
                                       record.remoteName),
                        'I',
                        {},
                        true};
  const TransferOutcome outcome = DownloadIntoPlace(transfer, resume.controlSocket, target);
  if (outcome == TransferOutcome::kSucceeded) {
    const TransferLogEntry entry{TransferDirection::kReceived, transfer.state.serverTransferType,
                                 record.localName, std::string(section), record.remoteFolder,
                                 record.remoteName};
    AppendTransferLog(resume.log, entry, record.localFolder, std::time(nullptr));
    return;
  }
  if (transfer.state.transferResult == kNothingTransferred) {
    session.log.logMessagef("! %s", text(strings::kRegetFailed).data());
  }
}

// A resume also needs the logon finished, not only a control connection.
bool refuseWhenNotReady(TransferContext& transfer, int controlSocket) {
  if (!transfer.session.state.connected) {
    transfer.session.log.logMessagef("! %s", text(strings::kNotConnected).data());
    return true;
  }
  return RefuseWhenNotReady(transfer, controlSocket);
}

}  // namespace

bool SaveResumeRecord(TransferContext& transfer, platform::IniFile& ini, std::string_view section,
                      const ResumeRecord& record, std::time_t now) {
  if (transfer.settings.offerResume) {
    const std::string site(section);
    transfer.session.log.logMessagef(text(strings::kSavingRestartInfo).data(), site.c_str(),
                                     record.remoteName.c_str());
  }
  const std::string time = std::to_string(static_cast<unsigned long>(now));
  return ini.writeKeys(section, {{kRemoteFolderKey, record.remoteFolder},
                                 {kRemoteNameKey, record.remoteName},
                                 {kLocalFolderKey, record.localFolder},
                                 {kLocalNameKey, record.localName},
                                 {kTimeKey, time}});
}

bool ClearResumeRecord(platform::IniFile& ini, std::string_view section) {
  if (ini.readString(section, kRemoteNameKey, "").empty()) return true;
  return ini.writeKeys(section, {{kRemoteFolderKey, {}},
                                 {kRemoteNameKey, {}},
                                 {kLocalFolderKey, {}},
                                 {kLocalNameKey, {}},
                                 {kTimeKey, {}}});
}

std::optional<ResumeRecord> ReadResumeRecord(platform::IniFile& ini, std::string_view section) {
  const auto read = [&](std::string_view key) {
    return ini.readString(section, key, "").substr(0, kRecordTextLength);
  };
  ResumeRecord record{read(kRemoteFolderKey), read(kRemoteNameKey), read(kLocalFolderKey),
                      read(kLocalNameKey)};
  if (record.remoteFolder.empty() || record.remoteName.empty() || record.localFolder.empty() ||
      record.localName.empty()) {
    return std::nullopt;
  }
  return record;
}

std::uint64_t RestartOffset(std::uint64_t size) {
  return size > kRestartBoundary ? size - size % kRestartBoundary : 0;
}

void OfferResume(TransferContext& transfer, const ResumeContext& resume, std::string_view section) {
  if (!transfer.settings.offerResume) return;
  if (refuseWhenNotReady(transfer, resume.controlSocket)) return;
  const std::optional<ResumeRecord> record = ReadResumeRecord(resume.ini, section);
  if (!record) return;
  const int hostType = transfer.session.state.sessionProfile.hostType;
  if (transfer.userInterface.messageBox(resumeQuestion(hostType, *record), session::kProgramTitle,
                                        UserInterface::Buttons::kYesNo,
                                        UserInterface::Icon::kQuestion) !=
      UserInterface::Answer::kYes) {
    ClearResumeRecord(resume.ini, section);
    return;
  }
  transfer.state.currentEntry = {};
  if (resume.enterLocalFolder) resume.enterLocalFolder(record->localFolder);
  // The partial data lies beside the file it will become.
  const std::filesystem::path partial =
      PartialPath(std::filesystem::path(record->localFolder) / record->localName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(partial, error)) {
    reportMissingLocalFile(transfer, resume, section);
    return;
  }
  resumeInto(transfer, resume, section, *record);
  if (resume.refreshLocalPane) resume.refreshLocalPane();
}

}  // namespace ferrix::transfer
