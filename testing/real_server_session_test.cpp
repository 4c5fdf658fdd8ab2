#include "testing/real_server_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ferrix::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(RealServerSession, RefusedPasswordIsReportedAndLeavesTheSessionUnconnected) {
  RealServerSession ftp(FtpServerKind::kPyftpdlib);
  const std::string why = ftp.logOn({ftp.server().login().user, "not the password"});
  EXPECT_THAT(why, StartsWith("PASS not answered 2xx (pyftpdlib on port "));
  EXPECT_THAT(why, HasSubstr("530 "));
  EXPECT_EQ(ftp.session().state.connected, 0);

  // The same object logs on again once the password is right.
  EXPECT_EQ(ftp.logOn(), "");
  EXPECT_EQ(ftp.session().state.connected, 1);
  EXPECT_EQ(ftp.enterServedFolder(), 2);
  EXPECT_EQ(ftp.quit(), 2);
  EXPECT_EQ(ftp.session().state.connected, 0);
}

}  // namespace
}  // namespace ferrix::testing
