#include "shell/command_line_actions.h"

#include <optional>
#include <string>
#include <string_view>

namespace ferrix::shell {

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
          },
          [&](const std::string& name) {
            profile = config::SiteProfile{};
            profile.profileName = name;
            sites.loadProfile(profile);
          },
          [&](const std::string& user) { profile.userId = user; },
          [&](const std::string& password) { profile.password = password; },
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
