#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace ferrix::platform {
namespace {

constexpr std::string_view kProgramFolderName = "ferrix";

std::string withoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string homeFromPasswd() {
  long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::string currentFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string() : folder.string();
}

std::string programFolder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return withoutTrailingSlash(program.parent_path().string());
}

std::string homeFolder() {
  std::string home = environmentValue("HOME");
  return home.empty() ? homeFromPasswd() : home;
}

namespace {

// The program's folder under the XDG base folder `variable` names, else
// under `homeRelative` in the home folder.
std::string xdgFolder(const char* variable, std::string_view homeRelative) {
  std::string base = environmentValue(variable);
  // Relative values are invalid by the XDG rules and would move with the
  // current folder.
  if (base.empty() || base.front() != '/') {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    base = joinPath(home, homeRelative);
  }
  return joinPath(withoutTrailingSlash(base), kProgramFolderName);
}

}  // namespace

std::string configFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string stateFolder() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

std::string dataFolder() {
  const std::string program = programFolder();
  if (program.empty()) return {};
  const std::filesystem::path prefix = std::filesystem::path(program).parent_path();
  return (prefix / "share" / kProgramFolderName).string();
}

std::string tempFolder() {
  std::string folder = environmentValue("TMPDIR");
  return folder.empty() ? std::string("/tmp") : withoutTrailingSlash(folder);
}

std::optional<std::size_t> maxNameLength(const std::string& folder) {
  long length = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (length <= 0) return std::nullopt;
  return static_cast<std::size_t>(length);
}

std::string joinPath(std::string_view folder, std::string_view name) {
  if (folder.empty() || (!name.empty() && name.front() == '/')) return std::string(name);
  std::string path(folder);
  if (path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string absolutePath(std::string_view name, std::string_view base) {
  std::filesystem::path path(name);
  if (path.is_relative()) path = std::filesystem::path(base) / path;
  return path.lexically_normal().string();
}

bool needsAbsoluteForm(std::string_view path) {
  if (path.empty() || path.front() != '/') return true;
  for (const auto& component : std::filesystem::path(path)) {
    if (component == "." || component == "..") return true;
  }
  return false;
}

bool fileExists(const std::string& path) {
  struct stat status {};
  return !path.empty() && stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

}  // namespace ferrix::platform
