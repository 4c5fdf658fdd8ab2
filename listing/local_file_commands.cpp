#include "listing/local_file_commands.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ferrix::listing {
namespace fs = std::filesystem;

namespace {

fs::path withoutTrailingSeparator(fs::path path) {
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

std::error_code lastError() { return {errno, std::generic_category()}; }

// Renames unless `to` exists. Where the file system cannot refuse atomically
// the existence check comes first; the window between check and rename is
// the person's own.
bool renameWithoutReplacing(const fs::path& from, const fs::path& to, std::error_code& error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    error = lastError();
    return false;
  }
  struct stat existing;
  if (lstat(to.c_str(), &existing) == 0) {
    error = std::make_error_code(std::errc::file_exists);
    return false;
  }
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = lastError();
  return false;
}

}  // namespace

fs::path ResolveTypedPath(const fs::path& folder, std::string_view typed) {
  return withoutTrailingSeparator((folder / fs::path(typed)).lexically_normal());
}

std::optional<fs::path> EntryInFolder(const fs::path& folder, std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
    return std::nullopt;
  }
  return folder / fs::path(name);
}

std::optional<fs::path> EnterLocalFolder(const fs::path& folder, std::string_view typed,
                                         std::error_code& error) {
  if (typed.empty()) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return std::nullopt;
  }
  fs::path target = ResolveTypedPath(folder, typed);
  if (!fs::is_directory(target, error)) {
    if (!error) error = std::make_error_code(std::errc::not_a_directory);
    return std::nullopt;
  }
  return target;
}

bool RemoveLocalEntry(const fs::path& folder, std::string_view name, std::error_code& error) {
  const std::optional<fs::path> entry = EntryInFolder(folder, name);
  if (!entry) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  // remove(3) takes a file or link, or rmdir's an empty folder; it never
  // descends into one.
  if (std::remove(entry->c_str()) == 0) return true;
  error = lastError();
  return false;
}

bool RenameLocalEntry(const fs::path& folder, std::string_view name, const fs::path& target,
                      std::error_code& error) {
  const std::optional<fs::path> entry = EntryInFolder(folder, name);
  if (!entry) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  return renameWithoutReplacing(*entry, target, error);
}

}  // namespace ferrix::listing
