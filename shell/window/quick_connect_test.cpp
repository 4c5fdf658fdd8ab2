// The quick connect row and a URL typed in the Remote Site box, driven as a
// person would against pyftpdlib on loopback.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "listing/host_detection.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/quick_connect_bar.h"
#include "shell/window/window_test_support.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace test_support;

class QuickConnectTest : public WindowTestBase {
 protected:
  QuickConnectTest() : server_(testing::FtpServerKind::kPyftpdlib) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
    session_.onGreetingLine = listing::CheckReplyForHostType;
    log_.addObserver(&lines_);
    fs::create_directories(server_.servedFolder() / "docs");
    write(server_.servedFolder() / "docs" / "guide.txt", "A short guide\r\n");
    write(server_.servedFolder() / "readme.txt", "Read me first\r\n");
  }
  ~QuickConnectTest() override {
    window_.reset();
    log_.removeObserver(&lines_);
  }

  void openWindow() {
    ASSERT_EQ(server_.startError(), "");
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, WindowHooks{});
    window_->setLocalFolder(local_.path());
    window_->resize(1000, 600);
    window_->show();
    waitIdle();
  }

  void waitIdle() { ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs)); }

  template <typename Widget>
  Widget* field(const char* name) {
    auto* widget = window_->quickConnectBar()->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void type(const char* name, const std::string& text) {
    QLineEdit* line = std::string(name) == "quickHost" ? field<QComboBox>(name)->lineEdit()
                                                       : field<QLineEdit>(name);
    line->clear();
    QTest::keyClicks(line, QString::fromStdString(text));
  }

  std::string port() const { return std::to_string(server_.port()); }

  testing::RealFtpServer server_;
  testing::ScriptedUserInterface userInterface_;
  LogLines lines_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(QuickConnectTest, TheRowConnectsAndRemembersTheServerWithoutItsPassword) {
  openWindow();
  type("quickHost", "127.0.0.1");
  type("quickUser", server_.login().user);
  type("quickPassword", server_.login().password);
  type("quickPort", port());
  QTest::mouseClick(field<QPushButton>("quickConnect"), Qt::LeftButton);
  waitIdle();
  ASSERT_TRUE(window_->connected()) << lines_.all();
  EXPECT_EQ(namesIn(*window_->remotePane()),
            (std::vector<std::string>{"..", "docs", "readme.txt"}));
  EXPECT_FALSE(field<QPushButton>("quickConnect")->isEnabled());

  const std::string ini = configuration_.readIni();
  EXPECT_NE(ini.find("[_quick_]"), std::string::npos);
  EXPECT_NE(ini.find("PORT1=" + port()), std::string::npos);
  EXPECT_EQ(ini.find("PWD1"), std::string::npos);
  QComboBox* host = field<QComboBox>("quickHost");
  ASSERT_EQ(host->count(), 1);
  EXPECT_EQ(host->itemText(0).toStdString(), server_.login().user + "@127.0.0.1:" + port());
}

TEST_F(QuickConnectTest, ARememberedPasswordComesBackFromTheHistory) {
  openWindow();
  type("quickHost", "127.0.0.1");
  type("quickUser", server_.login().user);
  type("quickPassword", server_.login().password);
  type("quickPort", port());
  field<QCheckBox>("quickRemember")->setChecked(true);
  QTest::keyClick(field<QLineEdit>("quickPort"), Qt::Key_Return);
  waitIdle();
  ASSERT_TRUE(window_->connected()) << lines_.all();
  window_->dispatchCommand(command::kMenuClose);
  waitIdle();
  ASSERT_FALSE(window_->connected());

  window_.reset();
  openWindow();
  QComboBox* host = field<QComboBox>("quickHost");
  ASSERT_EQ(host->count(), 1);
  host->setCurrentIndex(0);
  emit host->activated(0);
  EXPECT_EQ(field<QLineEdit>("quickPassword")->text().toStdString(), server_.login().password);
  EXPECT_EQ(field<QLineEdit>("quickPort")->text().toStdString(), port());
  QTest::mouseClick(field<QPushButton>("quickConnect"), Qt::LeftButton);
  waitIdle();
  EXPECT_TRUE(window_->connected()) << lines_.all();
}

TEST_F(QuickConnectTest, AUrlInTheRemoteSiteBoxConnectsToItsFolder) {
  openWindow();
  const std::string url = "ftp://" + server_.login().user + ":" + server_.login().password +
                          "@127.0.0.1:" + port() + "/docs";
  QLineEdit* box = window_->remotePane()->folderBox()->lineEdit();
  box->setText(QString::fromStdString(url));
  QTest::keyClick(box, Qt::Key_Return);
  waitIdle();
  ASSERT_TRUE(window_->connected()) << lines_.all();
  EXPECT_EQ(window_->remoteFolder(), "/docs");
  EXPECT_EQ(namesIn(*window_->remotePane()), (std::vector<std::string>{"..", "guide.txt"}));
  // The password typed in the URL is neither kept nor left in sight.
  EXPECT_EQ(configuration_.readIni().find(server_.login().password), std::string::npos);
  EXPECT_EQ(field<QComboBox>("quickHost")->currentText().toStdString(),
            "ftp://" + server_.login().user + "@127.0.0.1:" + port() + "/docs");
}

TEST_F(QuickConnectTest, FieldsThatNameNoServerSayWhyAndConnectNowhere) {
  openWindow();
  type("quickHost", "127.0.0.1");
  type("quickPort", "99999");
  QTest::mouseClick(field<QPushButton>("quickConnect"), Qt::LeftButton);
  waitIdle();
  EXPECT_FALSE(window_->connected());
  EXPECT_TRUE(lines_.contains("! Quick connect: the port must be a number from 1 to 65535"))
      << lines_.all();
}

}  // namespace
}  // namespace ferrix::shell
