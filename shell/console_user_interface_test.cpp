#include "shell/console_user_interface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace ferrix::shell {
namespace {

using OverwriteAnswer = session::UserInterface::OverwriteAnswer;

std::string contentOf(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

// Without a terminal nobody can answer, whatever the input holds: the
// existing file is kept.
TEST(ConsoleOverwriteQuestion, WithoutATerminalTheFileIsKept) {
  std::FILE* input = std::tmpfile();
  std::FILE* output = std::tmpfile();
  std::FILE* errors = std::tmpfile();
  std::fputs("y\n", input);
  std::rewind(input);
  ConsoleUserInterface console(input, output, errors, false);
  EXPECT_EQ(console.AskOverwrite("Newer version of a exists.", "a", 3), OverwriteAnswer::kNo);
  EXPECT_EQ(contentOf(errors), "a: Newer version of a exists.\n");
  std::fclose(input);
  std::fclose(output);
  std::fclose(errors);
}

}  // namespace
}  // namespace ferrix::shell
