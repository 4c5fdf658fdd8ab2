// Resume records: while a binary download runs the client notes in the
// site's INI section which file it is fetching (REGETRDIR, REGETRFILE,
// REGETLDIR, REGETLFILE, REGETTIME; see DownloadIntoPlace for when). A
// download that completes removes the note; one that breaks off leaves it
// beside its partial data, and after the next connection to that site
// OfferResume asks whether to fetch the rest, restarting (REST) at a
// 1024-byte boundary of what the partial data holds.
//
// The five keys are written and removed in one write of the INI file, so a
// record is always whole or absent. The INI file belongs to the
// configuration; these operations only read and write its keys.
//
// Thread rule: the thread that runs the transfers.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_file.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_log.h"

namespace ferrix::transfer {

struct ResumeRecord {
  std::string remoteFolder;
  std::string remoteName;
  std::string localFolder;
  std::string localName;
  bool operator==(const ResumeRecord&) const = default;
};

// Writes the record into `section` (the site's profile name), noting `now`,
// and logs "Saving restart info ..." when resumption is offered (PROREGET).
// Returns false, writing nothing, when the INI file refuses a value.
bool SaveResumeRecord(TransferContext& transfer, platform::IniFile& ini, std::string_view section,
                      const ResumeRecord& record, std::time_t now);

// Removes all five keys when the section holds a record.
bool ClearResumeRecord(platform::IniFile& ini, std::string_view section);

// The section's record; none unless all four names are present.
std::optional<ResumeRecord> ReadResumeRecord(platform::IniFile& ini, std::string_view section);

// Where the restart of a file of `size` bytes begins: the last 1024-byte
// boundary, or 0 for a file of 1024 bytes or less.
std::uint64_t RestartOffset(std::uint64_t size);

// What OfferResume needs around the transfer itself.
struct ResumeContext {
  int controlSocket = -1;
  platform::IniFile& ini;
  const TransferLogSettings& log;
  // Makes the folder the current local folder and lists it in the local pane.
  std::function<void(const std::filesystem::path& folder)> enterLocalFolder;
  // Lists the current local folder again.
  std::function<void()> refreshLocalPane;
};

// Offers to resume the download the site's record names, right after a
// connection succeeded; resumes it (DownloadIntoPlace) when the person agrees.
void OfferResume(TransferContext& transfer, const ResumeContext& resume, std::string_view section);

}  // namespace ferrix::transfer
