#include "config/site_profile_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/scratch_configuration.h"
#include "config/stored_secret.h"

namespace ferrix::config {
namespace {

// The section of `name` as it stands in the INI text, up to the next section.
std::string sectionText(const std::string& ini, const std::string& name) {
  const std::size_t start = ini.find("[" + name + "]");
  if (start == std::string::npos) return "";
  const std::size_t body = ini.find('\n', start) + 1;
  const std::size_t end = ini.find("\n[", body);
  return ini.substr(body, end == std::string::npos ? std::string::npos : end + 1 - body);
}

class SiteProfileStoreTest : public ::testing::Test {
 protected:
  // Answers the e-mail prompt from `answers_`; no answer left is a cancel.
  bool answer(std::string_view prompt, int helpTopic, std::string& text) {
    prompts_.push_back(std::string(prompt) + " #" + std::to_string(helpTopic));
    if (answers_.empty()) return false;
    text = answers_.front();
    answers_.erase(answers_.begin());
    return true;
  }

  SiteProfile load(const std::string& name) {
    SiteProfile profile;
    profile.profileName = name;
    store_.loadProfile(profile);
    return profile;
  }

  testing::ScratchConfiguration configuration_;
  std::vector<std::string> answers_;
  std::vector<std::string> prompts_;
  SiteProfileStore store_{*configuration_, [this](std::string_view prompt, int topic,
                                                  std::string& text) {
                            return answer(prompt, topic, text);
                          }};
};

TEST_F(SiteProfileStoreTest, LoadsEveryKeyOfASiteSection) {
  configuration_.writeIni(
      "[work]\nHOST=ftp.example.com\nUID=joe\nPWD=" + encodeSecret("joe", "pw") +
      "\nACT=" + encodeSecret("joe", "acct") +
      "\nTYPE=6016\nDIR=\" /home/joe \"\nTIMEOFFSET=4294967291\nFIREWALL=1\nTIMEOUT=30\n"
      "LMASK=*.txt\nRMASK=*.c\nLOCDIR=/tmp\nINITCMD=SITE UMASK 022;TYPE I\nPORT=2121\n"
      "PASVMODE=0\nRETRIES=3\nPASVADDR=1\n");
  SiteProfile profile;
  profile.profileName = "WORK";
  EXPECT_EQ(store_.loadProfile(profile), 1);
  EXPECT_EQ(profile.hostName, "ftp.example.com");
  EXPECT_EQ(profile.userId, "joe");
  EXPECT_EQ(profile.password, "pw");
  EXPECT_EQ(profile.savePassword, 1);
  EXPECT_EQ(profile.account, "acct");
  EXPECT_EQ(profile.hostType, 6016);
  EXPECT_EQ(profile.remoteFolder, " /home/joe ");
  EXPECT_EQ(profile.timeOffsetHours, -5);
  EXPECT_EQ(profile.useFirewall, 1);
  EXPECT_EQ(profile.timeoutSeconds, 30);
  EXPECT_EQ(profile.localMask, "*.txt");
  EXPECT_EQ(profile.remoteMask, "*.c");
  EXPECT_EQ(profile.localFolder, "/tmp");
  EXPECT_EQ(profile.initialCommand, "SITE UMASK 022;TYPE I");
  EXPECT_EQ(profile.port, 2121);
  EXPECT_EQ(profile.passiveMode, 0);
  EXPECT_EQ(profile.retries, 3);
  EXPECT_EQ(profile.useServerPassiveAddress, 1);
}

TEST_F(SiteProfileStoreTest, AMissingSectionIsAHostOfThatName) {
  configuration_.writeIni("[_config_]\nFIREWALL=1\nPASVMODE=0\n");
  const SiteProfile profile = load("ftp.gnu.org");
  EXPECT_EQ(profile.hostName, "ftp.gnu.org");
  EXPECT_EQ(profile.userId, "");
  EXPECT_EQ(profile.hostType, 6000);
  EXPECT_EQ(profile.timeoutSeconds, 65);
  EXPECT_EQ(profile.port, 21);
  EXPECT_EQ(profile.useFirewall, 1);  // the `_config_` defaults
  EXPECT_EQ(profile.passiveMode, 0);
  SiteProfile again;
  again.profileName = "ftp.gnu.org";
  EXPECT_EQ(store_.loadProfile(again), 0);
}

TEST_F(SiteProfileStoreTest, HostTypesOutsideTheTableLoadAsAutomatic) {
  struct Case {
    const char* stored;
    int hostType;
  };
  const Case cases[] = {{"4000", 6000}, {"5999", 6000}, {"6000", 6000}, {"6001", 6001},
                        {"6059", 6059}, {"6060", 6000}, {"-6010", 6000}, {"unix", 6000}};
  for (const Case& c : cases) {
    configuration_.writeIni(std::string("[s]\nHOST=h\nTYPE=") + c.stored + "\n");
    EXPECT_EQ(load("s").hostType, c.hostType) << c.stored;
  }
}

TEST_F(SiteProfileStoreTest, StoredSecretsNeedAUserId) {
  configuration_.writeIni("[s]\nHOST=h\nPWD=" + encodeSecret("", "pw") +
                          "\nACT=" + encodeSecret("", "acct") + "\n");
  const SiteProfile profile = load("s");
  EXPECT_EQ(profile.password, "");
  EXPECT_EQ(profile.account, "");
  EXPECT_EQ(profile.savePassword, 0);
}

TEST_F(SiteProfileStoreTest, AnonymousUserWithoutPasswordGetsTheMailAddress) {
  configuration_.writeIni("[_config_]\nMAILADDR=\n[s]\nHOST=h\nUID=Anonymous\n");
  configuration_->LoadProgramSettings();
  answers_ = {"", "me@example.org"};
  EXPECT_EQ(load("s").password, "me@example.org");
  EXPECT_EQ(prompts_.size(), 2u);  // an empty answer asks again
  EXPECT_EQ(prompts_.front(), "Enter your e-mail address: #270");
  EXPECT_NE(configuration_.readIni().find("MAILADDR=me@example.org"), std::string::npos);

  prompts_.clear();
  EXPECT_EQ(load("s").password, "me@example.org");
  EXPECT_TRUE(prompts_.empty());
}

TEST_F(SiteProfileStoreTest, CancellingTheMailPromptLeavesThePasswordEmpty) {
  configuration_.writeIni("[_config_]\nMAILADDR=\n[s]\nHOST=h\nUID=anonymous\n");
  configuration_->LoadProgramSettings();
  EXPECT_EQ(load("s").password, "");
  EXPECT_EQ(prompts_.size(), 1u);
  EXPECT_NE(configuration_.readIni().find("MAILADDR=\n"), std::string::npos);
}

TEST_F(SiteProfileStoreTest, SavingADefaultProfileWritesOnlyTheAlwaysWrittenKeys) {
  SiteProfile profile;
  profile.profileName = "new";
  profile.tls = SiteProfile::kTlsWhenOffered;  // what a section without TLS reads as
  ASSERT_TRUE(store_.saveProfile(profile));
  // PASVMODE is written while `_config_` has no default for it.
  EXPECT_EQ(sectionText(configuration_.readIni(), "new"),
            "HOST=\nUID=\nPASVMODE=1\nTIMEOFFSET=0\n");
  EXPECT_EQ(load("new").hostName, "new");
}

TEST_F(SiteProfileStoreTest, SavedProfileLoadsBackUnchanged) {
  SiteProfile profile;
  profile.profileName = "full";
  profile.hostName = "10.0.0.1";
  profile.userId = "joe";
  profile.password = "secret with 39 characters, 1234567890!!";
  profile.savePassword = 1;
  profile.account = "acct";
  profile.remoteFolder = " spaced ";
  profile.localFolder = "/home/joe";
  profile.initialCommand = "SITE IDLE 60;";
  profile.localMask = "*.c";
  profile.remoteMask = "*.h";
  profile.timeoutSeconds = 120;
  profile.hostType = 6011;
  profile.port = 990;
  profile.retries = 5;
  profile.passiveMode = 0;
  profile.useFirewall = 1;
  profile.timeOffsetHours = -7;
  ASSERT_TRUE(store_.saveProfile(profile));
  EXPECT_NE(configuration_.readIni().find("TIMEOFFSET=-7\n"), std::string::npos);
  EXPECT_NE(configuration_.readIni().find("DIR=\" spaced \"\n"), std::string::npos);

  configuration_.reopen();
  SiteProfileStore store(*configuration_, nullptr);
  SiteProfile loaded;
  loaded.profileName = "full";
  EXPECT_EQ(store.loadProfile(loaded), 1);
  EXPECT_EQ(loaded, profile);
}

TEST_F(SiteProfileStoreTest, ResavingWithDefaultsRemovesTheKeys) {
  configuration_.writeIni(
      "[_config_]\nPASVMODE=1\n[s]\nHOST=h\nUID=u\nPWD=x\nACT=y\nDIR=d\nLOCDIR=l\nLMASK=m\n"
      "RMASK=r\nINITCMD=i\nTYPE=6010\nTIMEOUT=9\nPORT=99\nRETRIES=2\nFIREWALL=1\nPASVMODE=0\n");
  SiteProfile profile;
  profile.profileName = "s";
  profile.hostName = "h";
  profile.userId = "u";
  profile.tls = SiteProfile::kTlsWhenOffered;
  ASSERT_TRUE(store_.saveProfile(profile));
  EXPECT_EQ(sectionText(configuration_.readIni(), "s"), "HOST=h\nUID=u\nTIMEOFFSET=0\n");
}

TEST_F(SiteProfileStoreTest, TlsSettingAndThePortItImplies) {
  struct Case {
    const char* keys;
    int tls;
    int port;
  };
  const Case cases[] = {
      {"", SiteProfile::kTlsWhenOffered, 21},  // profiles from before TLS
      {"TLS=0\n", SiteProfile::kTlsOff, 21},
      {"TLS=2\n", SiteProfile::kTlsRequired, 21},
      {"TLS=3\n", SiteProfile::kTlsImplicit, 990},
      {"TLS=3\nPORT=2121\n", SiteProfile::kTlsImplicit, 2121},
      {"TLS=9\n", SiteProfile::kTlsImplicit, 990},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    configuration_.writeIni(std::string("[s]\nHOST=h\n") + c.keys);
    const SiteProfile loaded = load("s");
    EXPECT_EQ(loaded.tls, c.tls);
    EXPECT_EQ(loaded.port, c.port);
  }
  SiteProfile plain;
  plain.profileName = "plain";
  plain.tls = SiteProfile::kTlsOff;
  ASSERT_TRUE(store_.saveProfile(plain));
  EXPECT_EQ(load("plain").tls, SiteProfile::kTlsOff);
  SiteProfile implicit;
  implicit.profileName = "implicit";
  implicit.tls = SiteProfile::kTlsImplicit;
  implicit.port = SiteProfile::kImplicitTlsPort;
  implicit.certificateSha256 = "AB:CD";
  ASSERT_TRUE(store_.saveProfile(implicit));
  EXPECT_EQ(sectionText(configuration_.readIni(), "implicit"),
            "HOST=\nUID=\nTLS=3\nCERTSHA256=AB:CD\nPASVMODE=1\nTIMEOFFSET=0\n");
}

TEST_F(SiteProfileStoreTest, CharsetIsStoredOnlyWhenNotAutomatic) {
  EXPECT_EQ(load("none").charset, "auto");
  SiteProfile legacy;
  legacy.profileName = "legacy";
  legacy.tls = SiteProfile::kTlsWhenOffered;
  legacy.charset = "CP1251";
  ASSERT_TRUE(store_.saveProfile(legacy));
  EXPECT_EQ(sectionText(configuration_.readIni(), "legacy"),
            "HOST=\nUID=\nCHARSET=CP1251\nPASVMODE=1\nTIMEOFFSET=0\n");
  EXPECT_EQ(load("legacy").charset, "CP1251");
  legacy.charset = "AUTO";
  ASSERT_TRUE(store_.saveProfile(legacy));
  EXPECT_EQ(sectionText(configuration_.readIni(), "legacy"),
            "HOST=\nUID=\nPASVMODE=1\nTIMEOFFSET=0\n");
  configuration_.writeIni("[empty]\nHOST=h\nCHARSET=\n");
  EXPECT_EQ(load("empty").charset, "auto");
}

TEST_F(SiteProfileStoreTest, EmptyPasswordWithTheSaveFlagIsStoredAsTheMaskAlone) {
  SiteProfile profile;
  profile.profileName = "s";
  profile.userId = "u";
  profile.savePassword = 1;
  ASSERT_TRUE(store_.saveProfile(profile));
  EXPECT_NE(configuration_.readIni().find("PWD=" + encodeSecret("u", "") + "\n"),
            std::string::npos);
  const SiteProfile loaded = load("s");
  EXPECT_EQ(loaded.password, "");
  EXPECT_EQ(loaded.savePassword, 1);
}

TEST_F(SiteProfileStoreTest, SessionOptionsFollowSiteThenConfigThenThePreviousSite) {
  configuration_.writeIni("[_config_]\nAMODE=1\n[a]\nHOST=a\nMODE=65\nRETAIN=0\n[b]\nHOST=b\n");
  ProgramSettings& settings = configuration_->settings();
  load("a");
  EXPECT_EQ(settings.MODE, 'A');
  EXPECT_EQ(settings.RETAIN, 0);
  EXPECT_EQ(settings.AMODE, 1);
  load("b");
  EXPECT_EQ(settings.MODE, 'A');  // missing everywhere: kept from site a
  EXPECT_EQ(settings.RETAIN, 0);
  EXPECT_EQ(settings.AMODE, 1);
}

TEST_F(SiteProfileStoreTest, ListsEverySectionButTheProgramOnesSortedWithoutCase) {
  configuration_.writeIni(
      "[_CONFIG_]\nA=1\n[zeta]\nHOST=z\n  [ Alpha ]\n;[comment]\n[beta\n[FireWall]\nHOST=f\n"
      "[ALPHA]\n[mid]\nbroken line\n[]\n");
  EXPECT_EQ(store_.listSites(), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
}

TEST_F(SiteProfileStoreTest, DeletesSitesButNeverTheProgramSections) {
  configuration_.writeIni("[_config_]\nMAILADDR=x@\n[FIREWALL]\nHOST=f\n[s]\nHOST=h\n");
  EXPECT_FALSE(store_.deleteSite("_Config_"));
  EXPECT_FALSE(store_.deleteSite("firewall"));
  EXPECT_FALSE(store_.deleteSite(""));
  EXPECT_TRUE(store_.deleteSite("S"));
  EXPECT_EQ(configuration_.readIni(), "[_config_]\nMAILADDR=x@\n[FIREWALL]\nHOST=f\n");

  SiteProfile profile;
  profile.profileName = "_config_";
  EXPECT_FALSE(store_.saveProfile(profile));
  EXPECT_EQ(configuration_.readIni(), "[_config_]\nMAILADDR=x@\n[FIREWALL]\nHOST=f\n");
}

TEST_F(SiteProfileStoreTest, TheSessionSiteIsRememberedAndLoadedAtStart) {
  configuration_.writeIni("[home]\nHOST=home.example\nUID=me\n");
  SiteProfile session;
  session.profileName = "home";
  store_.rememberCurrentSite(session);
  EXPECT_NE(configuration_.readIni().find("SESSION=home"), std::string::npos);

  configuration_.reopen();
  configuration_->LoadProgramSettings();
  SiteProfileStore store(*configuration_, nullptr);
  SiteProfile loaded;
  loaded.password = "left over";
  loaded.remoteFolder = "/old";
  loaded.hostType = 6010;
  store.loadSessionProfile(loaded);
  EXPECT_EQ(loaded.profileName, "home");
  EXPECT_EQ(loaded.hostName, "home.example");
  EXPECT_EQ(loaded.userId, "me");
  EXPECT_EQ(loaded.password, "");
  EXPECT_EQ(loaded.remoteFolder, "");
  EXPECT_EQ(loaded.hostType, 6000);
}

}  // namespace
}  // namespace ferrix::config
