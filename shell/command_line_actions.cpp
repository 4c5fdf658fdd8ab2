#include "shell/command_line_actions.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace ferrix::shell {
namespace {

// Why the INI file in use cannot be read, or "" when it can: a run on an
// empty INI file would look up an empty host name.
std::string iniFileProblem(const std::string& typed, const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  std::string why;
  if (!std::filesystem::exists(status)) {
    why = "no such file";
  } else if (std::filesystem::is_directory(status)) {
    why = "is a folder, not a file";
  } else if (!std::ifstream(path)) {
    why = "cannot be read";
  }
  return why.empty() ? why : "-i " + typed + ": " + why + " (" + path + ")";
}

// "-w -": the first line of standard input, without its line end.
std::string passwordFromStandardInput() {
  std::string line;
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

config::CommandLineActions StandardCommandLineActions(config::Configuration& configuration,
                                                      config::SiteProfileStore& sites,
                                                      config::SiteProfile& profile,
                                                      session::UserInterface& userInterface) {
  return {[&] {
            configuration.LoadProgramSettings();
            sites.loadSessionProfile(profile);
          },
          [&](const std::string& iniFile) {
            configuration.useIniFile(iniFile);
            sites.loadSessionProfile(profile);
            return iniFileProblem(iniFile, configuration.IniPath());
          },
          [&](const std::string& name) {
            profile = config::SiteProfile{};
            profile.profileName = name;
            if (sites.loadProfile(profile) != 0) return std::string();
            return "-p " + name + ": no such site in " + configuration.IniPath();
          },
          [&](const std::string& user) { profile.userId = user; },
          [&](const std::string& password) {
            profile.password = password == "-" ? passwordFromStandardInput() : password;
          },
          [&](const std::string& account) { profile.account = account; },
          [&](std::string_view prompt, int topic) -> std::optional<std::string> {
            std::string text;
            if (!userInterface.inputBox(&text, prompt, topic)) return std::nullopt;
            return text;
          },
          [&](const std::string& message) {
            userInterface.messageBox(message, session::kProgramTitle,
                                     session::UserInterface::Buttons::kOk,
                                     session::UserInterface::Icon::kError);
          }};
}

}  // namespace ferrix::shell
