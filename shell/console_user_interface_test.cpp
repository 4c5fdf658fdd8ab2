#include "shell/console_user_interface.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
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

// A run's outcome is logged and then shown as a message: on the console the
// log has printed it already, so it appears once; other messages still print.
TEST(ConsoleMessages, ALineTheLogJustPrintedIsNotRepeated) {
  std::FILE* output = std::tmpfile();
  std::FILE* errors = std::tmpfile();
  ConsoleUserInterface console(stdin, output, errors, false);
  console.lineAppended("! Transfer failed for up.bin to 127.0.0.1");
  console.messageBox("! Transfer failed for up.bin to 127.0.0.1", "Ferrix",
                     session::UserInterface::Buttons::kOk, session::UserInterface::Icon::kNone);
  console.messageBox("Local file is locked", "Ferrix", session::UserInterface::Buttons::kOk,
                     session::UserInterface::Icon::kNone);
  EXPECT_EQ(contentOf(output), "! Transfer failed for up.bin to 127.0.0.1\n");
  EXPECT_EQ(contentOf(errors), "Ferrix: Local file is locked\n");
  std::fclose(output);
  std::fclose(errors);
}

// The permission question on a terminal: three octal digits, an empty line
// keeps the preset, anything else cancels.
TEST(ConsolePermissions, OnlyThreeOctalDigitsAreTaken) {
  struct Case {
    const char* typed;
    std::optional<unsigned> digits;
  };
  const Case cases[] = {
      {"755\n", 755},
      {"\n", 644},
      {"007\n", 7},
      {"789\n", std::nullopt},
      {"7555\n", std::nullopt},
      {"rwx\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    int terminal = -1;
    int keyboard = -1;
    ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
    std::FILE* input = fdopen(terminal, "r");
    std::FILE* output = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    const std::string typed = c.typed;
    ASSERT_EQ(write(keyboard, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ConsoleUserInterface console(input, output, errors, false);
    EXPECT_EQ(console.askPermissions(644, 720), c.digits);
    EXPECT_EQ(contentOf(errors), "Remote file permissions (three octal digits) [644] ");
    std::fclose(input);
    std::fclose(output);
    std::fclose(errors);
    close(keyboard);
  }
}

// The delete question on a terminal: "all" and "cancel" exist only for a
// selection of two or more; anything unknown keeps the entry.
TEST(ConsoleDeleteQuestion, AllAndCancelOnlyForSeveralEntries) {
  using DeleteAnswer = session::UserInterface::DeleteAnswer;
  struct Case {
    const char* typed;
    int selectedCount;
    DeleteAnswer answer;
  };
  const Case cases[] = {
      {"y\n", 1, DeleteAnswer::kYes},   {"a\n", 1, DeleteAnswer::kNo},
      {"c\n", 1, DeleteAnswer::kNo},    {"a\n", 3, DeleteAnswer::kDeleteAll},
      {"c\n", 3, DeleteAnswer::kCancel}, {"x\n", 3, DeleteAnswer::kNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    int terminal = -1;
    int keyboard = -1;
    ASSERT_EQ(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr), 0);
    std::FILE* input = fdopen(terminal, "r");
    std::FILE* errors = std::tmpfile();
    const std::string typed = c.typed;
    ASSERT_EQ(write(keyboard, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ConsoleUserInterface console(input, nullptr, errors, false);
    EXPECT_EQ(console.askDelete("Are you sure you want to delete \"a\"?", c.selectedCount),
              c.answer);
    std::fclose(input);
    std::fclose(errors);
    close(keyboard);
  }
}

TEST(ConsolePermissions, WithoutATerminalNothingChanges) {
  std::FILE* input = std::tmpfile();
  std::fputs("777\n", input);
  std::rewind(input);
  ConsoleUserInterface console(input, nullptr, nullptr, false);
  EXPECT_EQ(console.askPermissions(644, 720), std::nullopt);
  std::fclose(input);
}

}  // namespace
}  // namespace ferrix::shell
