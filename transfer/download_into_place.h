// Downloads that never destroy the file they replace: the bytes arrive in a
// hidden sibling of the destination (".name.part" in the same folder), which
// is renamed over the destination only when the server confirmed the whole
// file. A download that fails leaves the destination as it was and the
// partial data under the hidden name, with a resume record that names the
// destination (the partial data's place follows from it). A later download
// of the same file resumes that data (REST) when its record vouches for it;
// partial data no record vouches for, or more of it than the remote file
// holds, is never appended to silently.
//
// The record is written once a binary download is underway (a mebibyte or a
// second), or when it breaks off earlier, so short files cost no INI
// writes; it is removed when the file is complete.
//
// Thread rule: the thread that runs the transfer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/ini_file.h"
#include "session/user_interface.h"
#include "transfer/resume_record.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::transfer {

// Answers what becomes of partial data of `size` bytes at `partial`:
// resumed, started over, or the file skipped. `recordMatches` when its
// resume record names this download.
using PartialDataQuestion = std::function<session::UserInterface::PartialDataAnswer(
    const std::filesystem::path& partial, std::uint64_t size, bool recordMatches)>;

struct DownloadTarget {
  platform::IniFile& ini;
  std::string section;     // the site's section, which keeps the resume record
  ResumeRecord record;     // the remote file and the local destination
  std::string remotePath;  // the name RETR is sent with
  char type = 'I';         // the type the file is fetched in
  // Asked about partial data that is not resumed silently (resumption
  // offered and the record matching); unset, the download starts over and
  // says so.
  PartialDataQuestion askAboutPartialData;
  // The person already chose to resume this record's file: no question,
  // no size check.
  bool resumeAgreed = false;
};

// The hidden sibling that receives the download of `destination`.
std::filesystem::path PartialPath(const std::filesystem::path& destination);

// Downloads the target's file into place as described above; kSkipped,
// leaving the partial data, when the person chose to skip the file.
TransferOutcome DownloadIntoPlace(TransferContext& transfer, int controlSocket,
                                  const DownloadTarget& target);

// The window's question about partial data, asked through the user interface.
PartialDataQuestion AskAboutPartialData(TransferContext& transfer);

}  // namespace ferrix::transfer
