#include "config/site_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/firewall_settings.h"
#include "config/scratch_configuration.h"
#include "config/stored_secret.h"

namespace ferrix::config {
namespace {

using Names = std::vector<std::string>;

TEST(SiteDialogFields, ClampTheTypedNumbers) {
  struct Case {
    const char* text;
    std::int32_t retries, timeout, port, firewallPort, offset;
  };
  const Case cases[] = {
      {"", 0, 65, 21, 21, 0},
      {"abc", 0, 65, 21, 21, 0},
      {"0", 0, 65, 21, 21, 0},
      {" 9 ", 9, 9, 21, 21, 9},
      {"10", 10, 10, 10, 21, 10},
      {"27", 27, 27, 27, 21, 27},
      {"28", 28, 28, 28, 28, 28},
      {"49", 49, 49, 49, 49, 49},
      {"50", 40, 50, 50, 50, 50},
      {"-3", 0, 65, 21, 21, -3},
      {"12x", 0, 65, 21, 21, 0},
      {"65535", 40, 65535, 65535, 65535, 65535},
      {"65536", 40, 65536, 21, 21, 65536},
      {"99999999999", 0, 65, 21, 21, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(retriesFromField(c.text), c.retries) << '"' << c.text << '"';
    EXPECT_EQ(timeoutFromField(c.text), c.timeout) << '"' << c.text << '"';
    EXPECT_EQ(portFromField(c.text), c.port) << '"' << c.text << '"';
    EXPECT_EQ(firewallPortFromField(c.text), c.firewallPort) << '"' << c.text << '"';
    EXPECT_EQ(timeOffsetFromField(c.text), c.offset) << '"' << c.text << '"';
  }
}

class SiteEditorTest : public ::testing::Test {
 protected:
  void useIni(const std::string& text) {
    configuration_.writeIni(text);
    configuration_->LoadProgramSettings();
    store_.loadSessionProfile(session_);
    editor_.open();
  }

  testing::ScratchConfiguration configuration_;
  SiteProfileStore store_{*configuration_, nullptr};
  SiteProfile session_;
  SiteEditor editor_{*configuration_, store_, session_};
};

TEST_F(SiteEditorTest, OpensOnTheSessionSite) {
  useIni("[_config_]\nSESSION=b\n[a]\nHOST=a\n[b]\nHOST=b.example\nUID=anonymous\n");
  EXPECT_EQ(editor_.sites(), (Names{"a", "b"}));
  EXPECT_EQ(editor_.edited().hostName, "b.example");
  EXPECT_EQ(editor_.edited().password, "ferrixqx@");
}

TEST_F(SiteEditorTest, GeneralPageNamesAProfileByItsHostAndListsIt) {
  useIni("[m]\nHOST=m\n");
  GeneralEntries entries;
  entries.profileName = "";
  entries.hostName = "ftp.example.org";
  entries.userId = "joe";
  entries.password = "pw";
  entries.savePassword = true;
  entries.comment = "work";
  ASSERT_TRUE(editor_.acceptGeneral(entries));
  EXPECT_EQ(editor_.edited().profileName, "ftp.example.org");
  EXPECT_EQ(editor_.edited().hostType, 6000);
  EXPECT_EQ(editor_.sites(), (Names{"ftp.example.org", "m"}));
  EXPECT_EQ(editor_.comment(), "work");

  entries.profileName = "   Alpha ";
  entries.comment = "";
  entries.hostType = 6016;
  ASSERT_TRUE(editor_.acceptGeneral(entries));
  EXPECT_EQ(editor_.sites(), (Names{"Alpha", "ftp.example.org", "m"}));
  SiteProfile alpha;
  alpha.profileName = "alpha";
  store_.loadProfile(alpha);
  EXPECT_EQ(alpha.hostType, 6016);
  EXPECT_EQ(alpha.password, "pw");
  EXPECT_EQ(store_.comment("Alpha"), "");
}

TEST_F(SiteEditorTest, GeneralPageRefusesNamesTheFileCannotHold) {
  useIni("");
  for (const char* name : {"  ", "a]b", "_CONFIG_"}) {
    GeneralEntries entries;
    entries.profileName = name;
    EXPECT_FALSE(editor_.acceptGeneral(entries)) << name;
  }
  EXPECT_TRUE(editor_.sites().empty());
  EXPECT_EQ(configuration_.readIni(), "");
}

TEST_F(SiteEditorTest, PasswordsAreNeverSavedUnderSpflags) {
  configuration_.writeWinIni("[FERRIX]\nSPFLAGS=1\n");
  useIni("[_config_]\nSESSION=s\n[s]\nHOST=h\nUID=u\nPWD=" + encodeSecret("u", "pw") + "\n");
  EXPECT_FALSE(editor_.passwordSavingAllowed());
  EXPECT_EQ(editor_.edited().savePassword, 0);
  GeneralEntries entries;
  entries.profileName = "s";
  entries.hostName = "h";
  entries.userId = "u";
  entries.password = "pw";
  entries.savePassword = true;
  ASSERT_TRUE(editor_.acceptGeneral(entries));
  EXPECT_EQ(configuration_.readIni().find("PWD="), std::string::npos);
}

TEST_F(SiteEditorTest, ChoosingASavedSiteMakesItTheSessionProfile) {
  useIni("[a]\nHOST=a.example\n[resume]\nFILE=x\n");
  EXPECT_FALSE(editor_.chooseSite("resume"));
  EXPECT_FALSE(editor_.chooseSite("unknown"));
  EXPECT_TRUE(editor_.chooseSite("a"));
  EXPECT_EQ(editor_.edited().hostName, "a.example");
  EXPECT_EQ(session_.hostName, "a.example");
}

TEST_F(SiteEditorTest, DeletingSelectsTheEntryNowAtThatPosition) {
  useIni("[a]\nHOST=a\n[b]\nHOST=b\n[c]\nHOST=c\n");
  ASSERT_TRUE(editor_.chooseSite("b"));
  EXPECT_EQ(editor_.deleteSite(), 1u);
  EXPECT_EQ(editor_.edited().profileName, "c");
  EXPECT_EQ(editor_.deleteSite(), 0u);  // the last one: the first is selected
  EXPECT_EQ(editor_.edited().profileName, "a");
  EXPECT_EQ(editor_.deleteSite(), std::nullopt);
  EXPECT_EQ(editor_.edited().profileName, "");
  EXPECT_TRUE(editor_.sites().empty());
  EXPECT_EQ(configuration_.readIni(), "");
  EXPECT_EQ(editor_.deleteSite(), std::nullopt);  // no name: nothing to delete
}

TEST_F(SiteEditorTest, NewSiteHasEveryDefaultAndNoHost) {
  useIni("[_config_]\nSESSION=a\n[a]\nHOST=a\nUID=u\nPORT=99\nTIMEOUT=5\n");
  editor_.newSite();
  EXPECT_EQ(editor_.edited().profileName, "");
  EXPECT_EQ(editor_.edited().hostName, "");
  EXPECT_EQ(editor_.edited().userId, "");
  EXPECT_EQ(editor_.edited().port, 21);
  EXPECT_EQ(editor_.edited().timeoutSeconds, 65);
  EXPECT_EQ(editor_.edited().tls, SiteProfile::kTlsRequired);
}

TEST(SiteDialogFields, CharsetIsTakenAsTypedExceptForAutomatic) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "auto"}, {"   ", "auto"}, {"AUTO", "auto"}, {" CP1251 ", "CP1251"},
      {"shift_jis", "shift_jis"}};
  for (const auto& [typed, stored] : cases) EXPECT_EQ(charsetFromField(typed), stored) << typed;
}

TEST(SiteDialogFields, PortFollowsTheEncryptionOnlyFromAStandardPort) {
  struct Case {
    std::int32_t port;
    int from;
    int to;
    std::int32_t shown;
  };
  const Case cases[] = {
      {21, SiteProfile::kTlsRequired, SiteProfile::kTlsImplicit, 990},
      {990, SiteProfile::kTlsImplicit, SiteProfile::kTlsWhenOffered, 21},
      {21, SiteProfile::kTlsOff, SiteProfile::kTlsRequired, 21},
      {2121, SiteProfile::kTlsRequired, SiteProfile::kTlsImplicit, 2121},
      {990, SiteProfile::kTlsRequired, SiteProfile::kTlsImplicit, 990},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(portForEncryption(c.port, c.from, c.to), c.shown) << c.port << " " << c.to;
  }
}

TEST_F(SiteEditorTest, AnonymousTakesTheMailAddressAndDropsTheAccount) {
  useIni("[_config_]\nMAILADDR=me@home\nSESSION=a\n[a]\nHOST=a\nUID=u\nACT=" +
         encodeSecret("u", "acct") + "\n");
  editor_.makeAnonymous();
  EXPECT_EQ(editor_.edited().userId, "anonymous");
  EXPECT_EQ(editor_.edited().password, "me@home");
  EXPECT_EQ(editor_.edited().account, "");
}

TEST_F(SiteEditorTest, StartupAndAdvancedPagesSaveTheirFieldsClamped) {
  useIni("[_config_]\nSESSION=a\nPASVMODE=1\n[a]\nHOST=a\n");
  ASSERT_TRUE(editor_.acceptStartup({"/pub", "/home", "SITE IDLE 60", "*.c", "*.h", "-2"}));
  ASSERT_TRUE(editor_.acceptAdvanced({"60", "0", true}));
  SiteProfile loaded;
  loaded.profileName = "a";
  store_.loadProfile(loaded);
  EXPECT_EQ(loaded.remoteFolder, "/pub");
  EXPECT_EQ(loaded.localFolder, "/home");
  EXPECT_EQ(loaded.initialCommand, "SITE IDLE 60");
  EXPECT_EQ(loaded.localMask, "*.c");
  EXPECT_EQ(loaded.remoteMask, "*.h");
  EXPECT_EQ(loaded.timeOffsetHours, -2);
  EXPECT_EQ(loaded.retries, 40);
  EXPECT_EQ(loaded.timeoutSeconds, 65);
  EXPECT_EQ(loaded.port, 21);
  // Equal to the `_config_` default, so not kept in the site.
  EXPECT_EQ(configuration_.readIni().find("PASVMODE=1\nTIMEOFFSET"), std::string::npos);
}

TEST_F(SiteEditorTest, FirewallPageShowsTheSectionWithTheSitePortAsDefault) {
  useIni("[_config_]\nSESSION=a\n[a]\nHOST=a\nPORT=5\nFIREWALL=1\n");
  FirewallEntries empty = editor_.firewallPage();
  EXPECT_TRUE(empty.useFirewall);
  EXPECT_EQ(empty.port, "");
  EXPECT_EQ(empty.type, 1);

  configuration_.writeIni(configuration_.readIni() + "[FIREWALL]\nHOST=gate\nUID=fw\nPWD=" +
                          encodeSecret("fw", "fpw") + "\nFIRETYPE=9\n");
  FirewallEntries page = editor_.firewallPage();
  EXPECT_EQ(page.host, "gate");
  EXPECT_EQ(page.userId, "fw");
  EXPECT_EQ(page.password, "fpw");
  EXPECT_TRUE(page.savePassword);
  EXPECT_EQ(page.port, "21");  // the site's port 5 is first made 21
  EXPECT_EQ(page.type, std::nullopt);
}

TEST_F(SiteEditorTest, FirewallOkWritesTheSectionAndTheSitePort) {
  useIni("[_config_]\nSESSION=a\n[a]\nHOST=a\n");
  FirewallEntries entries;
  entries.useFirewall = true;
  entries.host = "gate";
  entries.userId = "fw";
  entries.password = "fpw";
  entries.port = "27";
  ASSERT_TRUE(editor_.acceptFirewall(entries));
  FirewallSettings firewall = readFirewallSettings(*configuration_);
  EXPECT_EQ(firewall.type, 3);
  EXPECT_EQ(firewall.port, 21);
  EXPECT_EQ(firewall.password, std::nullopt);
  EXPECT_EQ(editor_.edited().useFirewall, 1);

  entries.savePassword = true;
  entries.port = "8021";
  entries.type = 5;
  ASSERT_TRUE(editor_.acceptFirewall(entries));
  firewall = readFirewallSettings(*configuration_);
  EXPECT_EQ(firewall.type, 5);
  EXPECT_EQ(firewall.port, 8021);
  EXPECT_EQ(firewall.password, "fpw");
  SiteProfile loaded;
  loaded.profileName = "a";
  store_.loadProfile(loaded);
  EXPECT_EQ(loaded.port, 8021);
  EXPECT_EQ(loaded.useFirewall, 1);

  ASSERT_TRUE(editor_.acceptFirewall(FirewallEntries{}));
  store_.loadProfile(loaded);
  EXPECT_EQ(loaded.useFirewall, 0);
  EXPECT_EQ(readFirewallSettings(*configuration_).host, "gate");
}

TEST_F(SiteEditorTest, CancelReturnsToTheSessionProfile) {
  useIni("[_config_]\nSESSION=a\n[a]\nHOST=a\n[b]\nHOST=b\n");
  editor_.newSite();
  editor_.makeAnonymous();
  editor_.cancel();
  EXPECT_EQ(editor_.edited().profileName, "a");
  EXPECT_EQ(editor_.edited().userId, "");
}

}  // namespace
}  // namespace ferrix::config
