// The desktop program: the QApplication, the splash, the main window with
// the Qt user interface port and the dialogs it opens (site dialog, log
// window, options, sort dialog, About box), the start-up banner and
// AUTOSTART. ferrixgui runs it when a display is available.
//
// Thread rule: the process's main thread.
#pragma once

#include <string>

namespace ferrix::shell {

// Runs the program until its window closes; returns the exit code.
// `commandLine` is the arguments joined by blanks.
int RunDesktopProgram(int argc, char** argv, const std::string& commandLine);

}  // namespace ferrix::shell
