#include "shell/dialogs/site_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSplashScreen>
#include <QTabWidget>
#include <memory>
#include <string>

#include "config/scratch_configuration.h"
#include "config/site_editor.h"
#include "config/stored_secret.h"

namespace ferrix::shell {
namespace {

// A configuration with its editor, as the main window holds them.
struct SiteSetup {
  explicit SiteSetup(const std::string& ini) {
    configuration.writeIni(ini);
    configuration->LoadProgramSettings();
    store.loadSessionProfile(session);
  }

  testing::ScratchConfiguration configuration;
  config::SiteProfileStore store{*configuration, nullptr};
  config::SiteProfile session;
  config::SiteEditor editor{*configuration, store, session};
};

class SiteDialogTest : public ::testing::Test {
 protected:
  void open(const std::string& ini) {
    setup_ = std::make_unique<SiteSetup>(ini);
    dialog_ = std::make_unique<SiteDialog>(setup_->editor, nullptr);
    dialog_->show();
  }

  template <typename Widget>
  Widget* find(const char* name) {
    auto* widget = dialog_->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QLineEdit* line(const char* name) { return find<QLineEdit>(name); }
  void type(const char* name, const QString& text) { line(name)->setText(text); }
  void showPage(int index) { find<QTabWidget>("sitePages")->setCurrentIndex(index); }

  void chooseListed(const QString& site) {
    auto* names = find<QComboBox>("profileName");
    const int index = names->findText(site);
    ASSERT_GE(index, 0) << site.toStdString();
    names->setCurrentIndex(index);
    emit names->activated(index);
  }

  std::unique_ptr<SiteSetup> setup_;
  std::unique_ptr<SiteDialog> dialog_;
};

constexpr char kTwoSites[] =
    "[_config_]\nSESSION=beta\n"
    "[alpha]\nHOST=alpha.example\nUID=ann\nTYPE=6016\nCOMMENT=first\n"
    "[beta]\nHOST=beta.example\nUID=anonymous\nDIR=\"/pub\"\nPORT=2121\n";

TEST_F(SiteDialogTest, OpensOnTheSessionSite) {
  open(kTwoSites);
  auto* names = find<QComboBox>("profileName");
  ASSERT_EQ(names->count(), 2);
  EXPECT_EQ(names->itemText(0), "alpha");
  EXPECT_EQ(names->currentText(), "beta");
  EXPECT_EQ(line("hostName")->text(), "beta.example");
  EXPECT_EQ(find<QComboBox>("hostType")->currentData().toInt(), 6000);
  EXPECT_EQ(find<QComboBox>("hostType")->count(), 60);
  EXPECT_TRUE(find<QCheckBox>("anonymous")->isChecked());
  EXPECT_EQ(line("password")->text(), "ferrixqx@");
  EXPECT_EQ(line("password")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(dialog_->windowTitle(), "Session");
}

TEST_F(SiteDialogTest, ChoosingASiteLoadsItIntoEveryPageAndTheSession) {
  open(kTwoSites);
  EXPECT_EQ(line("port")->text(), "2121");
  chooseListed("alpha");
  EXPECT_EQ(line("hostName")->text(), "alpha.example");
  EXPECT_EQ(find<QComboBox>("hostType")->currentData().toInt(), 6016);
  EXPECT_EQ(line("comment")->text(), "first");
  EXPECT_FALSE(find<QCheckBox>("anonymous")->isChecked());
  EXPECT_EQ(line("password")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(setup_->session.profileName, "alpha");
  EXPECT_EQ(line("port")->text(), "21");
}

// The dialog hands the fields over unchanged: the same entries given to a
// second editor directly leave the same file behind.
TEST_F(SiteDialogTest, OkWritesWhatTheEditorWritesForTheSameEntries) {
  open(kTwoSites);
  chooseListed("alpha");
  type("hostName", "ftp.alpha.example");
  type("password", "secret");
  find<QCheckBox>("savePassword")->setChecked(true);
  type("comment", "");
  showPage(1);
  type("remoteFolder", "/home/ann");
  type("timeOffset", "-3");
  type("port", "5");
  showPage(2);
  type("retries", "99");
  type("timeout", "0");
  find<QCheckBox>("passive")->setChecked(false);
  dialog_->accept();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(setup_->session.hostName, "ftp.alpha.example");
  EXPECT_EQ(setup_->session.retries, 40);

  SiteSetup direct(kTwoSites);
  direct.editor.open();
  ASSERT_TRUE(direct.editor.chooseSite("alpha"));
  config::GeneralEntries general;
  general.profileName = "alpha";
  general.hostName = "ftp.alpha.example";
  general.userId = "ann";
  general.password = "secret";
  general.savePassword = true;
  general.hostType = 6016;
  general.port = "5";
  ASSERT_TRUE(direct.editor.acceptGeneral(general));
  config::StartupEntries startup;
  startup.remoteFolder = "/home/ann";
  startup.timeOffsetHours = "-3";
  ASSERT_TRUE(direct.editor.acceptStartup(startup));
  ASSERT_TRUE(direct.editor.acceptAdvanced({"99", "0", false}));
  // The encoded password is the same for the same user id, so the files match.
  EXPECT_EQ(setup_->configuration.readIni(), direct.configuration.readIni());
  EXPECT_NE(setup_->configuration.readIni().find("RETRIES=40\n"), std::string::npos);
  EXPECT_EQ(setup_->configuration.readIni().find("TIMEOUT="), std::string::npos);
}

TEST_F(SiteDialogTest, ServerPassiveAddressIsASiteOption) {
  open(kTwoSites);
  showPage(2);
  auto* serverAddress = find<QCheckBox>("serverPassiveAddress");
  EXPECT_FALSE(serverAddress->isChecked());
  serverAddress->setChecked(true);
  dialog_->accept();
  EXPECT_EQ(setup_->session.useServerPassiveAddress, 1);
  EXPECT_NE(setup_->configuration.readIni().find("PASVADDR=1\n"), std::string::npos);
}

TEST_F(SiteDialogTest, CancelWritesNothingAndKeepsTheSessionSite) {
  open(kTwoSites);
  type("hostName", "elsewhere.example");
  showPage(3);
  find<QCheckBox>("useFirewall")->setChecked(true);
  dialog_->reject();
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(setup_->configuration.readIni(), kTwoSites);
  EXPECT_EQ(setup_->editor.edited(), setup_->session);
  EXPECT_EQ(setup_->session.hostName, "beta.example");
}

TEST_F(SiteDialogTest, FirewallPageWritesTheSharedSectionWithItsClamps) {
  open(kTwoSites);
  showPage(3);
  auto* host = line("firewallHost");
  EXPECT_FALSE(host->isEnabled());
  EXPECT_TRUE(find<QCheckBox>("firewallSavePassword")->isEnabled());
  find<QCheckBox>("useFirewall")->setChecked(true);
  EXPECT_TRUE(host->isEnabled());
  EXPECT_TRUE(find<QRadioButton>("firewallType1")->isChecked());
  type("firewallHost", "gate.example");
  type("firewallUserId", "fw");
  type("firewallPort", "27");
  dialog_->accept();
  const std::string ini = setup_->configuration.readIni();
  EXPECT_NE(ini.find("[FIREWALL]\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("HOST=gate.example\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("FIRETYPE=1\n"), std::string::npos) << ini;
  EXPECT_EQ(setup_->session.port, 21);
  EXPECT_EQ(setup_->session.useFirewall, 1);
}

TEST_F(SiteDialogTest, DeleteRemovesOnlyTheNamedSite) {
  open(kTwoSites);
  auto* names = find<QComboBox>("profileName");
  names->setEditText("gamma");
  find<QPushButton>("deleteSite")->click();
  EXPECT_EQ(setup_->configuration.readIni(), kTwoSites);

  names->setEditText("beta");
  find<QPushButton>("deleteSite")->click();
  EXPECT_EQ(setup_->configuration.readIni().find("[beta]"), std::string::npos);
  ASSERT_EQ(names->count(), 1);
  EXPECT_EQ(names->currentText(), "alpha");
  EXPECT_EQ(line("hostName")->text(), "alpha.example");
}

TEST_F(SiteDialogTest, NewSiteIsSavedUnderItsHostName) {
  open(kTwoSites);
  find<QPushButton>("newSite")->click();
  EXPECT_EQ(find<QComboBox>("profileName")->currentText(), "");
  EXPECT_EQ(line("hostName")->text(), "");
  type("hostName", "new.example");
  dialog_->accept();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(setup_->session.profileName, "new.example");
  EXPECT_NE(setup_->configuration.readIni().find("[new.example]\nHOST=new.example\n"),
            std::string::npos);
}

TEST_F(SiteDialogTest, NewSiteRequiresTlsAndThePortFollowsImplicitTls) {
  open(kTwoSites);
  find<QPushButton>("newSite")->click();
  auto* encryption = find<QComboBox>("encryption");
  EXPECT_EQ(encryption->currentIndex(), config::SiteProfile::kTlsRequired);
  encryption->setCurrentIndex(config::SiteProfile::kTlsImplicit);
  EXPECT_EQ(line("port")->text(), "990");
  type("hostName", "secure.example");
  dialog_->accept();
  EXPECT_EQ(setup_->session.tls, config::SiteProfile::kTlsImplicit);
  EXPECT_EQ(setup_->session.port, 990);
  const std::string ini = setup_->configuration.readIni();
  const std::string section = ini.substr(std::min(ini.find("[secure.example]"), ini.size()));
  EXPECT_NE(section.find("TLS=3\n"), std::string::npos) << ini;
  EXPECT_EQ(section.find("PORT="), std::string::npos) << ini;
}

TEST_F(SiteDialogTest, ServerNameCharsetIsOfferedTypedAndStored) {
  open(kTwoSites);
  showPage(2);
  auto* charset = find<QComboBox>("charset");
  EXPECT_EQ(charset->currentText(), "auto");
  EXPECT_EQ(charset->count(), 6);
  charset->setEditText(" CP1251 ");
  dialog_->accept();
  EXPECT_EQ(setup_->session.charset, "CP1251");
  EXPECT_NE(setup_->configuration.readIni().find("CHARSET=CP1251\n"), std::string::npos);
}

TEST_F(SiteDialogTest, ASiteThatCannotBeSavedKeepsTheDialogOpen) {
  open(kTwoSites);
  find<QComboBox>("profileName")->setEditText("a]b");
  dialog_->accept();
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(setup_->configuration.readIni(), kTwoSites);
  EXPECT_EQ(setup_->session.profileName, "beta");
  auto* warning = dialog_->findChild<QMessageBox*>();
  ASSERT_NE(warning, nullptr);
  warning->close();
}

TEST_F(SiteDialogTest, AnonymousBoxSetsTheUserAndShowsTheMailAddress) {
  open(kTwoSites);
  chooseListed("alpha");
  type("account", "acct");
  auto* anonymous = find<QCheckBox>("anonymous");
  anonymous->click();
  EXPECT_EQ(line("userId")->text(), "anonymous");
  EXPECT_EQ(line("password")->text(), "ferrixqx@");
  EXPECT_EQ(line("password")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(line("account")->text(), "");
  anonymous->click();
  EXPECT_EQ(line("password")->echoMode(), QLineEdit::Password);
}

TEST_F(SiteDialogTest, OpeningClosesTheSplashScreen) {
  QPixmap picture(40, 30);
  picture.fill(Qt::darkBlue);
  QSplashScreen splash(picture);
  splash.show();
  open(kTwoSites);
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(SiteDialogTest, SavePasswordIsHiddenUnderSpflags) {
  setup_ = std::make_unique<SiteSetup>(kTwoSites);
  setup_->configuration.writeWinIni("[FERRIX]\nSPFLAGS=1\n");
  dialog_ = std::make_unique<SiteDialog>(setup_->editor, nullptr);
  dialog_->show();
  EXPECT_FALSE(find<QCheckBox>("savePassword")->isVisible());
}

}  // namespace
}  // namespace ferrix::shell
