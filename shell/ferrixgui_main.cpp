// ferrixgui: with a display (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
// set) it opens the main window, where command-line transfers run minimized.
// Without one it runs on the console exactly as `ferrix` does.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/console_program.h"
#include "shell/password_arguments.h"
#include "shell/program_information.h"
#include "shell/window/desktop_program.h"

namespace {

bool displayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ferrix;
  const std::string commandLine = shell::JoinArguments(argc, argv);
  shell::HidePasswordArguments(argc, argv);
  if (auto status = shell::AnswerInformationRequest("ferrixgui", commandLine, stdout)) return *status;
  if (displayAvailable()) return shell::RunDesktopProgram(argc, argv, commandLine);
  return shell::RunConsoleProgram(commandLine);
}
