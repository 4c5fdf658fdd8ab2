// ferrix: the console program. The command line, the INI file, the
// unattended run, its messages and exit codes are those of `ferrixgui`
// without a display; it never loads a window system, so scheduled jobs pay
// for none.
#include <cstdio>
#include <string>

#include "shell/console_program.h"
#include "shell/password_arguments.h"
#include "shell/program_information.h"

int main(int argc, char** argv) {
  using namespace ferrix;
  const std::string commandLine = shell::JoinArguments(argc, argv);
  shell::HidePasswordArguments(argc, argv);
  if (auto status = shell::AnswerInformationRequest("ferrix", commandLine, stdout)) return *status;
  return shell::RunConsoleProgram(commandLine);
}
