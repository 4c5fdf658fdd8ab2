#include "shell/program_information.h"

#include <string>

#include "config/command_line.h"
#include "shell/console_program.h"
#include "ferrix_version.h"

namespace ferrix::shell {
namespace {

constexpr char kInformationOptions[] =
    "\n"
    "        --help     print this summary and exit\n"
    "        --version  print the version and exit\n";

}  // namespace

std::optional<int> AnswerInformationRequest(std::string_view programName,
                                            std::string_view commandLine, std::FILE* output) {
  const std::string_view firstWord = commandLine.substr(0, commandLine.find(' '));
  if (firstWord == "--help") {
    std::fputs(kProgramsNote, output);
    std::fputs(config::kCommandLineSyntax, output);
    std::fputs(kInformationOptions, output);
  } else if (firstWord == "--version") {
    std::fprintf(output, "%.*s %s\n", static_cast<int>(programName.size()), programName.data(),
                 kFerrixVersion);
  } else {
    return std::nullopt;
  }
  return std::fflush(output) == 0 ? 0 : 1;
}

}  // namespace ferrix::shell
