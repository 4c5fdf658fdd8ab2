// The remote edit round trip and remote View against vsftpd on loopback, with
// small shell scripts standing in for the editor.
#include "shell/desktop/remote_edit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>

#include "config/scratch_configuration.h"
#include "session/sound_events.h"
#include "shell/desktop/fake_desktop_services.h"
#include "testing/real_server_session.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::desktop {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

// Stands in for the window's engine thread: work posted from the editor's
// waiting thread runs here, on the test's thread.
class EngineQueue {
 public:
  void post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    posted_.notify_one();
  }
  // Runs posted work until `done` holds; false when 20 s pass first.
  bool runUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      std::unique_lock lock(mutex_);
      if (!posted_.wait_until(lock, deadline, [this] { return !work_.empty(); })) return false;
      std::function<void()> work = std::move(work_.front());
      work_.pop_front();
      lock.unlock();
      work();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> work_;
};

class RemoteEditTest : public ::testing::Test {
 protected:
  RemoteEditTest()
      : ftp_(testing::FtpServerKind::kVsftpd),
        status_(ui_, false, false),
        transfer_{ftp_.session(), state_, status_, settings_, nameRules_, ui_},
        temporaryFiles_(temp_.path()),
        commands_(*configuration_, services_, ui_, ftp_.log(), temporaryFiles_, nullptr),
        editor_(transfer_, commands_, temporaryFiles_,
                [this](std::function<void()> work) { engine_.post(std::move(work)); },
                RemoteEditSettings{std::chrono::milliseconds(100), std::chrono::milliseconds(50)}) {
    configuration_.writeIni("[_config_]\nVIEWER=less\n");
    ftp_.session().playSound = [this](int event) { sounds_.push_back(event); };
  }

  void SetUp() override { ASSERT_EQ(ftp_.logOn(), ""); }

  const fs::path& served() const { return ftp_.server().servedFolder(); }

  // The served file `name`, writable by the server's user unless `locked`.
  std::string serve(const std::string& name, const std::string& content, bool locked = false) {
    const fs::path path = served() / name;
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, locked ? fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::group_read | fs::perms::others_read
                                 : fs::perms::owner_all | fs::perms::others_all);
    return path.string();
  }
  std::string remote(const std::string& name) const {
    std::ifstream in(served() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Associates ".txt" with a script of `body` ("$1" is the file to edit).
  void editorScript(const std::string& body) {
    const std::string script = tools_.write("editor.sh", "#!/bin/sh\n" + body + "\n");
    fs::permissions(script, fs::perms::owner_all);
    configuration_.writeWinIni("[Extensions]\ntxt=" + script + " ^.txt\n");
  }
  int edit(const std::string& name) {
    return editor_.StartRemoteEdit({name, 0}, served().string(), false);
  }
  bool finish() {
    return engine_.runUntil([this] { return editor_.activeEdits() == 0; });
  }
  std::vector<std::string> editFilesLeft() const {
    std::vector<std::string> names;
    for (const std::string& name : temp_.list()) {
      if (name.starts_with("EDT")) names.push_back(name);
    }
    return names;
  }

  testing::RealServerSession ftp_;
  testing::ScratchConfiguration configuration_;
  testing::ScratchFolder temp_;
  testing::ScratchFolder tools_;
  testing::ScriptedUserInterface ui_;
  transfer::TransferStatus status_;
  transfer::TransferState state_;
  transfer::TransferSettings settings_;
  transfer::NameRuleSettings nameRules_;
  transfer::TransferContext transfer_;
  FakeDesktopServices services_;
  TemporaryFiles temporaryFiles_;
  LocalFileCommands commands_;
  EngineQueue engine_;
  RemoteEditor editor_;
  std::vector<int> sounds_;
};

TEST_F(RemoteEditTest, EditorsChangeIsStoredBackAndKeepAliveRunsMeanwhile) {
  serve("notes.txt", "first line\n");
  editorScript("sleep 1\necho 'added by the editor' >> \"$1\"");
  ftp_.log().setVerbose(true);
  ASSERT_EQ(edit("notes.txt"), 1);
  ASSERT_TRUE(finish());
  EXPECT_EQ(remote("notes.txt"), "first line\nadded by the editor\n");
  EXPECT_THAT(editFilesLeft(), IsEmpty());
  EXPECT_THAT(ftp_.log().history(), Contains("NOOP"));
  EXPECT_THAT(ftp_.log().history(), Contains(HasSubstr("editor.sh " + temp_.path() + "/EDT")));
  EXPECT_THAT(sounds_, ::testing::Not(Contains(session::sound_event::kActionFailed)));
}

TEST_F(RemoteEditTest, EditorThatCannotStartChangesNothing) {
  serve("notes.txt", "unchanged\n");
  configuration_.writeWinIni("[Extensions]\ntxt=/nonexistent/editor ^.txt\n");
  EXPECT_EQ(edit("notes.txt"), 0);
  EXPECT_EQ(remote("notes.txt"), "unchanged\n");
  EXPECT_THAT(editFilesLeft(), IsEmpty());
}

TEST_F(RemoteEditTest, EditorThatFailsStillHasItsFileStoredBack) {
  serve("notes.txt", "kept as it was\n");
  editorScript("exit 3");
  ASSERT_EQ(edit("notes.txt"), 1);
  ASSERT_TRUE(finish());
  EXPECT_EQ(remote("notes.txt"), "kept as it was\n");
  EXPECT_THAT(editFilesLeft(), IsEmpty());
}

TEST_F(RemoteEditTest, DeletedTemporaryFileNeverEmptiesTheRemoteFile) {
  serve("notes.txt", "precious\n");
  editorScript("rm -f \"$1\"");
  ASSERT_EQ(edit("notes.txt"), 1);
  ASSERT_TRUE(finish());
  EXPECT_EQ(remote("notes.txt"), "precious\n");
  const std::string remotePath = (served() / "notes.txt").string();
  EXPECT_THAT(ftp_.log().history(), Contains(HasSubstr("! Error rewriting file " + remotePath +
                                                       " from " + temp_.path())));
  EXPECT_THAT(sounds_, Contains(session::sound_event::kActionFailed));
}

TEST_F(RemoteEditTest, RefusedStoreKeepsTheChangesInTheNamedTemporaryFile) {
  if (geteuid() != 0) GTEST_FAIL() << "vsftpd runs as root; the locked file needs another owner";
  serve("locked.txt", "read only\n", true);
  editorScript("echo 'my change' >> \"$1\"");
  ASSERT_EQ(edit("locked.txt"), 1);
  ASSERT_TRUE(finish());
  EXPECT_EQ(remote("locked.txt"), "read only\n");
  const std::vector<std::string> left = editFilesLeft();
  ASSERT_EQ(left.size(), 1u);
  const std::string kept = temp_.path() + "/" + left[0];
  EXPECT_EQ(temp_.read(left[0]), "read only\nmy change\n");
  const std::string remotePath = (served() / "locked.txt").string();
  EXPECT_THAT(ftp_.log().history(),
              Contains("! Error rewriting file " + remotePath + " from " + kept));
  // Two attempts, and the file survives the end of the program.
  int stores = 0;
  for (const std::string& line : ftp_.log().history()) stores += line.starts_with("STOR ");
  EXPECT_EQ(stores, 2);
  temporaryFiles_.deleteAll();
  EXPECT_EQ(editFilesLeft(), left);
}

TEST_F(RemoteEditTest, FoldersAreNotEdited) {
  EXPECT_EQ(editor_.StartRemoteEdit({"sub", 5}, served().string(), false), 0);
}

TEST_F(RemoteEditTest, CtrlOffersTheCommandLineFirst) {
  serve("notes.txt", "x\n");
  editorScript("echo y >> \"$1\"");
  ui_.answerInput(std::nullopt);
  EXPECT_EQ(editor_.StartRemoteEdit({"notes.txt", 0}, served().string(), true), 0);
  ASSERT_EQ(ui_.prompts().size(), 1u);
  EXPECT_EQ(ui_.prompts()[0].text, "Enter command line:");
  EXPECT_THAT(ui_.prompts()[0].prefilled, HasSubstr("editor.sh " + temp_.path() + "/EDT"));
  EXPECT_EQ(remote("notes.txt"), "x\n");
}

TEST_F(RemoteEditTest, RemoteViewFetchesIntoADisplayFileWithTheRemoteExtension) {
  serve("readme.txt", "remote text\n");
  ASSERT_EQ(ftp_.enterServedFolder(), 2);
  SelectionOutcome outcome = commands_.viewOrExecuteRemote(
      RemoteSource{transfer_, ftp_.control()}, {{"readme.txt", 0}}, FileAction::kView, false);
  EXPECT_TRUE(outcome.refreshLocal);
  ASSERT_EQ(services_.started.size(), 1u);
  const std::string shown = services_.started[0].substr(std::string("less ").size());
  const std::string name = shown.substr(temp_.path().size() + 1);
  EXPECT_EQ(shown.substr(0, temp_.path().size() + 1), temp_.path() + "/");
  EXPECT_TRUE(name.starts_with("DSP"));
  EXPECT_TRUE(name.ends_with(".txt"));
  EXPECT_EQ(temp_.read(name), "remote text\n");
}

TEST_F(RemoteEditTest, RemoteViewOfALinkToAFolderEntersIt) {
  fs::create_directory(served() / "sub");
  fs::create_directory_symlink("sub", served() / "link");
  ASSERT_EQ(ftp_.enterServedFolder(), 2);
  SelectionOutcome outcome = commands_.viewOrExecuteRemote(RemoteSource{transfer_, ftp_.control()},
                                                           {{"link", 2}}, FileAction::kView, false);
  EXPECT_TRUE(outcome.refreshRemote);
  EXPECT_THAT(services_.started, IsEmpty());
  EXPECT_THAT(ftp_.log().history(), Contains("CWD link"));
}

}  // namespace
}  // namespace ferrix::desktop
