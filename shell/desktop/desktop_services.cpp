#include "shell/desktop/desktop_services.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "platform/process.h"

namespace ferrix::desktop {
namespace {

constexpr std::string_view kOpener = "xdg-open";
constexpr std::chrono::milliseconds kOpenerPatience{5000};
constexpr std::chrono::milliseconds kStartPatience{300};

// xdg-open's exit codes: 2 the file does not exist, 3 no tool for it, 4 the
// tool failed.
unsigned openResultOf(int exitCode) {
  if (exitCode == 0) return kOpenSucceeded;
  if (exitCode == 2) return kOpenFileNotFound;
  return kOpenNoAssociation;
}

bool onPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
  while (!folders.empty()) {
    std::size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty()) folder = ".";
    std::string candidate = folder + "/" + std::string(program);
    if (access(candidate.c_str(), X_OK) == 0) return true;
  }
  return false;
}

}  // namespace

// A program that ends at once with a failure (xdg-open with nothing to open
// text with, a viewer that cannot open the display) did not start either.
bool SystemDesktopServices::startCommand(std::string_view commandLine) {
  std::error_code error;
  std::optional<platform::ChildProcess> child =
      platform::ChildProcess::start(platform::splitCommandLine(commandLine), error);
  if (!child) return false;
  const std::optional<int> exitCode = child->waitFor(kStartPatience);
  return !exitCode || *exitCode == 0;
}

unsigned SystemDesktopServices::openDocument(const std::string& path) {
  std::error_code error;
  std::optional<platform::ChildProcess> opener =
      platform::ChildProcess::start({std::string(kOpener), path}, error);
  if (!opener) return kOpenNoAssociation;
  std::optional<int> exitCode = opener->waitFor(kOpenerPatience);
  if (!exitCode) return kOpenSucceeded;
  return openResultOf(*exitCode);
}

std::optional<std::string> SystemDesktopServices::findAssociatedProgram(const std::string&) {
  if (!onPath(kOpener)) return std::nullopt;
  return std::string(kOpener);
}

}  // namespace ferrix::desktop
