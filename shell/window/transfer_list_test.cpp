// The transfer list below the panes, driven through real downloads against
// pyftpdlib on loopback: queued and finished entries, a download cancelled
// from the list that keeps its partial data and resumes from the list, and
// the list's wording of sizes, speeds and times.
#include "shell/window/transfer_list.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>

#include "shell/window/connected_window_test_support.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace command;
using namespace test_support;
using State = transfer::TransferEntry::State;

class TransferListTest : public ConnectedWindowTest {
 protected:
  TransferListTest() {
    write(server_.servedFolder() / "one.txt", "first file\r\n");
    write(server_.servedFolder() / "two.bin", std::string(70000, 'z'));
  }

  TransferList& list() { return *window_->transferList(); }

  void choose(int row) {
    QTreeWidget* view = list().view();
    view->setCurrentItem(view->topLevelItem(row));
  }

  void click(const char* button) {
    auto* found = list().findChild<QPushButton*>(button);
    ASSERT_NE(found, nullptr) << button;
    ASSERT_TRUE(found->isEnabled()) << button;
    found->click();
  }
};

TEST_F(TransferListTest, ADownloadOfTwoFilesEndsWithTwoFinishedEntries) {
  connect();
  selectEntries(*window_->remotePane(), {"one.txt", "two.bin"});
  ASSERT_TRUE(window_->dispatchCommand(kDownload));
  waitIdle();
  ASSERT_TRUE(QTest::qWaitFor([this] { return list().entries().size() == 2; }, kWaitMs));
  QTest::qWait(50);
  const auto& entries = list().entries();
  EXPECT_EQ(entries[0].name(), "one.txt");
  EXPECT_EQ(entries[1].name(), "two.bin");
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(entries[static_cast<std::size_t>(row)].state, State::kSucceeded) << row;
    EXPECT_EQ(list().text(row, TransferList::kResult), "Done");
    EXPECT_EQ(list().text(row, TransferList::kDirection), QStringLiteral("\u2190 Download"));
  }
  EXPECT_EQ(entries[1].size, 70000u);
  EXPECT_EQ(entries[1].bytes, 70000u);
  EXPECT_EQ(list().text(1, TransferList::kSize), "68.4 KB");
  EXPECT_EQ(entries[1].localFolder, local_.path());
  EXPECT_TRUE(fs::exists(fs::path(local_.path()) / "two.bin"));
}

TEST_F(TransferListTest, ADownloadCancelledInTheListResumesFromItsLastByte) {
  connect();
  const fs::path served = server_.servedFolder() / "huge.bin";
  { std::ofstream big(served, std::ios::binary); }
  fs::resize_file(served, std::uintmax_t{4} << 30);
  window_->dispatchCommand(kRemoteRefresh);
  waitIdle();
  selectEntries(*window_->remotePane(), {"huge.bin"});
  ASSERT_TRUE(window_->dispatchCommand(kDownload));
  const fs::path partial = fs::path(local_.path()) / ".huge.bin.part";
  ASSERT_TRUE(waitUntilFileHasBytes(partial));
  ASSERT_TRUE(QTest::qWaitFor(
      [this] { return !list().entries().empty() && list().entries()[0].state == State::kRunning; },
      kWaitMs));
  choose(0);
  click("transferCancel");
  waitIdle();
  ASSERT_EQ(list().entries().size(), 1u);
  EXPECT_EQ(list().entries()[0].state, State::kCancelled);
  EXPECT_EQ(list().text(0, TransferList::kResult), "Cancelled");
  // The partial data stays, with the record that vouches for it.
  const std::uintmax_t kept = fs::file_size(partial);
  ASSERT_GT(kept, 2048u);
  EXPECT_EQ(configuration_->iniFile().readString("loopback", "REGETRFILE", ""), "huge.bin");

  // The server's file now ends a little after what arrived; the resume asks
  // only for the rest.
  const std::uintmax_t remoteSize = kept + 5000;
  fs::resize_file(served, remoteSize);
  choose(0);
  click("transferResume");
  waitIdle();
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return list().entries()[0].state == State::kSucceeded; }, kWaitMs))
      << lines_.all();
  EXPECT_EQ(list().entries().size(), 1u);
  EXPECT_EQ(fs::file_size(fs::path(local_.path()) / "huge.bin"), remoteSize);
  EXPECT_FALSE(fs::exists(partial));
  const std::uintmax_t restart = kept - kept % 1024;
  EXPECT_TRUE(lines_.contains("REST " + std::to_string(restart))) << lines_.all();
  EXPECT_EQ(configuration_->iniFile().readString("loopback", "REGETRFILE", ""), "");
}

TEST_F(TransferListTest, TheViewMenuHidesTheListAndRemembersIt) {
  connect();
  auto* toggle = window_->findChild<QAction*>("showTransferList");
  ASSERT_NE(toggle, nullptr);
  EXPECT_TRUE(list().isVisible());
  toggle->setChecked(false);
  EXPECT_FALSE(list().isVisible());
  EXPECT_EQ(configuration_->ReadConfigInt("XFERLIST", 1), 0);
  window_->relayout();
  EXPECT_FALSE(list().isVisible());
}

TEST(TransferListWording, SizesSpeedsAndTimes) {
  struct Case {
    std::uint64_t bytes;
    const char* text;
  };
  for (const Case& size : {Case{0, "0 B"}, Case{1023, "1023 B"}, Case{1024, "1.0 KB"},
                           Case{1572864, "1.5 MB"}, Case{std::uint64_t{5} << 30, "5.0 GB"}}) {
    EXPECT_EQ(FormatByteCount(size.bytes), size.text);
  }
  EXPECT_EQ(FormatSpeed(2.5 * 1048576), "2.5 MB/s");
  for (const Case& time : {Case{0, "0:00"}, Case{42, "0:42"}, Case{61, "1:01"}, Case{3599, "59:59"},
                           Case{3600, "1:00:00"}, Case{7322, "2:02:02"}}) {
    EXPECT_EQ(FormatTimeLeft(time.bytes), time.text);
  }
}

}  // namespace
}  // namespace ferrix::shell
