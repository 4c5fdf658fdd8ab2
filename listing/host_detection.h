// Host-type detection for the session: the check of greeting and logon
// replies while the host type is still "Automatic detect", and the SYST and
// HELP detection that runs once per connection before the first listing and
// sets the server capability flags (CanMkd, CanRmd, CanRename, CanDelete,
// UseCdup, DetectionDone) of the session state.
//
// The host-type names and the text tests belong to libferrixcore; this file
// drives them and writes the result into sessionProfile's host type.
//
// Thread rule: the engine thread that owns the control connection.
#pragma once

#include <string>

#include "session/session_state.h"
#include "session/user_interface.h"

namespace ferrix::listing {

// Tries one reply line while the host type is 6000 and takes a type the
// line names. Fits Session::onGreetingLine.
void CheckReplyForHostType(session::Session& session, const std::string& text);

// SYST, then HELP when SYST names nothing known; sets the capability flags
// and enables the remote pane's buttons by them. Requires a logged-on
// control connection.
void DetectHostType(session::Session& session, session::UserInterface& userInterface);

}  // namespace ferrix::listing
