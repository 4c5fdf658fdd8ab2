#include "shell/desktop/command_rules.h"

#include <gtest/gtest.h>

#include "shell/desktop/fake_desktop_services.h"
#include "testing/scratch_folder.h"

namespace ferrix::desktop {
namespace {

class CommandRulesTest : public ::testing::Test {
 protected:
  CommandRulesTest()
      : winIni_(folder_.write("win.ini",
                              "[Extensions]\n"
                              "doc=wordproc ^.doc\n"
                              "txt=edit\n"
                              "htm=browser --new ^.htm --private\n"
                              "nul=\n")),
        associations_(winIni_) {
    rules_.viewer = "less";
    rules_.associations = &associations_;
    rules_.services = &services_;
  }

  testing::ScratchFolder folder_;
  platform::IniFile winIni_;
  AssociationTable associations_;
  FakeDesktopServices services_;
  CommandRules rules_;
};

TEST_F(CommandRulesTest, ExtensionChoosesViewerAssociationOrNothing) {
  struct Case {
    const char* name;
    const char* path;
    std::optional<std::string> command;
  };
  const Case cases[] = {
      {"/l/README", "/l/README", "less /l/README"},
      {"/l/run.BAT", "/l/run.BAT", "less /l/run.BAT"},
      {"/l/trailing.", "/l/trailing.", "less /l/trailing."},
      {"/l/tool.exe", "/l/tool.exe", std::nullopt},
      {"/l/tool.COM", "/l/tool.COM", std::nullopt},
      {"/l/old.pif", "/l/old.pif", "pifedit /l/old.pif"},
      {"/l/letter.doc", "/l/letter.doc", "wordproc /l/letter.doc"},
      {"/l/a.b.doc", "/l/a.b.doc", "wordproc /l/a.b.doc"},
      {"/l/notes.TXT", "/l/notes.TXT", "edit /l/notes.TXT"},
      {"/l/page.htm", "/l/page.htm", "browser --new /l/page.htm"},
      {"/l/empty.nul", "/l/empty.nul", "less /l/empty.nul"},
      {"/l/unknown.xyz", "/l/unknown.xyz", "less /l/unknown.xyz"},
      {"/l/my file.doc", "/l/my file.doc", "wordproc \"/l/my file.doc\""},
      // A fetched file: the remote name decides, the temporary path goes in.
      {"/pub/report.doc", "/tmp/DSPa1b2c3.doc", "wordproc /tmp/DSPa1b2c3.doc"},
      // A dot in a folder is no extension.
      {"/l/v1.2/README", "/l/v1.2/README", "less /l/v1.2/README"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildCommand(rules_, c.name, c.path), c.command) << c.name;
  }
}

TEST_F(CommandRulesTest, AssociatedProgramComesFirstWhenAsked) {
  rules_.useFindExec = true;
  services_.associatedProgram = "xdg-open";
  EXPECT_EQ(BuildCommand(rules_, "/l/letter.doc", "/l/letter.doc"), "xdg-open /l/letter.doc");
  services_.associatedProgram = "/opt/office suite/run";
  EXPECT_EQ(BuildCommand(rules_, "/l/letter.doc", "/l/letter.doc"),
            "\"/opt/office suite/run\" /l/letter.doc");
  // Neither viewer files nor programs ask for it.
  EXPECT_EQ(BuildCommand(rules_, "/l/README", "/l/README"), "less /l/README");
  EXPECT_EQ(BuildCommand(rules_, "/l/a.exe", "/l/a.exe"), std::nullopt);
  services_.associatedProgram.reset();
  EXPECT_EQ(BuildCommand(rules_, "/l/letter.doc", "/l/letter.doc"), "wordproc /l/letter.doc");
}

TEST(AssociationRules, TypedCommandIsCompletedWithItsExtension) {
  struct Case {
    const char* typed;
    const char* extension;
    const char* stored;
  };
  const Case cases[] = {
      {"edit", "xyz", "edit ^.xyz"},
      {"edit ^", "xyz", "edit ^.xyz"},
      {"edit ^.abc -x", "xyz", "edit ^.xyz"},
      {"edit ^.xyz", "xyz", "edit ^.xyz"},
      {"/opt/viewer --raw", "log", "/opt/viewer --raw ^.log"},
  };
  for (const Case& c : cases) EXPECT_EQ(CompleteAssociation(c.typed, c.extension), c.stored);
}

TEST(AssociationRules, ExtensionsAreTakenAfterTheLastOrTheFirstDot) {
  EXPECT_EQ(extensionAfterLastDot("/a/a.b.doc"), "doc");
  EXPECT_EQ(extensionAfterFirstDot("/a/a.b.doc"), "b.doc");
  EXPECT_EQ(extensionAfterFirstDot("/a.d/README"), "");
  EXPECT_EQ(extensionAfterLastDot("name."), "");
}

TEST_F(CommandRulesTest, TableListsAndStoresEntries) {
  EXPECT_EQ(associations_.extensions(), (std::vector<std::string>{"doc", "txt", "htm", "nul"}));
  ASSERT_TRUE(associations_.store("xyz", CompleteAssociation("edit", "xyz")));
  EXPECT_EQ(associations_.command("XYZ"), "edit ^.xyz");
  EXPECT_EQ(folder_.read("win.ini").find("xyz=edit ^.xyz") != std::string::npos, true);
}

}  // namespace
}  // namespace ferrix::desktop
