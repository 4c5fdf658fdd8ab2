#include "decoder/tools/decode_tool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ferrix_version.h"

namespace ferrix::tools {
namespace {

struct ToolRun {
  int status;
  std::string output;
  std::string errors;
};

ToolRun RunTool(const std::vector<std::string>& arguments, const std::string& input = "") {
  std::istringstream standardInput(input);
  std::ostringstream output;
  std::ostringstream errors;
  int status = RunDecodeTool(arguments, standardInput, output, errors);
  return ToolRun{status, output.str(), errors.str()};
}

TEST(DecodeToolOptions, HostTypeByNumberOrNameInAnyCase) {
  struct Case {
    const char* text;
    int hostType;  // 0 = refused
  };
  const Case cases[] = {
      {"6016", 6016},         {"microsoft nt", 6016}, {"MLSD", 6059}, {"UNIX (standard)", 6010},
      {"automatic detect", 6000}, {"6060", 0},        {"5999", 0},    {"16", 0},
      {"6016x", 0},           {"Microsoft", 0},       {"", 0},
  };
  for (const Case& c : cases) {
    std::optional<int> hostType = HostTypeFromText(c.text);
    EXPECT_EQ(hostType.value_or(0), c.hostType) << c.text;
  }
}

TEST(DecodeToolOptions, ValuesInlineOrSeparateAndFilesAfterDoubleDash) {
  ParsedOptions parsed =
      ParseOptions({"--host-type=6059", "--json", "a.txt", "--", "--unparsed", "-"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->hostType, 6059);
  EXPECT_TRUE(parsed.options->json);
  EXPECT_FALSE(parsed.options->unparsed);
  EXPECT_EQ(parsed.options->files, (std::vector<std::string>{"a.txt", "--unparsed", "-"}));

  parsed = ParseOptions({"--host-type", "IBM PC TCP/IP", "--detect", "215 UNIX"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->hostType, 6003);
  EXPECT_EQ(parsed.options->detectText.value_or(""), "215 UNIX");
}

TEST(DecodeToolOptions, BadOptionsExitWithTwoAndSayWhy) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--host-type"}, "option '--host-type' needs a value"},
      {{"--host-type", "Nowhere"}, "unknown host type 'Nowhere'"},
      {{"--json=yes"}, "option '--json' takes no value"},
      {{"--detect", "215 UNIX", "listing.txt"}, "--detect reads no listing"},
  };
  for (const Case& c : cases) {
    ToolRun run = RunTool(c.arguments);
    EXPECT_EQ(run.status, kExitBadOptions) << c.message;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("--help"), std::string::npos) << run.errors;
    EXPECT_EQ(run.output, "");
  }
}

TEST(DecodeToolJson, EscapesQuotesBackslashesControlAndHighBytes) {
  EXPECT_EQ(JsonEscape("plain name.txt"), "plain name.txt");
  EXPECT_EQ(JsonEscape("say \"hi\"\\now"), "say \\\"hi\\\"\\\\now");
  EXPECT_EQ(JsonEscape(std::string("a\tb\x01\x1f\x7f", 6)), "a\\u0009b\\u0001\\u001f\\u007f");
  EXPECT_EQ(JsonEscape("caf\xc3\xa9 \xe6\x97\xa5"), "caf\xc3\xa9 \xe6\x97\xa5");
  EXPECT_EQ(JsonEscape("\xff"), "\\u00ff");
  // Bytes of other charsets, cut or overlong sequences, surrogates.
  EXPECT_EQ(JsonEscape("caf\xe9"), "caf\\u00e9");
  EXPECT_EQ(JsonEscape("\xc3"), "\\u00c3");
  EXPECT_EQ(JsonEscape("\xc0\xaf"), "\\u00c0\\u00af");
  EXPECT_EQ(JsonEscape("\xed\xa0\x80"), "\\u00ed\\u00a0\\u0080");
}

TEST(DecodeToolOutput, ColumnsAndJsonCarryEveryField) {
  const std::string listing = "-rw-r--r-- 1 owner group 5368709120 Mar  1  2020 big \"one\".iso\n";
  ToolRun columns = RunTool({"--host-type", "6010"}, listing);
  EXPECT_EQ(columns.status, kExitSuccess);
  EXPECT_EQ(columns.output, "big \"one\".iso\tfile\t5368709120\t2020-03-01 00:00:00\t0644\n");

  ToolRun json =
      RunTool({"--json", "--host-type", "MLSD"}, "type=cdir;modify=20030512103001; /pub\n");
  EXPECT_EQ(json.output,
            "{\"name\":\".\",\"kind\":\"folder\",\"size\":0,\"date\":\"2003-05-12\","
            "\"time\":\"10:30:01\",\"mode\":null}\n");
}

TEST(DecodeToolOutput, UnparsedListsOnlyTheLinesWithoutEntry) {
  const std::string listing =
      "total 24\r\n"
      "drwxr-xr-x   2 owner group 512 Mar 12 2001 Old Stuff\r\n"
      "\r\n";
  ToolRun run = RunTool({"--unparsed"}, listing);
  EXPECT_EQ(run.output, "1\ttotal 24\n3\t\n");
  run = RunTool({"--unparsed", "--json"}, "total \x01\n");
  EXPECT_EQ(run.output, "{\"line\":1,\"text\":\"total \\u0001\"}\n");
}

TEST(DecodeToolOutput, LinesOfAnyLengthAreRead) {
  std::string longLine = "type=file;size=7; " + std::string(5000, 'x') + "\n";
  ToolRun run = RunTool({"--host-type", "6059"}, longLine + "type=dir; after\n");
  std::istringstream lines(run.output);
  std::string first;
  std::string second;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(first.substr(0, first.find('\t')).size(), 255u);
  EXPECT_EQ(second, "after\tfolder\t0\t0000-00-00 00:00:00\t-");
}

TEST(DecodeToolDetect, ShowsBothDetectionsAndKeepsAChosenType) {
  ToolRun run = RunTool({"--detect", "215 Windows_NT version 4.0"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(run.output, "syst\t6016\tMicrosoft NT\ngreeting\t6000\tAutomatic detect\n");
  run = RunTool({"--host-type", "6010", "--json", "--detect", "220 Serv-U FTP Server"});
  EXPECT_EQ(run.output,
            "{\"syst\":6010,\"systName\":\"UNIX (standard)\",\"greeting\":6010,"
            "\"greetingName\":\"UNIX (standard)\"}\n");
}

TEST(DecodeToolFiles, UnreadableFileExitsWithOneAfterTheOthers) {
  const std::string path = ::testing::TempDir() + "ferrix_decode_listing.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << "lrwxrwxrwx 1 owner group 11 Jan  5  2003 current -> release-2.1\n";
  }
  ToolRun run = RunTool({"/no/such/listing.txt", path, "-"}, "plain\n");
  std::remove(path.c_str());
  EXPECT_EQ(run.status, kExitUnreadableFile);
  EXPECT_NE(run.errors.find("cannot read /no/such/listing.txt: "), std::string::npos)
      << run.errors;
  EXPECT_EQ(run.output,
            "current\tlink\t11\t2003-01-05 00:00:00\t0777\n"
            "plain\tfile\t0\t0000-00-00 00:00:00\t-\n");
}

TEST(DecodeToolHelp, NamesEveryOptionAndHostType) {
  ToolRun run = RunTool({"--help"});
  EXPECT_EQ(run.status, kExitSuccess);
  for (const char* text : {"--host-type", "--json", "--unparsed", "--detect", "--version",
                           "Exit status",
                           "6000  Automatic detect", "6059  MLSD"}) {
    EXPECT_NE(run.output.find(text), std::string::npos) << text;
  }
}

TEST(DecodeToolHelp, VersionComesFromTheProjectAndWinsOverDecoding) {
  ToolRun run = RunTool({"--version", "/no/such/listing.txt"});
  EXPECT_EQ(run.status, kExitSuccess);
  EXPECT_EQ(run.output, std::string("ferrix-decode ") + kFerrixVersion + "\n");
  EXPECT_EQ(run.errors, "");
}

}  // namespace
}  // namespace ferrix::tools
