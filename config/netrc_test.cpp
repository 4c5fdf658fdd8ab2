#include "config/netrc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "testing/scratch_folder.h"

namespace ferrix::config {
namespace {

constexpr char kNetrc[] =
    "machine files.example.org login anne password s3cret account dept7\n"
    "machine other login bob\n"
    "  password\tpw2\n"
    "macdef init\n"
    "machine evil login mallory password nope\n"
    "\n"
    "machine FILES.example.org login second password later\n"
    "default login anonymous password guest@example.org\n";

struct NetrcCase {
  const char* host;
  const char* login;  // nullptr: no entry
  const char* password;
  const char* account;
};

TEST(Netrc, EachHostGetsItsEntryOrTheDefault) {
  const NetrcCase cases[] = {
      {"files.example.org", "anne", "s3cret", "dept7"},
      {"Files.Example.ORG", "anne", "s3cret", "dept7"},
      {"other", "bob", "pw2", ""},
      {"evil", "anonymous", "guest@example.org", ""},  // inside a macro: no entry
      {"unknown", "anonymous", "guest@example.org", ""},
  };
  for (const NetrcCase& c : cases) {
    SCOPED_TRACE(c.host);
    const std::optional<NetrcLogin> login = FindNetrcLogin(kNetrc, c.host);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->login, c.login);
    EXPECT_EQ(login->password, c.password);
    EXPECT_EQ(login->account, c.account);
  }
  EXPECT_FALSE(FindNetrcLogin("machine a login x password y\n", "b"));
  EXPECT_FALSE(FindNetrcLogin("", "a"));
}

TEST(Netrc, AFileOthersMayReadIsRefused) {
  testing::ScratchFolder folder;
  const std::filesystem::path path = folder / ".netrc";
  std::ofstream(path) << "machine a login x password y\n";
  ::chmod(path.c_str(), 0600);
  EXPECT_EQ(ReadNetrcFile(path).text, "machine a login x password y\n");
  EXPECT_EQ(ReadNetrcFile(path).refusal, "");
  ::chmod(path.c_str(), 0644);
  const NetrcFile refused = ReadNetrcFile(path);
  EXPECT_FALSE(refused.text);
  EXPECT_EQ(refused.refusal, path.string() + " is readable or writable by others: not used");
  EXPECT_EQ(ReadNetrcFile(folder / "missing").refusal, "");
}

}  // namespace
}  // namespace ferrix::config
