#include "shell/desktop/help_topics.h"

#include <array>

#include "platform/paths.h"

namespace ferrix::desktop {
namespace {

constexpr std::array<HelpTopic, 30> kTopics = {{
    {30, "connecting.html", "general"},
    {35, "connecting.html", "startup"},
    {40, "connecting.html", "advanced"},
    {45, "firewalls.html", ""},
    {80, "connecting.html", "passwords"},
    {82, "firewalls.html", "password"},
    {85, "connecting.html", "account"},
    {140, "main_window.html", ""},
    {145, "command_line.html", "ask"},
    {180, "main_window.html", "change-folder"},
    {185, "main_window.html", "make-folder"},
    {206, "options.html", "general"},
    {210, "options.html", "advanced"},
    {215, "options.html", "display"},
    {220, "options.html", "sounds"},
    {226, "options.html", "session"},
    {230, "options.html", "session-continued"},
    {236, "transfers.html", "behaviour"},
    {246, "transfers.html", "convert"},
    {251, "transfers.html", "ascii-names"},
    {256, "local_files.html", "associations"},
    {270, "connecting.html", "email"},
    {520, "main_window.html", "rename"},
    {630, "transfers.html", "local-name"},
    {640, "transfers.html", "remote-name"},
    {650, "main_window.html", "remove-folder"},
    {680, "main_window.html", "move"},
    {700, "main_window.html", "ftp-commands"},
    {710, "main_window.html", "ftp-commands"},
    {720, "main_window.html", "chmod"},
}};

}  // namespace

std::span<const HelpTopic> helpTopics() { return kTopics; }

std::optional<HelpTopic> findHelpTopic(int number) {
  if (number < kFirstTopicNumber) return HelpTopic{number, kHelpContentsPage, ""};
  for (const HelpTopic& topic : kTopics) {
    if (topic.number == number) return topic;
  }
  return std::nullopt;
}

std::string helpTopicLocation(int number) {
  std::optional<HelpTopic> topic = findHelpTopic(number);
  if (!topic) return std::string(kHelpContentsPage);
  std::string location(topic->page);
  if (!topic->anchor.empty()) location += "#" + std::string(topic->anchor);
  return location;
}

std::string findHelpFolder(const std::string& programFolder, const std::string& configFolder,
                           const std::string& dataFolder) {
  for (const std::string& base : {programFolder, configFolder, dataFolder}) {
    if (base.empty()) continue;
    std::string folder = platform::joinPath(base, "help");
    if (platform::fileExists(platform::joinPath(folder, kHelpContentsPage))) return folder;
  }
  return {};
}

}  // namespace ferrix::desktop
