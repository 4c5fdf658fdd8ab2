#include "shell/engine/engine_side.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "config/scratch_configuration.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "shell/engine/engine_thread.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using listing::PaneSide;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using DeleteAnswer = session::UserInterface::DeleteAnswer;

constexpr char kListing[] =
    "-rw-r--r--   1 ann  staff      12 Jan  5 10:20 notes.txt\r\n"
    "drwxr-xr-x   2 ann  staff     512 Jan  5 10:20 docs\r\n";

std::vector<std::string> namesOf(const std::vector<listing::PaneItem>& items) {
  std::vector<std::string> names;
  for (const listing::PaneItem& item : items) names.emplace_back(item.name());
  return names;
}

// The selection of the one item called `name`.
listing::Selection selectionOf(const std::vector<listing::PaneItem>& items, std::string_view name) {
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (items[index].name() == name) return {index};
  }
  ADD_FAILURE() << name << " is not listed";
  return {};
}

// The engine side as the window uses it, without a window: logged on to the
// scripted server through its own connect(), asked by named operations.
class EngineSideTest : public ::testing::Test {
 protected:
  EngineSideTest() : session_(log_, clock_, resolver_) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
    config::SiteProfile& profile = session_.state.sessionProfile;
    profile.profileName = "scripted";
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = "anne";
    profile.password = "secret";
    profile.hostType = FERRIX_HOST_TYPE_UNIX;
    profile.timeoutSeconds = 5;
    dataPort_ = server_.openPassiveDataListener();
    engine_.emplace(session_, ui_, *configuration_, local_.path());
    EngineSetup setup;
    setup.retain = false;
    setup.transferMode = 'I';
    engine_->setup(setup);
  }

  // The logon and the first listing of "/pub".
  void scriptLogon() {
    server_.reply("220 ready").expectLine("USER anne").reply("331 pass");
    server_.expectLine("PASS secret").reply("230 in").expectLine("FEAT").reply("500 unknown");
    scriptListing("/pub");
  }
  void scriptListing(const std::string& folder) {
    server_.expectLine("PWD").reply("257 \"" + folder + "\" is the current directory.");
    server_.servePassiveListing(dataPort_, "LIST", kListing);
  }

  void connect() {
    server_.start();
    ASSERT_TRUE(engine_->connect(true));
  }

  void expectScriptDone() {
    EXPECT_TRUE(server_.waitUntilDone(std::chrono::seconds(5)));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  ferrix::testing::ScratchConfiguration configuration_;
  ferrix::testing::ScratchFolder local_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  ferrix::testing::ScriptedUserInterface ui_;
  ferrix::testing::ScriptedFtpServer server_;
  std::uint16_t dataPort_ = 0;
  std::optional<EngineSide> engine_;
};

TEST_F(EngineSideTest, ConnectLogsOnAndShowsTheRemoteFolder) {
  scriptLogon();
  connect();
  expectScriptDone();
  const EngineView view = engine_->takeView();
  EXPECT_TRUE(view.connected);
  EXPECT_EQ(view.remoteFolder, "/pub");
  EXPECT_THAT(namesOf(view.remoteItems), Contains("notes.txt"));
  EXPECT_THAT(namesOf(view.remoteItems), Contains("docs"));
}

// On a CP1251 server the folder box holds the folders as the pane shows
// names; a folder chosen from it goes back by the server's own bytes, a
// typed one in the server's charset, and one the charset cannot hold is
// refused before anything is sent.
TEST_F(EngineSideTest, TheRemoteFolderBoxSpeaksUtf8AndTheServerItsCharset) {
  const std::string documents = "/\xE4\xEE\xEA";  // /док in CP1251
  const std::string fresh = "/\xED\xEE\xE2\xE0\xFF";  // /новая
  session_.state.sessionProfile.charset = "CP1251";
  server_.reply("220 ready").expectLine("USER anne").reply("331 pass");
  server_.expectLine("PASS secret").reply("230 in").expectLine("FEAT").reply("500 unknown");
  scriptListing(documents);
  server_.expectLine("CWD " + documents).reply("250 Changed");
  // The same folder again: its listing comes from the cache.
  server_.expectLine("PWD").reply("257 \"" + documents + "\" is the current directory.");
  server_.expectLine("CWD " + fresh).reply("250 Changed");
  scriptListing(fresh);
  connect();
  EXPECT_THAT(engine_->takeView().remoteFolders, ElementsAre("/док"));
  engine_->enterRemoteFolder("/док");
  engine_->enterRemoteFolder("/новая");
  engine_->enterRemoteFolder("/日本");
  expectScriptDone();
  const EngineView view = engine_->takeView();
  EXPECT_EQ(view.remoteFolder, fresh);
  EXPECT_THAT(view.remoteFolders, Contains("/новая"));
  EXPECT_THAT(log_.history(),
              Contains("! \"/日本\" cannot be written in the server's charset CP1251"));
}

// The operation and the pane arrive by name; Delete on the remote pane asks,
// deletes and fetches the folder again.
TEST_F(EngineSideTest, RemoteDeleteByNameDeletesTheSelectedFileAndRelists) {
  scriptLogon();
  server_.expectLine("DELE notes.txt").reply("250 Deleted");
  scriptListing("/pub");
  connect();
  const listing::Selection notes = selectionOf(engine_->takeView().remoteItems, "notes.txt");
  ui_.answerDelete(DeleteAnswer::kYes);
  engine_->paneCommand(PaneOperation::kDelete, PaneSide::kRemote, notes);
  expectScriptDone();
  EXPECT_EQ(ui_.deleteQuestions().size(), 1u);
}

TEST_F(EngineSideTest, LocalMakeFolderByNameMakesTheFolderAndListsIt) {
  ui_.answerInput("reports");
  engine_->paneCommand(PaneOperation::kMakeFolder, PaneSide::kLocal, {});
  EXPECT_TRUE(fs::is_directory(fs::path(local_.path()) / "reports"));
  EXPECT_THAT(namesOf(engine_->takeView().localItems), Contains("reports"));
}

TEST_F(EngineSideTest, MenuCommandByNameSendsItsCommand) {
  scriptLogon();
  server_.expectLine("SYST").reply("215 UNIX Type: L8");
  connect();
  engine_->menuCommand(FtpMenuCommand::kSyst);
  expectScriptDone();
  EXPECT_THAT(log_.history(), Contains("215 UNIX Type: L8"));
}

// A selection download runs on the worker; its view reaches the sink once
// the worker is idle, with the file in the local pane.
TEST_F(EngineSideTest, SelectionDownloadHandsItsViewToTheSinkWhenTheWorkerEnds) {
  scriptLogon();
  server_.expectLine("TYPE I").reply("200 Binary");
  server_.expectLine("PASV").reply(ferrix::testing::passiveReply(dataPort_));
  server_.expectLine("RETR notes.txt").reply("150 Opening (12 bytes)");
  server_.acceptData().sendData("hello world\n").closeData().reply("226 Done");
  connect();
  const listing::Selection notes = selectionOf(engine_->takeView().remoteItems, "notes.txt");
  std::promise<EngineView> ended;
  engine_->setViewSink([&ended](EngineView view) { ended.set_value(std::move(view)); });
  ASSERT_TRUE(engine_->startTransfer(false, notes, false, false));
  std::future<EngineView> view = ended.get_future();
  ASSERT_EQ(view.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  expectScriptDone();
  EXPECT_THAT(namesOf(view.get().localItems), Contains("notes.txt"));
  std::ifstream file(fs::path(local_.path()) / "notes.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "hello world\n");
  EXPECT_FALSE(engine_->transferRunning());
}

TEST(EngineThread, RunsJobsOneAtATimeInTheOrderPosted) {
  std::vector<int> order;
  {
    EngineThread thread;
    for (int job = 0; job < 20; ++job) {
      ASSERT_TRUE(thread.post([&order, job] { order.push_back(job); }));
    }
    ASSERT_TRUE(thread.waitUntilIdle(std::chrono::seconds(5)));
    thread.finish();
    EXPECT_FALSE(thread.post([] {}));
  }
  ASSERT_EQ(order.size(), 20u);
  for (int job = 0; job < 20; ++job) EXPECT_EQ(order[job], job);
}

}  // namespace
}  // namespace ferrix::shell
