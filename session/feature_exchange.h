// Asking a freshly logged-on server what it offers (FEAT) and switching on
// what the session uses at once (OPTS UTF8 ON). The answer is kept in
// SessionState::features for the data channel, listings and transfers.
//
// Thread rule: runs on the thread that runs the logon.
#pragma once

#include <cstddef>

#include "session/session_state.h"

namespace ferrix::session {

// More lines than any real server lists; a reply longer than this is taken
// for one that never ends.
inline constexpr std::size_t kMaxFeatureLines = 1000;

// Sends FEAT and keeps the features of a 211 reply; any other reply means
// none. Chooses the name charset (name_charset.h) and sends OPTS UTF8 ON when
// UTF8 is listed and the site wants UTF-8 names (its reply is not examined).
// Returns false when the reply did not end within kMaxFeatureLines lines:
// the connection is then out of step and must be closed.
// Requires: the logon succeeded on `controlSocket`.
bool exchangeFeatures(Session& session, int controlSocket);

}  // namespace ferrix::session
