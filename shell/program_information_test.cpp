#include "shell/program_information.h"

#include "shell/console_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "config/command_line.h"
#include "shell/console_program.h"
#include "ferrix_version.h"

namespace ferrix::shell {
namespace {

struct Answer {
  std::optional<int> status;
  std::string printed;
};

Answer answer(std::string_view commandLine) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  Answer result{AnswerInformationRequest("ferrix", commandLine, file.get()), {}};
  std::rewind(file.get());
  for (int c; (c = std::fgetc(file.get())) != EOF;) result.printed += static_cast<char>(c);
  return result;
}

TEST(ProgramInformation, VersionAndHelpAnswerOnlyAsTheFirstWord) {
  struct Case {
    const char* commandLine;
    bool answered;
  };
  const Case cases[] = {
      {"--version", true},
      {"--help", true},
      {"--version ignored", true},
      {"", false},
      {"-i my.ini --version", false},
      {"--versions", false},
      {"host:/pub/ --help", false},
      {"-help", false},
  };
  for (const Case& c : cases) {
    const Answer result = answer(c.commandLine);
    EXPECT_EQ(result.status.has_value(), c.answered) << c.commandLine;
    EXPECT_EQ(result.printed.empty(), !c.answered) << c.commandLine;
  }
}

TEST(ProgramInformation, VersionNamesTheProgram) {
  const Answer result = answer("--version");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.printed, std::string("ferrix ") + kFerrixVersion + "\n");
}

TEST(ProgramInformation, HelpShowsTheSyntaxAndBothInformationOptions) {
  const Answer result = answer("--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.printed.rfind(kProgramsNote, 0), 0u);
  EXPECT_EQ(result.printed.find(config::kCommandLineSyntax), std::string(kProgramsNote).size());
  EXPECT_NE(result.printed.find("\n        --help "), std::string::npos);
  EXPECT_NE(result.printed.find("\n        --version "), std::string::npos);
}

}  // namespace
}  // namespace ferrix::shell
