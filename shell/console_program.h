// The program run on the console, shared by `ferrix` and by `ferrixgui`
// without a display: it takes the options and transfer arguments of one
// command line; with transfer arguments it runs the unattended transfer and
// returns its exit code (a remote folder as the source prints that folder's
// listing); without them it prints the INI file in use and the settings and
// session site loaded from it. Nothing here needs a window system.
#pragma once

#include <string>

namespace ferrix::shell {

// What --help says before the command-line syntax.
inline constexpr char kProgramsNote[] =
    "ferrix runs transfers on the console; ferrixgui opens the window when a display is\n"
    "available and otherwise runs exactly as ferrix does. Both take the same arguments.\n";

// The program's arguments joined by single blanks, as the command-line
// parser takes them.
std::string JoinArguments(int count, char** arguments);

// Runs `commandLine` on the console; returns the process exit code.
int RunConsoleProgram(const std::string& commandLine);

}  // namespace ferrix::shell
