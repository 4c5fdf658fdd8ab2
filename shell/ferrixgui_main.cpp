// ferrixgui: for now it takes "-i inifile" and "--help", locates its INI
// file, loads the program settings and the last session's site profile and
// prints them, so the configuration can be checked without a window.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "config/configuration.h"
#include "config/site_profile.h"
#include "config/site_profile_store.h"
#include "platform/paths.h"

namespace {

constexpr int kExitBadArguments = 2;

constexpr const char* kUsage =
    "Usage: ferrixgui [-i inifile]\n"
    "  -i inifile  use this INI file instead of FERRIX.INI\n"
    "  --help      show this text\n"
    "Prints the INI file in use and the settings and session site loaded from it.\n";

std::string joinArguments(int count, char** arguments) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += arguments[i];
  }
  return text;
}

void printConfiguration(ferrix::config::Configuration& configuration,
                        const ferrix::config::SiteProfile& session) {
  std::printf("INI file: %s\n", configuration.IniPath().c_str());
  std::printf("Help file: %s\n", configuration.helpFilePath().c_str());
  std::printf("ASCII name list: %s\n", configuration.extensionListPath().c_str());
  std::printf("Extension conversion list: %s\n", configuration.conversionListPath().c_str());
  std::fputs(ferrix::config::formatStartupSettings(configuration.settings()).c_str(), stdout);
  std::printf("Session site: %s (host %s, user %s, port %d)\n", session.profileName.c_str(),
              session.hostName.c_str(), session.userId.c_str(), session.port);
}

}  // namespace

int main(int argc, char** argv) {
  ferrix::config::Configuration configuration(std::make_unique<ferrix::platform::SystemPaths>());
  // Nothing is asked here: an anonymous site without MAILADDR keeps an empty password.
  ferrix::config::SiteProfileStore sites(configuration, nullptr);
  ferrix::config::SiteProfile session;
  configuration.LoadProgramSettings();
  sites.loadSessionProfile(session);
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i];
    if (word == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    // Only the letter after '-' counts, as in "-ini".
    if (word.size() >= 2 && word[0] == '-' && word[1] == 'i') {
      configuration.useIniFile(i + 1 < argc ? argv[++i] : "");
      sites.loadSessionProfile(session);
      continue;
    }
    std::fprintf(stderr, "Unknown arguments %s\n%s", joinArguments(argc - i, argv + i).c_str(),
                 kUsage);
    return kExitBadArguments;
  }
  printConfiguration(configuration, session);
  return 0;
}
