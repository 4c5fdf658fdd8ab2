#include "config/program_settings.h"

namespace ferrix::config {

using S = ProgramSettings;

const std::array<StartupIntKey, 24> kStartupIntKeys = {{
    {"balloon", &S::balloon, true},
    {"VERBOSE", &S::VERBOSE, true},
    {"HASH", &S::HASH, true},
    {"tranrate", &S::tranrate, false},
    {"DateFmt", &S::DateFmt, false},
    {"LONGDIR", &S::LONGDIR, false},
    {"DBLCLK", &S::DBLCLK, false},
    {"AUTOSTART", &S::AUTOSTART, true},
    {"LAYOUT", &S::LAYOUT, false},
    {"BONTOP", &S::BONTOP, false},
    {"HIDBTN", &S::HIDBTN, false},
    {"FONT", &S::FONT, false},
    {"SCALE", &S::SCALE, false},
    {"LONGDATE", &S::LONGDATE, false},
    {"VRFYDEL", &S::VRFYDEL, false},
    {"UseFindExec", &S::UseFindExec, false},
    {"RBP", &S::RBP, false},
    {"SBP", &S::SBP, false},
    {"PROREGET", &S::PROREGET, false},
    {"PROTIMES", &S::PROTIMES, false},
    {"PROOVERW", &S::PROOVERW, false},
    {"PRODIROW", &S::PRODIROW, false},
    {"LSORT", &S::LSORT, false},
    {"RSORT", &S::RSORT, false},
}};

std::string formatStartupSettings(const ProgramSettings& settings) {
  std::string text = "MAILADDR=" + settings.MAILADDR + "\nSESSION=" + settings.SESSION + "\n";
  for (const StartupIntKey& entry : kStartupIntKeys) {
    text += entry.key;
    text += '=';
    text += std::to_string(settings.*entry.member);
    text += '\n';
  }
  return text;
}

}  // namespace ferrix::config
