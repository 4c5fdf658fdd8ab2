#include "config/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace ferrix::config {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records what the options asked for, in order.
class RecordedActions {
 public:
  CommandLineActions actions() {
    return {[this] { calls.push_back("load settings"); },
            [this](const std::string& v) {
              calls.push_back("ini " + v);
              return v == "missing.ini" ? std::string("-i missing.ini: no such file") : "";
            },
            [this](const std::string& v) {
              calls.push_back("profile " + v);
              return v == "nosuch" ? std::string("-p nosuch: no such site") : "";
            },
            [this](const std::string& v) { calls.push_back("user " + v); },
            [this](const std::string& v) { calls.push_back("password " + v); },
            [this](const std::string& v) { calls.push_back("account " + v); },
            [this](std::string_view prompt, int topic) -> std::optional<std::string> {
              calls.push_back("ask " + std::string(prompt) + " " + std::to_string(topic));
              return typed;
            },
            [this](const std::string& message) { errors.push_back(message); }};
  }
  std::vector<std::string> calls;
  std::vector<std::string> errors;
  std::optional<std::string> typed;
};

TEST(CommandLineOptions, OptionsActInOrderAndLeaveTheTransferArguments) {
  RecordedActions recorded;
  CommandLineValues values;
  const auto rest = ParseCommandLineOptions(
      "-u anne -i other.ini -pWORK work -w  secret -c acct -binary -lower -s src -d "
      "host:/in/ local:x",
      values, recorded.actions());
  ASSERT_TRUE(rest);
  EXPECT_EQ(*rest, "local:x");
  EXPECT_THAT(recorded.calls, ElementsAre("load settings", "user anne", "ini other.ini",
                                          "profile work", "password secret", "account acct"));
  EXPECT_EQ(values.transferMode, 'I');
  EXPECT_TRUE(values.lowerCase);
  EXPECT_EQ(values.source, "src");
  EXPECT_TRUE(values.sourceGiven);
  EXPECT_EQ(values.destination, "host:/in/");
}

TEST(CommandLineOptions, UnknownLetterIsReportedUnlessQuiet) {
  RecordedActions recorded;
  CommandLineValues values;
  EXPECT_FALSE(ParseCommandLineOptions("-ascii -X host:/a", values, recorded.actions()));
  EXPECT_THAT(recorded.errors, ElementsAre("Unknown arguments -X host:/a"));
  EXPECT_EQ(values.transferMode, 'A');

  RecordedActions quiet;
  CommandLineValues quietValues;
  EXPECT_FALSE(ParseCommandLineOptions("-quiet -9", quietValues, quiet.actions()));
  EXPECT_THAT(quiet.errors, IsEmpty());
  EXPECT_FALSE(ParseCommandLineOptions("-", quietValues, quiet.actions()));
}

TEST(CommandLineOptions, AnUnusableIniFileOrUnknownSiteEndsTheParse) {
  RecordedActions recorded;
  CommandLineValues values;
  EXPECT_FALSE(
      ParseCommandLineOptions("-i missing.ini -u anne host:/a", values, recorded.actions()));
  EXPECT_THAT(recorded.calls, ElementsAre("load settings", "ini missing.ini"));
  EXPECT_THAT(recorded.errors, ElementsAre("-i missing.ini: no such file"));

  RecordedActions unknownSite;
  EXPECT_FALSE(ParseCommandLineOptions("-p nosuch host:/a", values, unknownSite.actions()));
  EXPECT_THAT(unknownSite.errors, ElementsAre("-p nosuch: no such site"));
}

TEST(CommandLineOptions, JsonIsALongOptionAndALoneDashAnArgument) {
  RecordedActions recorded;
  CommandLineValues values;
  EXPECT_EQ(ParseCommandLineOptions("--json -quiet host:/pub/", values, recorded.actions()),
            "host:/pub/");
  EXPECT_TRUE(values.json);
  EXPECT_TRUE(values.quiet);

  CommandLineValues after;
  PrepareUnattendedRun("host:/pub/ --json", after);
  EXPECT_TRUE(after.json);
  EXPECT_EQ(after.source, "host:/pub/");
  EXPECT_EQ(after.destination, "");

  CommandLineValues piped;
  EXPECT_EQ(ParseCommandLineOptions("-quiet - host:/in/a", piped, recorded.actions()),
            "- host:/in/a");

  CommandLineValues wrong;
  EXPECT_FALSE(ParseCommandLineOptions("--jsonl host:/pub/", wrong, recorded.actions()));
  EXPECT_THAT(recorded.errors, ElementsAre("Unknown arguments --jsonl host:/pub/"));
}

TEST(CommandLineOptions, AskReplacesTheRestOrIsSkippedWhenCancelled) {
  RecordedActions recorded;
  recorded.typed = "-u bob host:/pub/a.txt";
  CommandLineValues values;
  auto rest = ParseCommandLineOptions("-ask -u anne ignored", values, recorded.actions());
  EXPECT_EQ(rest, "host:/pub/a.txt");
  EXPECT_THAT(recorded.calls, ElementsAre("load settings", "ask Enter command line: 145", "user bob"));

  RecordedActions cancelled;
  rest = ParseCommandLineOptions("-ask -u anne host:/a", values, cancelled.actions());
  EXPECT_EQ(rest, "host:/a");
  EXPECT_THAT(cancelled.calls, ElementsAre("load settings", "ask Enter command line: 145", "user anne"));
}

TEST(CommandLineOptions, TextWithoutOptionsIsReturnedWhole) {
  RecordedActions recorded;
  CommandLineValues values;
  EXPECT_EQ(ParseCommandLineOptions("host:/a local:b", values, recorded.actions()),
            "host:/a local:b");
  EXPECT_EQ(ParseCommandLineOptions("", values, recorded.actions()), "");
  EXPECT_FALSE(IsUnattendedRun(values, "abc"));
  EXPECT_TRUE(IsUnattendedRun(values, "h:/a"));
}

TEST(UnattendedRun, FlagsAfterTheArgumentsAreHonouredButBinaryIsAWord) {
  CommandLineValues values;
  PrepareUnattendedRun("host:/pub/a.txt -quiet -binary", values);
  EXPECT_TRUE(values.quiet);
  EXPECT_TRUE(values.sourceGiven);
  EXPECT_EQ(values.source, "host:/pub/a.txt");
  EXPECT_EQ(values.destination, "-binary");

  CommandLineValues other;
  other.source = "from -s";
  PrepareUnattendedRun("-lower \tlocal:c:\\data\\a.txt  \"host:/in/my folder/\" extra -ascii",
                       other);
  EXPECT_TRUE(other.lowerCase);
  EXPECT_EQ(other.transferMode, 'A');
  EXPECT_EQ(other.source, "local:c:/data/a.txt");
  EXPECT_EQ(other.destination, "host:/in/my folder/");
}

struct ArgumentCase {
  const char* argument;
  ArgumentKind kind;
  const char* host;
  const char* path;
  std::optional<int> port = std::nullopt;
};

TEST(TransferArguments, EachFormIsClassified) {
  const ArgumentCase cases[] = {
      {"", ArgumentKind::kNone, "", ""},
      {"local:c:/tmp/", ArgumentKind::kLocal, "", "c:/tmp/"},
      {"LOCAL:/data/a.txt", ArgumentKind::kLocal, "", "/data/a.txt"},
      {"/data/a.txt", ArgumentKind::kLocal, "", "/data/a.txt"},
      {"ftp://host/pub/file.txt", ArgumentKind::kRemote, "host", "/pub/file.txt"},
      {"//host/pub/", ArgumentKind::kRemote, "host", "/pub/"},
      {"host:/in/", ArgumentKind::kRemote, "host", "/in/"},
      {"host:::/in/", ArgumentKind::kRemote, "host", "/in/"},
      {"c:/data/a.txt", ArgumentKind::kRemote, "c", "/data/a.txt"},
      {"FILE:host:x", ArgumentKind::kRemote, "host", "x"},
      {"ftp:", ArgumentKind::kRemote, "", ""},
      {"ftp://[::1]:2121/pub/", ArgumentKind::kRemote, "::1", "/pub/", 2121},
      {"ftp://[2001:db8::7]/a.txt", ArgumentKind::kRemote, "2001:db8::7", "/a.txt"},
      {"ftp://host:21/x", ArgumentKind::kRemote, "host", "/x", 21},
      {"//host:99999/x", ArgumentKind::kRemote, "host", "/x"},
      {"//host:/x", ArgumentKind::kRemote, "host", "/x"},
      {"//[::1/x", ArgumentKind::kRemote, "[", "/x"},
      {"[::1]:/in/", ArgumentKind::kRemote, "::1", "/in/"},
      {"//host", ArgumentKind::kRemote, "host", ""},
  };
  for (const ArgumentCase& c : cases) {
    SCOPED_TRACE(c.argument);
    const TransferArgument argument = ClassifyTransferArgument(c.argument);
    EXPECT_EQ(argument.kind, c.kind);
    EXPECT_EQ(argument.host, c.host);
    EXPECT_EQ(argument.path, c.path);
    EXPECT_EQ(argument.port, c.port);
  }
}

}  // namespace
}  // namespace ferrix::config
