// Test support: DesktopServices that record every command line and open
// request instead of starting anything, and answer "open" and the associated
// program with what the test set. Thread rule: one test thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/desktop/desktop_services.h"

namespace ferrix::desktop {

class FakeDesktopServices final : public DesktopServices {
 public:
  bool startCommand(std::string_view commandLine) override {
    started.emplace_back(commandLine);
    return startResult;
  }
  unsigned openDocument(const std::string& path) override {
    opened.push_back(path);
    return openResult;
  }
  std::optional<std::string> findAssociatedProgram(const std::string&) override {
    return associatedProgram;
  }

  bool startResult = true;
  unsigned openResult = kOpenSucceeded;
  std::optional<std::string> associatedProgram;
  std::vector<std::string> started;
  std::vector<std::string> opened;
};

}  // namespace ferrix::desktop
