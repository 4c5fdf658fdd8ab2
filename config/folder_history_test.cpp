#include "config/folder_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/scratch_configuration.h"

namespace ferrix::config {
namespace {

using Entries = std::vector<std::string>;

class FolderHistoryTest : public ::testing::Test {
 protected:
  void useIni(const std::string& text) {
    configuration_.writeIni(text);
    configuration_->LoadProgramSettings();
  }

  testing::ScratchConfiguration configuration_;
};

TEST_F(FolderHistoryTest, LoadingSkipsEmptyAndRepeatedFoldersAndKeepsRemoteEntries) {
  useIni("[s]\nldir0=/home\nldir1=\nldir2=/HOME\nldir19=/last\nldir20=/beyond\n"
         "rdir0=\" /pub \"\nrdir3=/incoming\n");
  MemoryFolderList local({"/stale"});
  loadFolderHistory(*configuration_, "s", FolderSide::kLocal, local);
  EXPECT_EQ(local.entries(), (Entries{"/home", "/last"}));

  MemoryFolderList remote({"/INCOMING"});
  loadFolderHistory(*configuration_, "s", FolderSide::kRemote, remote);
  EXPECT_EQ(remote.entries(), (Entries{"/INCOMING", " /pub "}));
}

TEST_F(FolderHistoryTest, NothingIsLoadedWithRetainOff) {
  useIni("[s]\nldir0=/home\n");
  configuration_->settings().RETAIN = 0;
  MemoryFolderList local({"/kept"});
  loadFolderHistory(*configuration_, "s", FolderSide::kLocal, local);
  EXPECT_EQ(local.entries(), (Entries{"/kept"}));
}

TEST_F(FolderHistoryTest, SavingWritesTenOfEachAndLeavesOlderKeysBeyondTheList) {
  useIni("[s]\nHOST=h\nrdir5=/older\nldir11=/never written\n");
  Entries many;
  for (int n = 0; n < 12; ++n) many.push_back("/l" + std::to_string(n));
  saveFolderHistory(*configuration_, "s", MemoryFolderList(many),
                    MemoryFolderList({" /pub", "/incoming"}));
  const std::string ini = configuration_.readIni();
  EXPECT_NE(ini.find("rdir0=\" /pub\"\nrdir1=\"/incoming\"\n"), std::string::npos);
  EXPECT_NE(ini.find("rdir5=/older"), std::string::npos);
  EXPECT_NE(ini.find("ldir9=/l9\n"), std::string::npos);
  EXPECT_EQ(ini.find("ldir10="), std::string::npos);
  EXPECT_NE(ini.find("ldir11=/never written"), std::string::npos);

  MemoryFolderList remote;
  loadFolderHistory(*configuration_, "s", FolderSide::kRemote, remote);
  EXPECT_EQ(remote.entries(), (Entries{" /pub", "/incoming", "/older"}));
}

TEST_F(FolderHistoryTest, SavingWithRetainOffDeletesTheTenKeysOfEachKind) {
  std::string ini = "[s]\nHOST=h\n";
  for (int n = 0; n < 11; ++n) {
    ini += "rdir" + std::to_string(n) + "=/r\nldir" + std::to_string(n) + "=/l\n";
  }
  useIni(ini);
  configuration_->settings().RETAIN = 0;
  saveFolderHistory(*configuration_, "s", MemoryFolderList({"/a"}), MemoryFolderList({"/b"}));
  EXPECT_EQ(configuration_.readIni(), "[s]\nHOST=h\nrdir10=/r\nldir10=/l\n");
}

}  // namespace
}  // namespace ferrix::config
