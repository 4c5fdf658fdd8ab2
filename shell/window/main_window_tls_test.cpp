// A window connected over TLS says so beside the transfer mode: a closed
// padlock and the protocol, which a plain connection shows as "Not
// encrypted" (main_window_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shell/window/connected_window_test_support.h"
#include "shell/window/connection_security.h"

namespace ferrix::shell {
namespace {

class MainWindowTlsTest : public test_support::ConnectedWindowTest {
 protected:
  MainWindowTlsTest() : ConnectedWindowTest(testing::FtpServerKind::kVsftpdExplicitTls) {}
};

TEST_F(MainWindowTlsTest, ASecuredConnectionShowsTheClosedPadlockAndItsProtocol) {
  connect();
  const ConnectionSecurity* sign = window_->findChild<ConnectionSecurity*>();
  EXPECT_THAT(sign->text().toStdString(), ::testing::StartsWith("TLS 1."));
  EXPECT_THAT(sign->toolTip().toStdString(), ::testing::HasSubstr("encrypted with TLSv1."));
}

}  // namespace
}  // namespace ferrix::shell
