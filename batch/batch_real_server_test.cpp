// Folder transfers against vsftpd on loopback: a tree three folders deep
// with 200 files sent up and fetched back, compared file by file (SHA-256);
// and the server's session killed in the middle of a folder download, after
// which the broken file is resumed byte for byte.
#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "batch/selection_transfer.h"
#include "listing/listing_cache.h"
#include "listing/remote_listing.h"
#include "session/sound_events.h"
#include "testing/file_digest.h"
#include "testing/real_server_session.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"
#include "transfer/download_into_place.h"
#include "transfer/resume_record.h"

namespace ferrix::batch {
namespace {

namespace fs = std::filesystem;
using Answer = session::UserInterface::Answer;
using testing::sha256Of;

constexpr std::size_t kLargeFileSize = 20u << 20;
constexpr int kFileCount = 200;
constexpr char kLargeName[] = "large 20 MiB.bin";

std::string patterned(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 131 + seed) ^ (i >> 11));
  }
  return bytes;
}

// The tree: three folders deep, names with blanks and UTF-8, every tenth
// file empty, one large file at the top.
void writeTree(const fs::path& root) {
  const fs::path folders[] = {root, root / "level one", root / "level one" / "zwei ü",
                              root / "level one" / "zwei ü" / "три"};
  for (const fs::path& folder : folders) fs::create_directories(folder);
  std::ofstream(root / kLargeName, std::ios::binary) << patterned(kLargeFileSize, 7);
  for (int i = 1; i < kFileCount; ++i) {
    const fs::path& folder = folders[i % 4];
    static const char* const kPrefixes[] = {"file ", "données-", "plain"};
    const std::string name = kPrefixes[i % 3] + std::to_string(i) + ".bin";
    const std::size_t size = i % 10 == 0 ? 0 : static_cast<std::size_t>(i) * 97;
    std::ofstream(folder / name, std::ios::binary) << patterned(size, static_cast<unsigned>(i));
  }
}

// Relative path to SHA-256 of every file below `root`.
std::map<std::string, std::string> digestsOf(const fs::path& root) {
  std::map<std::string, std::string> digests;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      digests[fs::relative(entry.path(), root).string()] = sha256Of(entry.path());
    }
  }
  return digests;
}

class BatchRealServerTest : public ::testing::TestWithParam<testing::FtpServerKind> {
 protected:
  BatchRealServerTest()
      : ftp_(GetParam()),
        status_(ui_, true, false),
        cache_(scratch_.makeFolder("temp")),
        ini_(scratch_ / "FERRIX.INI"),
        remote_{{ftp_.session(), state_, status_, settings_, nameRules_, ui_},
                cache_,
                remotePane_,
                remoteBox_,
                busy_,
                {},
                {}},
        local_{localPane_, localBox_, {}, scratch_.makeFolder("local")} {
    session::Session& session = ftp_.session();
    session.state.sessionProfile.hostType = FERRIX_HOST_TYPE_UNIX;
    session.state.sessionProfile.profileName = "Work";
    session.state.sessionProfile.serverFeatureMask = 0;
    session.state.DetectionDone = 1;
    session.playSound = [this](int event) { sounds_.push_back(event); };
    state_.transferMode = 'I';
    logSettings_.dolog = 0;
    settings_.sendBlockSize = transfer::TransferSettings::kMaxBlockSize;
  }

  void SetUp() override { logOn(); }

  void logOn() {
    ASSERT_EQ(ftp_.logOn(), "");
    ASSERT_EQ(ftp_.enterServedFolder(), 2);
    listing::FetchRemoteListing(remote_, false);
  }

  const fs::path& served() const { return ftp_.server().servedFolder(); }

  BatchTransfer batch() {
    return {remote_, local_, ini_, logSettings_, batchSettings_, gestures_, {}, {}, nullptr};
  }

  std::size_t indexOf(const listing::PaneModel& pane, std::string_view name) const {
    for (std::size_t i = 0; i < pane.size(); ++i) {
      if (pane.at(i).name() == name) return i;
    }
    ADD_FAILURE() << "no entry " << name;
    return pane.size();
  }

  void enterLocal(const fs::path& folder) {
    local_.folder = folder;
    listing::ShowLocalFolder(folder, local_.options, localPane_, localBox_);
  }

  testing::RealServerSession ftp_;
  testing::ScratchFolder scratch_;
  testing::ScriptedUserInterface ui_;
  transfer::TransferStatus status_;
  transfer::TransferState state_;
  transfer::TransferSettings settings_;
  transfer::NameRuleSettings nameRules_;
  listing::ListingCache cache_;
  listing::PaneModel remotePane_{listing::PaneSide::kRemote, 1};
  listing::PaneModel localPane_{listing::PaneSide::kLocal, 1};
  config::MemoryFolderList remoteBox_;
  config::MemoryFolderList localBox_;
  transfer::TransferThreadBusy busy_;
  platform::IniFile ini_;
  transfer::TransferLogSettings logSettings_;
  BatchSettings batchSettings_;
  BatchGestures gestures_;
  listing::RemoteListing remote_;
  LocalSide local_;
  std::vector<int> sounds_;
};

TEST_P(BatchRealServerTest, TreeSurvivesTheRoundTripFileByFile) {
  const fs::path sent = fs::path(scratch_ / "local/tree");
  writeTree(sent);
  enterLocal(local_.folder);
  ui_.answerMessage(Answer::kYes);
  BatchTransfer upload = batch();
  upload.localSelection = {indexOf(localPane_, "tree")};
  ASSERT_TRUE(UploadSelection(upload));
  const std::map<std::string, std::string> original = digestsOf(sent);
  ASSERT_EQ(original.size(), static_cast<std::size_t>(kFileCount));
  EXPECT_EQ(digestsOf(served() / "tree"), original);

  enterLocal(scratch_.makeFolder("back"));
  ui_.answerMessage(Answer::kYes);
  BatchTransfer download = batch();
  download.remoteSelection = {indexOf(remotePane_, "tree")};
  ASSERT_TRUE(DownloadSelection(download));
  EXPECT_EQ(digestsOf(scratch_ / "back/tree"), original);
  EXPECT_EQ(local_.folder, fs::path(scratch_ / "back"));
  EXPECT_EQ(remote_.remoteFolder, served().string());
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), session::sound_event::kTransferSucceeded),
            2);
}

TEST_P(BatchRealServerTest, DownloadCutOffByTheServerResumesByteForByte) {
  writeTree(served() / "tree");
  listing::FetchRemoteListing(remote_, false);
  ui_.answerMessage(Answer::kYes);
  bool cut = false;
  // The first progress of the large file comes with its first block; later
  // ones only every half second, by which time loopback may have finished.
  const fs::path localTree = scratch_ / "local/tree";
  ui_.setProgressHook([&](std::string_view text) {
    if (text.empty() || cut) return;
    if (!fs::exists(localTree / kLargeName) &&
        !fs::exists(localTree / ("." + std::string(kLargeName) + ".part"))) {
      return;
    }
    cut = true;
    ftp_.server().endSessions();
  });
  TransferWorker worker(ftp_.session(), busy_);
  BatchTransfer download = batch();
  download.remoteSelection = {indexOf(remotePane_, "tree")};
  bool handled = true;
  ASSERT_TRUE(worker.start([&] { handled = DownloadSelection(download); }));
  const fs::path destination = fs::path(scratch_ / "local/tree") / kLargeName;
  const fs::path partial = transfer::PartialPath(destination);
  worker.join();
  EXPECT_TRUE(cut);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(busy_.isSet());
  EXPECT_LT(fs::file_size(partial), kLargeFileSize);
  EXPECT_FALSE(fs::exists(destination));
  for (const auto& [name, digest] : digestsOf(scratch_ / "local/tree")) {
    if (name != kLargeName && name != partial.filename()) {
      EXPECT_EQ(digest, sha256Of(served() / "tree" / name)) << name;
    }
  }
  const std::optional<transfer::ResumeRecord> record = transfer::ReadResumeRecord(ini_, "Work");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->remoteName, kLargeName);
  EXPECT_EQ(fs::path(record->localFolder), fs::path(scratch_ / "local/tree"));

  platform::closeSocket(ftp_.control());
  ftp_.session().state.controlSocket = -1;
  logOn();
  ui_.answerMessage(Answer::kYes);
  const transfer::ResumeContext resume{ftp_.control(), ini_, logSettings_,
                             [this](const fs::path& folder) { enterLocal(folder); },
                             [this] { enterLocal(local_.folder); }};
  transfer::OfferResume(remote_.transfer, resume, "Work");
  EXPECT_EQ(sha256Of(destination), sha256Of(served() / "tree" / kLargeName));
  EXPECT_FALSE(fs::exists(partial));
  EXPECT_FALSE(transfer::ReadResumeRecord(ini_, "Work"));
}

INSTANTIATE_TEST_SUITE_P(Servers, BatchRealServerTest,
                         ::testing::Values(testing::FtpServerKind::kVsftpd,
                                           testing::FtpServerKind::kVsftpdExplicitTls),
                         [](const auto& info) { return testing::testNameOf(info.param); });

}  // namespace
}  // namespace ferrix::batch
