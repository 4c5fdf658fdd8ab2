#include "shell/desktop/temporary_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/paths.h"

namespace ferrix::desktop {
namespace {

constexpr std::size_t kMaxExtensionCharacters = 3;
constexpr std::size_t kUniqueCharacters = 6;  // what mkstemps fills in

// Also ends the extension at a VMS version (";3").
bool safeInFileName(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte > ' ' && byte != 0x7F && c != '/' && c != '\\' && c != '.' && c != ';';
}

bool isAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool hasOurPrefix(std::string_view name) {
  return name.starts_with(kDisplayPrefix) || name.starts_with(kEditPrefix);
}

}  // namespace

std::string suffixForRemoteName(std::string_view remoteName) {
  std::string_view name = remoteName.substr(remoteName.find_last_of('/') + 1);
  std::size_t dot = name.rfind('.');
  std::string suffix = ".";
  if (dot != std::string_view::npos) {
    for (std::size_t i = dot + 1; i < name.size() && suffix.size() <= kMaxExtensionCharacters;
         ++i) {
      if (!safeInFileName(name[i])) break;
      suffix += name[i];
    }
  }
  return suffix.size() > 1 ? suffix : std::string(platform::kTempSuffix);
}

std::optional<platform::TempFile> TemporaryFiles::create(std::string_view prefix,
                                                         std::string_view remoteName,
                                                         std::error_code& error) const {
  return platform::TempFile::createWithSuffix(folder_, prefix, suffixForRemoteName(remoteName),
                                              error);
}

void TemporaryFiles::adopt(platform::TempFile file) {
  const platform::MutexLock lock(mutex_);
  adopted_.insert(file.keep());
}

void TemporaryFiles::keepForRecovery(const std::string& path) {
  const platform::MutexLock lock(mutex_);
  keptForRecovery_.insert(path);
  adopted_.erase(path);
}

bool TemporaryFiles::isLeftover(const std::string& name) const {
  // <prefix><six unique characters>.<one to three characters>, or .TMP
  const std::size_t stem = kDisplayPrefix.size() + kUniqueCharacters;
  if (!hasOurPrefix(name) || name.size() < stem + 2 || name[stem] != '.') return false;
  for (std::size_t i = kDisplayPrefix.size(); i < stem; ++i) {
    if (!isAlphanumeric(name[i])) return false;
  }
  const std::string_view extension = std::string_view(name).substr(stem + 1);
  return extension.size() <= kMaxExtensionCharacters;
}

int TemporaryFiles::deleteAll() {
  const platform::MutexLock lock(mutex_);
  std::set<std::string> doomed = adopted_;
  adopted_.clear();
  std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(folder_.c_str()), closedir);
  if (folder) {
    while (dirent* entry = readdir(folder.get())) {
      const std::string name = entry->d_name;
      if (!isLeftover(name)) continue;
      const std::string path = platform::joinPath(folder_, name);
      struct stat status {};
      // Only plain files of ours: never follow a link planted in a shared
      // folder, never touch another user's file.
      if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
          status.st_uid != geteuid()) {
        continue;
      }
      doomed.insert(path);
    }
  }
  int deleted = 0;
  for (const std::string& path : doomed) {
    if (keptForRecovery_.count(path) == 0 && unlink(path.c_str()) == 0) ++deleted;
  }
  return deleted;
}

}  // namespace ferrix::desktop
