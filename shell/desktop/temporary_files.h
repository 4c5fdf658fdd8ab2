// The temporary files of the local file commands: "DSP" files that hold a
// fetched remote file or a folder listing while a viewer shows them, and
// "EDT" files that hold a remote file while an editor changes it. They must
// outlive the command (the viewer reads them later), so they are deleted when
// the program ends: the files made in this run, and files of the same pattern
// left in the temporary folder by earlier runs.
//
// A file whose edit could not be stored back is the only copy of the
// person's changes; it is marked kept and survives the end of this run.
//
// Ownership: the registry owns the paths it handed out until deleteAll.
// Thread rule: all members may be called from any thread.
#pragma once


#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/mutex.h"
#include "platform/temp_file.h"

namespace ferrix::desktop {

inline constexpr std::string_view kDisplayPrefix = "DSP";
inline constexpr std::string_view kEditPrefix = "EDT";

// The suffix a temporary file takes from a remote name: its last "." and at
// most three characters after it (fewer when an unsafe character comes
// first); ".TMP" when the name has no usable extension.
std::string suffixForRemoteName(std::string_view remoteName);

class TemporaryFiles {
 public:
  explicit TemporaryFiles(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }

  // Makes a new file with `prefix`, carrying the extension of `remoteName`
  // (empty: ".TMP"). The TempFile deletes it unless adopt() takes it over.
  std::optional<platform::TempFile> create(std::string_view prefix, std::string_view remoteName,
                                           std::error_code& error) const;

  // Keeps the file until the program ends.
  void adopt(platform::TempFile file);
  // Keeps the file beyond the end of the program.
  void keepForRecovery(const std::string& path);

  // At the end of the program: deletes the adopted files and every regular
  // file of ours in the folder whose name has the pattern of a "DSP" or
  // "EDT" file, except those kept for recovery. Returns how many it deleted.
  int deleteAll();

 private:
  bool isLeftover(const std::string& name) const;

  const std::string folder_;
  mutable platform::Mutex mutex_;
  std::set<std::string> adopted_ GUARDED_BY(mutex_);
  std::set<std::string> keptForRecovery_ GUARDED_BY(mutex_);
};

}  // namespace ferrix::desktop
