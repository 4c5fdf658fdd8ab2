// The fixture of window tests that need a connection: the main window at
// 1000 x 700, connected by its Connect button to a real server on loopback
// (pyftpdlib unless a test names another; a TLS server with the site's TLS
// required, its test CA trusted), with a scripted person and the log's
// lines at hand.
// Thread rule: GUI thread.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>
#include <memory>

#include "listing/host_detection.h"
#include "shell/window/main_window.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell::test_support {

class ConnectedWindowTest : public WindowTestBase {
 protected:
  explicit ConnectedWindowTest(testing::FtpServerKind kind = testing::FtpServerKind::kPyftpdlib)
      : server_(kind) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
    session_.onGreetingLine = listing::CheckReplyForHostType;
    log_.addObserver(&lines_);
  }
  ~ConnectedWindowTest() override {
    window_.reset();
    log_.removeObserver(&lines_);
  }

  void connect() {
    ASSERT_EQ(server_.startError(), "");
    if (server_.usesTls()) setenv("SSL_CERT_FILE", server_.caFile().c_str(), 1);
    WindowHooks hooks;
    hooks.chooseSite = [this](QWidget*) {
      config::SiteProfile& profile = session_.state.sessionProfile;
      profile = config::SiteProfile{};
      profile.profileName = "loopback";
      profile.hostName = "127.0.0.1";
      profile.port = server_.port();
      profile.userId = server_.login().user;
      profile.password = server_.login().password;
      if (server_.usesTls()) profile.tls = config::SiteProfile::kTlsRequired;
      return true;
    };
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, std::move(hooks));
    window_->setLocalFolder(local_.path());
    window_->resize(1000, 700);
    window_->show();
    waitIdle();
    ASSERT_TRUE(window_->dispatchCommand(command::kConnect));
    waitIdle();
    ASSERT_TRUE(window_->connected());
  }

  void waitIdle() {
    ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));
  }

  testing::RealFtpServer server_;
  testing::ScriptedUserInterface userInterface_;
  LogLines lines_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace ferrix::shell::test_support
