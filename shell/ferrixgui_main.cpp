// ferrixgui: for now it takes "-i inifile" and "--help", locates its INI
// file, loads the program settings and prints them, so the configuration can
// be checked without a window.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "config/configuration.h"
#include "platform/paths.h"

namespace {

constexpr int kExitBadArguments = 2;

constexpr const char* kUsage =
    "Usage: ferrixgui [-i inifile]\n"
    "  -i inifile  use this INI file instead of FERRIX.INI\n"
    "  --help      show this text\n"
    "Prints the INI file in use and the settings loaded from it.\n";

std::string joinArguments(int count, char** arguments) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += arguments[i];
  }
  return text;
}

void printConfiguration(ferrix::config::Configuration& configuration) {
  std::printf("INI file: %s\n", configuration.IniPath().c_str());
  std::printf("Help file: %s\n", configuration.helpFilePath().c_str());
  std::printf("ASCII name list: %s\n", configuration.extensionListPath().c_str());
  std::printf("Extension conversion list: %s\n", configuration.conversionListPath().c_str());
  std::fputs(ferrix::config::formatStartupSettings(configuration.settings()).c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  ferrix::config::Configuration configuration(std::make_unique<ferrix::platform::SystemPaths>());
  configuration.LoadProgramSettings();
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i];
    if (word == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    // Only the letter after '-' counts, as in "-ini".
    if (word.size() >= 2 && word[0] == '-' && word[1] == 'i') {
      configuration.useIniFile(i + 1 < argc ? argv[++i] : "");
      continue;
    }
    std::fprintf(stderr, "Unknown arguments %s\n%s", joinArguments(argc - i, argv + i).c_str(),
                 kUsage);
    return kExitBadArguments;
  }
  printConfiguration(configuration);
  return 0;
}
