// Feeds arbitrary INI files (anyone may have edited them) to the INI reader:
// every key it lists for a section must be found there again. (Writes are
// left out: each one reaches the disk with fsync.)
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace {

std::string scratchPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz-ini-" + std::to_string(getpid()) + ".ini"))
          .string();
  return path;
}

// The first line of the input names the section to read.
std::string sectionOf(std::string_view text) {
  const std::size_t end = text.find('\n');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = scratchPath();
  std::filesystem::remove(path);
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  ferrix::platform::IniFile ini(path);
  const std::string section = sectionOf(text);
  for (const std::string& key : ini.keysOf(section)) {
    if (!ini.find(section, key)) __builtin_trap();
    ini.readInt(section, key, 0);
  }
  std::filesystem::remove(path);
  return 0;
}
