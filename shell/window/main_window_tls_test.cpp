// A window connected over TLS says so beside the transfer mode: a closed
// padlock and the protocol, which a plain connection shows as "Not
// encrypted" (main_window_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>
#include <memory>

#include "config/scratch_configuration.h"
#include "shell/window/connection_security.h"
#include "shell/window/main_window.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

using namespace test_support;

class MainWindowTlsTest : public WindowTestBase {
 protected:
  MainWindowTlsTest() : server_(testing::FtpServerKind::kVsftpdExplicitTls) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
  }
  ~MainWindowTlsTest() override { window_.reset(); }

  testing::RealFtpServer server_;
  testing::ScriptedUserInterface userInterface_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTlsTest, ASecuredConnectionShowsTheClosedPadlockAndItsProtocol) {
  ASSERT_EQ(server_.startError(), "");
  setenv("SSL_CERT_FILE", server_.caFile().c_str(), 1);
  WindowHooks hooks;
  hooks.chooseSite = [this](QWidget*) {
    config::SiteProfile& profile = session_.state.sessionProfile;
    profile = config::SiteProfile{};
    profile.profileName = "secured";
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = server_.login().user;
    profile.password = server_.login().password;
    profile.tls = config::SiteProfile::kTlsRequired;
    return true;
  };
  window_ = std::make_unique<MainWindow>(
      WindowServices{*configuration_, sites_, session_, userInterface_}, std::move(hooks));
  window_->setLocalFolder(local_.path());
  window_->show();
  ASSERT_TRUE(window_->dispatchCommand(command::kConnect));
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));
  ASSERT_TRUE(window_->connected());

  const ConnectionSecurity* sign = window_->findChild<ConnectionSecurity*>();
  EXPECT_THAT(sign->text().toStdString(), ::testing::StartsWith("TLS 1."));
  EXPECT_THAT(sign->toolTip().toStdString(), ::testing::HasSubstr("encrypted with TLSv1."));
}

}  // namespace
}  // namespace ferrix::shell
