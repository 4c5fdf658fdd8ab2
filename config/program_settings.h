// ProgramSettings: the program-wide settings of the INI section "_config_",
// one member per key, named exactly as the key stands in the file and
// initialised to the key's built-in default. Also the per-site session
// options, which hold the values of the site in use (a site load fills them;
// their `_config_` copies are the defaults of every site).
//
// The record is plain data owned by the Configuration; the code that changes
// a member writes its key at the same moment, there is no save-all step.
// Thread rule: read and written on the thread that owns the Configuration.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ferrix::config {

inline constexpr std::size_t kMailAddressLength = 127;
inline constexpr std::size_t kSessionNameLength = 79;

struct ProgramSettings {
  // Start-up keys, read by LoadProgramSettings.
  std::string MAILADDR = "ferrixqx@";  // anonymous password
  std::string SESSION;                 // site profile used last
  std::int32_t balloon = 0;
  std::int32_t VERBOSE = 0;
  std::int32_t HASH = 1;
  std::int32_t tranrate = 0;
  std::int32_t DateFmt = 0;
  std::int32_t LONGDIR = 1;
  std::int32_t DBLCLK = 0;
  std::int32_t AUTOSTART = 1;
  std::int32_t LAYOUT = 0;
  std::int32_t BONTOP = 0;
  std::int32_t HIDBTN = 0;
  std::int32_t FONT = 3;
  std::int32_t SCALE = 0;
  std::int32_t LONGDATE = 1;
  std::int32_t VRFYDEL = 1;
  std::int32_t UseFindExec = 0;
  std::int32_t RBP = 65536;
  std::int32_t SBP = 65536;
  std::int32_t PROREGET = 1;
  std::int32_t PROTIMES = 1;
  std::int32_t PROOVERW = 1;
  std::int32_t PRODIROW = 1;
  std::int32_t LSORT = 1;
  std::int32_t RSORT = 1;

  // Per-site session options; a key missing from both the site and
  // `_config_` keeps the value in effect before the site was loaded.
  std::int32_t AMODE = 0;
  std::int32_t CONVEXT = 0;
  std::int32_t DOUPDATE = 1;
  std::int32_t FORCLOW = 0;
  std::int32_t PROMPT = 0;
  std::int32_t STOU = 0;
  std::int32_t RECU = 0;
  std::int32_t MODE = 'I';  // binary
  std::int32_t RETAIN = 1;
};

// One integer start-up key: its name in the file and its member. With
// `currentIsDefault` a missing key leaves the member as it is; otherwise it
// falls back to the member's built-in default.
struct StartupIntKey {
  const char* key;
  std::int32_t ProgramSettings::*member;
  bool currentIsDefault;
};

// The integer start-up keys in the order they are read.
extern const std::array<StartupIntKey, 24> kStartupIntKeys;

// "KEY=value" lines of every start-up key, in reading order.
std::string formatStartupSettings(const ProgramSettings& settings);

}  // namespace ferrix::config
