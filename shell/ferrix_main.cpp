// ferrix: the console program. The command line, the INI file, the
// unattended run, its messages and exit codes are those of `ferrixgui`
// without a display; it never loads a window system, so scheduled jobs pay
// for none.
#include <cstdio>
#include <string>

#include "config/command_line.h"
#include "shell/console_program.h"

int main(int argc, char** argv) {
  using namespace ferrix;
  const std::string commandLine = shell::JoinArguments(argc, argv);
  if (commandLine == "--help") {
    std::fputs(shell::kProgramsNote, stdout);
    std::puts(config::kCommandLineSyntax);
    return 0;
  }
  return shell::RunConsoleProgram(commandLine);
}
