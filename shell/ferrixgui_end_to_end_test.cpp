// The built programs, ferrix and ferrixgui, as a user's script runs them: a
// child process with an INI file of its own ("-i"), no display, standard
// input not a terminal, talking to pyftpdlib on loopback. Checks the exit
// status, the files, the mirrored message log "xferlog.txt" and the transfer
// log "FERRIX.LOG"; both programs must behave alike.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/stored_secret.h"
#include "testing/real_ftp_servers.h"

namespace ferrix::shell {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class EndToEndTest : public ::testing::TestWithParam<const char*> {
 protected:
  EndToEndTest() : server_(testing::FtpServerKind::kPyftpdlib) {
    work_ = server_.servedFolder().parent_path() / "work";
    std::filesystem::create_directories(work_);
    const testing::FtpLogin& login = server_.login();
    writeFile(work_ / "test.ini",
              "[_config_]\ndolog=1\n[loopback]\nHOST=127.0.0.1\nPORT=" +
                  std::to_string(server_.port()) + "\nUID=" + login.user +
                  "\nPWD=" + config::encodeSecret(login.user, login.password) + "\nRETRIES=1\n");
  }

  // Runs the program in the work folder; returns its exit status.
  int run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {GetParam(), "-i", (work_ / "test.ini").string()});
    const pid_t child = fork();
    if (child == 0) {
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
      unsetenv("QT_QPA_PLATFORM");
      setenv("XDG_STATE_HOME", (work_ / "state").c_str(), 1);
      const int in = open("/dev/null", O_RDONLY);
      const int out = open((work_ / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open((work_ / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir(work_.c_str()) != 0) _exit(127);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      std::vector<char*> argv;
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string output() const { return readFile(work_ / "stdout.txt"); }

  testing::RealFtpServer server_;
  std::filesystem::path work_;
};

TEST_P(EndToEndTest, DownloadAndUploadLeaveTheirLogs) {
  ASSERT_EQ(server_.startError(), "");
  writeFile(server_.servedFolder() / "report.txt", "North 1200\r\nSouth 950\r\n");
  EXPECT_EQ(run({"loopback:/report.txt", "local:" + work_.string() + "/"}), 0) << output();
  EXPECT_EQ(readFile(work_ / "report.txt"), "North 1200\r\nSouth 950\r\n");

  writeFile(work_ / "Upload.BIN", std::string("\0\1\2\3", 4));
  EXPECT_EQ(run({"-quiet", "local:" + (work_ / "Upload.BIN").string(), "loopback:/in.bin"}), 0)
      << output();
  EXPECT_EQ(readFile(server_.servedFolder() / "in.bin"), std::string("\0\1\2\3", 4));

  const std::string mirrored = readFile(work_ / "xferlog.txt");
  EXPECT_THAT(mirrored, HasSubstr("receiving file \"/report.txt\" from site \"127.0.0.1\""));
  EXPECT_THAT(mirrored, HasSubstr("Successful transfer\n"));
  // The transfer log is kept in the state folder, not beside the files.
  EXPECT_FALSE(std::filesystem::exists(work_ / "FERRIX.LOG"));
  const std::string transfers = readFile(work_ / "state/ferrix/FERRIX.LOG");
  EXPECT_THAT(transfers, HasSubstr(" B " + work_.string() + "/report.txt <-- loopback / report.txt\n"));
  EXPECT_THAT(transfers, HasSubstr(" B " + work_.string() + "/Upload.BIN --> 127.0.0.1 / in.bin\n"));
}

TEST_P(EndToEndTest, RemoteFolderPrintsItsListing) {
  ASSERT_EQ(server_.startError(), "");
  std::filesystem::create_directories(server_.servedFolder() / "pub");
  writeFile(server_.servedFolder() / "pub" / "listed.txt", "x");
  EXPECT_EQ(run({"loopback:/pub/"}), 0);
  EXPECT_THAT(output(), ::testing::ContainsRegex("\nlisted\\.txt\tfile\t1\t[-0-9]+ [0-9:]+\t0644\n"));
}

TEST_P(EndToEndTest, FailuresGiveTheirExitStatus) {
  ASSERT_EQ(server_.startError(), "");
  EXPECT_EQ(run({"-quiet", "loopback:/missing.txt", "local:" + work_.string() + "/"}), 1);
  EXPECT_THAT(readFile(work_ / "xferlog.txt"),
              HasSubstr("! Transfer failed for /missing.txt from 127.0.0.1\n"));
  EXPECT_THAT(readFile(work_ / "state/ferrix/FERRIX.LOG"), Not(HasSubstr("missing.txt")));
  EXPECT_EQ(run({"-Z"}), 2);
}

INSTANTIATE_TEST_SUITE_P(Programs, EndToEndTest, ::testing::Values(FERRIX_PATH, FERRIXGUI_PATH),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::filesystem::path(info.param).filename().string();
                         });

// The console program is for machines without a window system: it must not
// even load one.
TEST(ConsoleProgram, LinksNoQt) {
  std::FILE* libraries = popen(("ldd " + std::string(FERRIX_PATH)).c_str(), "r");
  ASSERT_NE(libraries, nullptr);
  std::string text;
  char buffer[4096];
  for (std::size_t length; (length = std::fread(buffer, 1, sizeof buffer, libraries)) > 0;) {
    text.append(buffer, length);
  }
  EXPECT_EQ(pclose(libraries), 0) << text;
  EXPECT_THAT(text, HasSubstr("libc.so"));
  EXPECT_THAT(text, Not(HasSubstr("libQt")));
}

}  // namespace
}  // namespace ferrix::shell
