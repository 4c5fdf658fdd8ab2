// The help pages and the topic numbers that open them. The help is a folder
// of HTML pages ("help" beside the program); every help context number that
// a dialog, page or prompt carries maps to a page and a place on it, and
// numbers below 11 open the contents.
//
// Thread rule: constant data and pure functions.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ferrix::desktop {

inline constexpr std::string_view kHelpContentsPage = "index.html";
inline constexpr int kFirstTopicNumber = 11;

struct HelpTopic {
  int number;
  std::string_view page;
  std::string_view anchor;  // empty: the top of the page
};

// Every topic number the program uses.
std::span<const HelpTopic> helpTopics();

// The page and anchor of `number`: the contents below 11, nothing for a
// number no dialog uses.
std::optional<HelpTopic> findHelpTopic(int number);

// "page.html#anchor" (or "page.html") relative to the help folder; the
// contents for an unknown number.
std::string helpTopicLocation(int number);

// The folder of the help pages: "help" beside the program, else in the
// configuration folder, else in the installed data folder; empty when none
// holds the contents page.
std::string findHelpFolder(const std::string& programFolder, const std::string& configFolder,
                           const std::string& dataFolder);

}  // namespace ferrix::desktop
