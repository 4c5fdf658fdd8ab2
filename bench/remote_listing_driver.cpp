// Times one remote folder listing the way the remote pane gets it: logon,
// CWD, then FetchRemoteListing (PWD, LIST into the cached listing file,
// decoding and ordering into the pane model). Prints the entry count and
// the seconds the fetch took; bench/remote_listing_vs_curl.sh runs it under
// /usr/bin/time beside curl and lftp on the same folder.
//
// Usage: ferrix_remote_listing_driver HOST PORT USER PASSWORD FOLDER
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/folder_history.h"
#include "listing/listing_cache.h"
#include "listing/pane_model.h"
#include "listing/remote_listing.h"
#include "platform/paths.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "shell/console_user_interface.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_status.h"

namespace {

using namespace ferrix;

constexpr std::int32_t kDefaultRemoteSort = 1;

bool logOn(session::Session& session, const char* host, int port, const char* user,
           const char* password, const char* folder) {
  const int control =
      session::openControlConnection(session, host, static_cast<std::uint16_t>(port));
  if (control == -1) return false;
  session.state.controlSocket = control;
  if (session::getReply(session, control) != 2) return false;
  if (session::sendCommand(session, control, "USER %s", user) != 3) return false;
  if (session::sendCommand(session, control, "PASS %s", password) != 2) return false;
  session.state.connected = 1;
  return session::sendCommand(session, control, "CWD %s", folder) == 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD FOLDER\n", argv[0]);
    return 2;
  }
  session::MessageLog log;
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  session::Session session(log, clock, resolver);
  session.state.sessionProfile.hostType = 6010;  // UNIX (standard), as vsftpd's SYST says
  session.state.DetectionDone = 1;
  shell::ConsoleUserInterface console(nullptr, stdout, stderr, true);
  if (!logOn(session, argv[1], std::atoi(argv[2]), argv[3], argv[4], argv[5])) {
    std::fprintf(stderr, "logon failed: %s\n", session.state.replyLine.c_str());
    return 1;
  }

  transfer::TransferStatus status(console, false, false);
  transfer::TransferState state;
  const transfer::TransferSettings settings;
  transfer::NameRuleSettings nameRules;
  nameRules.asciiListPath = platform::joinPath(platform::configFolder(), "FERRIX.EXT");
  listing::ListingCache cache(platform::tempFolder());
  listing::PaneModel pane(listing::PaneSide::kRemote, kDefaultRemoteSort);
  config::MemoryFolderList folderBox;
  transfer::TransferThreadBusy busy;
  listing::RemoteListing remote{
      {session, state, status, settings, nameRules, console}, cache, pane, folderBox, busy, {}, {}};

  const auto start = std::chrono::steady_clock::now();
  listing::FetchRemoteListing(remote, true);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  session::sendCommand(session, session.state.controlSocket, "QUIT");
  if (pane.size() < 2) {
    std::fprintf(stderr, "no entries listed\n");
    return 1;
  }
  std::printf("%zu entries in %.3f s\n", pane.size() - 1, seconds.count());
  return 0;
}
