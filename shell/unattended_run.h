// The unattended transfer named on the command line: classify source and
// destination, take the site's settings, connect with retries, transfer one
// file or a wildcard group (NLST), and report the outcome in the log, by
// sound and (unless quiet) in a message box. Each completed file gets its
// line in the transfer log; "-" as the local side streams standard output
// or input instead of a file. Names the server hands out are used only when
// they stay inside the destination folder.
//
// Thread rule: runs on the one thread that owns the session.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "config/command_line.h"
#include "config/configuration.h"
#include "config/site_profile_store.h"
#include "session/session_state.h"
#include "session/user_interface.h"
#include "transfer/transfer_context.h"

namespace ferrix::shell {

enum class UnattendedResult { kFailed = 0, kSucceeded = 1, kStayConnected = 2, kBadArguments = 3 };

// The process exit status for a run's result: 0 success, 1 failure, 2 an
// argument that cannot be used.
int UnattendedExitStatus(UnattendedResult result);

// The local argument "-": standard output as a destination, standard input
// as a source.
inline constexpr char kStandardStream[] = "-";

// Results of one transfer step.
inline constexpr int kStepSucceeded = 2;
inline constexpr int kStepFailed = 5;
inline constexpr int kStepRemoteFolder = 6;

struct UnattendedRun {
  session::Session& session;
  session::UserInterface& userInterface;
  config::Configuration& configuration;
  config::SiteProfileStore& sites;
  transfer::TransferContext& transfer;
  // One connect-and-logon attempt; the control socket or -1.
  std::function<int(session::Session&)> logon;
  // Detects the host type of a new connection.
  std::function<void(session::Session&)> detectHostType;
};

// Runs the transfer from values.source to values.destination. A URL's user,
// password, port, type and TLS choice override the site's; without a
// password, ~/.netrc may give one.
UnattendedResult RunUnattendedTransfer(UnattendedRun& run, const config::CommandLineValues& values);

// For a run left connected in a remote folder with no window to show it:
// receives the folder's listing (LIST, or MLSD for that host type) into a
// temporary file, decodes it for the session's host type and prints one
// line per entry to `out`, as ferrix-decode does: name, kind, size, date and
// time, mode, separated by tabs, or with `json` one JSON object per line.
// False when the listing could not be had.
bool PrintRemoteFolderListing(UnattendedRun& run, std::FILE* out, bool json);

}  // namespace ferrix::shell
