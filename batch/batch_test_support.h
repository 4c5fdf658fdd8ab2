// Test support for selection, folder and drop transfers against the scripted
// FTP server: both panes with their folders, the remote listing around the
// scripted session (UNIX listings, host type known), a scratch local folder,
// and helpers that script the usual exchanges.
// Thread rule: one test thread (plus the server's and a worker's).
#pragma once

#include <ferrixcore.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_context.h"
#include "listing/listing_cache.h"
#include "listing/remote_listing.h"
#include "session/sound_events.h"
#include "transfer/scripted_transfer_test_support.h"

namespace ferrix::batch {

// Every line logged, beyond the sixty the log keeps.
class LoggedLines final : public session::MessageLogObserver {
 public:
  void lineAppended(std::string_view text) override { lines_.emplace_back(text); }
  void statusLinesChanged(const std::array<std::string, 3>&) override {}
  bool contains(const std::string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
  }

 private:
  std::vector<std::string> lines_;
};

class BatchTransferTest : public transfer::ScriptedTransferTest {
 protected:
  static constexpr std::int32_t kByName = 1;

  BatchTransferTest()
      : cache_(scratch_.makeFolder("temp")),
        ini_(scratch_ / "FERRIX.INI"),
        remote_{context(), cache_, remotePane_, remoteBox_, busy_, "/pub", {}},
        local_{localPane_, localBox_, {}, scratch_.makeFolder("local")} {
    session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_UNIX;
    session_.state.sessionProfile.profileName = "Work";
    session_.state.DetectionDone = 1;
    session_.state.sessionProfile.serverFeatureMask = 0;  // no MDTM after uploads
    session_.playSound = [this](int event) { sounds_.push_back(event); };
    state_.transferMode = 'I';
    state_.serverTransferType = 'I';
    logSettings_.dolog = 0;
    session_.state.replyTimeoutSeconds = 5;
    dataPort_ = server_.openPassiveDataListener();
    log_.addObserver(&lines_);
  }
  ~BatchTransferTest() override { log_.removeObserver(&lines_); }

  bool wasLogged(const std::string& line) const { return lines_.contains(line); }

  BatchTransfer batch() {
    return {remote_, local_, ini_, logSettings_, batchSettings_, gestures_, {}, {}, nullptr};
  }

  // A remote pane entry as a listing would give it.
  void addRemote(const std::string& name, std::int32_t kind, std::uint64_t size = 1,
                 std::uint16_t year = 2020) {
    listing::PaneItem item = listing::MakeNamedItem(listing::PaneSide::kRemote, kind, name);
    item.year = year;
    item.month = 1;
    item.day = 5;
    item.hour = 10;
    item.minute = 20;
    item.size = size;
    remotePane_.add(item);
  }

  // Index of `name` in `pane`.
  static std::size_t indexOf(const listing::PaneModel& pane, std::string_view name) {
    for (std::size_t i = 0; i < pane.size(); ++i) {
      if (pane.at(i).name() == name) return i;
    }
    ADD_FAILURE() << "no entry " << name;
    return pane.size();
  }

  std::vector<std::size_t> remoteIndexes(const std::vector<std::string>& names) const {
    std::vector<std::size_t> indexes;
    for (const std::string& name : names) indexes.push_back(indexOf(remotePane_, name));
    return indexes;
  }

  std::vector<std::size_t> localIndexes(const std::vector<std::string>& names) const {
    std::vector<std::size_t> indexes;
    for (const std::string& name : names) indexes.push_back(indexOf(localPane_, name));
    return indexes;
  }

  void listLocal() {
    listing::ShowLocalFolder(local_.folder, local_.options, localPane_, localBox_);
  }

  std::string localPath(const std::string& name) const { return (local_.folder / name).string(); }

  // "-rw-r--r-- ... name" for a file of `size` bytes dated 5 Jan 2020 10:20.
  static std::string fileLine(const std::string& name, std::uint64_t size) {
    return "-rw-r--r--   1 ann  staff  " + std::to_string(size) + " Jan  5  2020 " + name + "\r\n";
  }
  static std::string folderLine(const std::string& name) {
    return "drwxr-xr-x   2 ann  staff     512 Jan  5  2020 " + name + "\r\n";
  }

  void expectCwd(const std::string& folder, const std::string& reply = "250 OK") {
    server_.expectLine("CWD " + folder).reply(reply);
  }

  // Listings go in ASCII, files in binary: TYPE is sent when they alternate.
  void expectType(char type) {
    if (scriptType_ == type) return;
    server_.expectLine(std::string("TYPE ") + type).reply("200 Switching mode");
    scriptType_ = type;
  }

  // PWD answered with `folder`, then a passive LIST that delivers `lines`.
  void expectListing(const std::string& folder, const std::string& lines) {
    server_.expectLine("PWD").reply("257 \"" + folder + "\" is the current directory.");
    expectType('A');
    server_.expectLine("PASV")
        .reply(testing::passiveReply(dataPort_))
        .acceptData()
        .expectLine("LIST")
        .reply("150 Opening ASCII mode data connection")
        .sendData("total 1\r\n" + lines)
        .closeData()
        .reply("226 Transfer complete");
  }

  void expectRetrieve(const std::string& name, const std::string& bytes) {
    expectType('I');
    server_.expectLine("PASV")
        .reply(testing::passiveReply(dataPort_))
        .acceptData()
        .expectLine("RETR " + name)
        .reply("150 Opening BINARY mode data connection")
        .sendData(bytes)
        .closeData()
        .reply("226 Transfer complete");
  }

  void expectRetrieveRefused(const std::string& name) {
    expectType('I');
    server_.expectLine("PASV")
        .reply(testing::passiveReply(dataPort_))
        .acceptData()
        .expectLine("RETR " + name)
        .reply("550 Permission denied")
        .closeData();
  }

  void expectStore(const std::string& name) {
    expectType('I');
    server_.expectLine("PASV")
        .reply(testing::passiveReply(dataPort_))
        .acceptData()
        .expectLine("STOR " + name)
        .reply("150 Ok to send data")
        .receiveDataUntilClose()
        .reply("226 Transfer complete");
  }

  bool soundPlayed(int event) const {
    return std::find(sounds_.begin(), sounds_.end(), event) != sounds_.end();
  }

  listing::ListingCache cache_;
  listing::PaneModel remotePane_{listing::PaneSide::kRemote, kByName};
  listing::PaneModel localPane_{listing::PaneSide::kLocal, kByName};
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
  LoggedLines lines_;
  std::uint16_t dataPort_ = 0;
  char scriptType_ = 'I';
};

}  // namespace ferrix::batch
