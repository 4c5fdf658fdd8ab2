#include "platform/temp_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/paths.h"

namespace ferrix::platform {
namespace {

// The one place where errno becomes an error value for this file's callers.
std::error_code lastSystemError() { return {errno, std::generic_category()}; }

}  // namespace

std::optional<TempFile> TempFile::create(std::string_view folder, std::string_view prefix,
                                         std::error_code& error) {
  return createWithSuffix(folder, prefix, kTempSuffix, error);
}

std::optional<TempFile> TempFile::createWithSuffix(std::string_view folder,
                                                   std::string_view prefix,
                                                   std::string_view suffix,
                                                   std::error_code& error) {
  if (prefix.find('/') != std::string_view::npos || suffix.find('/') != std::string_view::npos ||
      prefix.find('\0') != std::string_view::npos || suffix.find('\0') != std::string_view::npos) {
    error = std::make_error_code(std::errc::invalid_argument);
    return std::nullopt;
  }
  std::string name(prefix);
  name += "XXXXXX";
  name += suffix;
  std::string pattern = joinPath(folder, name);
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  // mkstemps creates the file with mode 0600 whatever the umask.
  int descriptor = mkstemps(buffer.data(), static_cast<int>(suffix.size()));
  if (descriptor < 0) {
    error = lastSystemError();
    return std::nullopt;
  }
  close(descriptor);
  error.clear();
  return TempFile(std::string(buffer.data()));
}

TempFile::TempFile(TempFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::exchange(other.path_, {});
  }
  return *this;
}

TempFile::~TempFile() { remove(); }

std::string TempFile::keep() { return std::exchange(path_, {}); }

bool TempFile::remove() {
  if (path_.empty()) return true;
  bool removed = unlink(path_.c_str()) == 0 || errno == ENOENT;
  path_.clear();
  return removed;
}

}  // namespace ferrix::platform
