// The logon: turns the session profile into a logged-on control connection.
// It connects to the site or to a firewall, reads the greeting (picking up a
// scrambled-logon offer), runs the firewall scheme of the [FIREWALL] section
// and the USER/PASS/ACCT logon, asks the user for a missing user id,
// password or account, and sends the profile's initial commands.
//
// The greeting lines and the replies that may name the server go to the
// session's onGreetingLine hook, which the program points at the host-type
// check. The logon writes what it asks for into sessionProfile; the socket it
// returns is the caller's to store (connectWithRetries does).
//
// Thread rule: the engine thread that owns the control connection; the
// prompts block it until the user answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/firewall_settings.h"
#include "session/session_state.h"
#include "session/user_interface.h"

namespace ferrix::session {

inline constexpr int kHostTypePdp11Rsx11m = 6019;

// One logon attempt with the session profile; `firewall` is used only when
// the profile's FIREWALL flag is set, and the caller reads it afresh for each
// attempt (readFirewallSettings). Returns the control socket, or -1 after
// closing whatever it opened. A failure that clears cancelRequested lets
// connectWithRetries try again; one that leaves it set ends the retries.
int logon(Session& session, UserInterface& userInterface,
          const config::FirewallSettings& firewall);

// The command lines of INITCMD in order: every piece that ends at a ';'
// (even an empty one), then the rest when it is not empty.
std::vector<std::string> splitInitialCommands(std::string_view commands);

}  // namespace ferrix::session
