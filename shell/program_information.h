// "--help" and "--version": answered the same way by every program that
// takes the unattended command line, first thing, before a window, a display
// or an INI file is involved. The option parser would call either an unknown
// argument, so they are recognised only as the first word.
//
// Thread rule: start-up thread.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

namespace ferrix::shell {

// When `commandLine` (the arguments joined by blanks) begins with the word
// "--help" or "--version", prints the syntax summary or "`programName`
// VERSION" on `output` and returns the exit status; otherwise nothing.
std::optional<int> AnswerInformationRequest(std::string_view programName,
                                            std::string_view commandLine, std::FILE* output);

}  // namespace ferrix::shell
