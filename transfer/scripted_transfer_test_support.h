// Test support for transfers against the scripted FTP server: a session
// logged on to it, the transfer state around a scripted person, a scratch
// local folder, and for named files an INI file for the resume records.
// Thread rule: one test, one thread (plus the server's own).
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "platform/ini_file.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"
#include "transfer/file_transfer_context.h"
#include "transfer/transfer_context.h"

namespace ferrix::transfer {

// A session connected to the scripted FTP server, with the transfer state
// around a scripted person and a scratch local folder.
class ScriptedTransferTest : public ::testing::Test {
 protected:
  static constexpr std::chrono::milliseconds kScriptTime{5000};

  ScriptedTransferTest() : session_(log_, clock_, resolver_), status_(ui_, true, false) {
    nameRules_.asciiListPath = scratch_ / "FERRIX.EXT";
    nameRules_.conversionListPath = scratch_ / "FERRIX.CNV";
  }
  ~ScriptedTransferTest() override {
    if (session_.state.controlSocket != -1) platform::closeSocket(session_.state.controlSocket);
  }

  // Connects to the scripted server; the session counts as logged on.
  int connect() {
    server_.start();
    const int socket = session::openControlConnection(session_, "127.0.0.1", server_.port());
    session_.state.controlSocket = socket;
    session_.state.connected = 1;
    return socket;
  }

  TransferContext context() { return {session_, state_, status_, settings_, nameRules_, ui_}; }

  std::filesystem::path folder() const { return scratch_.path(); }

  void expectScriptDone() {
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), ::testing::IsEmpty());
  }

  bool logged(const std::string& line) const {
    const std::vector<std::string> history = log_.history();
    return std::find(history.begin(), history.end(), line) != history.end();
  }

  testing::ScratchFolder scratch_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  testing::ScriptedUserInterface ui_;
  TransferStatus status_;
  TransferState state_;
  TransferSettings settings_;
  NameRuleSettings nameRules_;
  testing::ScriptedFtpServer server_;
};

// The transfers of named files: a site profile, the INI file the resume
// records live in, and the two panes' listings.
class FileTransferTest : public ScriptedTransferTest {
 protected:
  FileTransferTest() : ini_(scratch_ / "FERRIX.INI"), localPane_(scratch_.path()) {
    session_.state.sessionProfile.profileName = "Work";
    session_.state.sessionProfile.hostName = "ftp.example.com";
    state_.transferMode = 'I';
    state_.serverTransferType = 'I';
    // Named absolute, the transfer log stays in the scratch folder.
    logSettings_.logfile = scratch_ / "FERRIX.LOG";
  }

  FileTransferContext files(const DestinationListing& destination) {
    return {session_.state.controlSocket, "/pub", scratch_.path(), destination, ini_, logSettings_};
  }

  TransferLogSettings logSettings_;
  platform::IniFile ini_;
  LocalFolderListing localPane_;
  ListedEntries remotePane_;
};

}  // namespace ferrix::transfer
