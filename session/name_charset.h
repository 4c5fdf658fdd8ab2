// The charset of the server's names on this connection. Names travel as the
// server's own bytes (kept as listed, sent back unchanged); what the panes,
// the log and local file names show is their UTF-8 form. A name a person
// typed (UTF-8) is converted to the server's charset before it is sent.
//
// Thread rule: reads SessionState; the thread that owns the session.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/session_state.h"

namespace ferrix::session {

// Decides SessionState::nameCharset from the site's CHARSET and the
// features the server listed: "auto" is UTF-8 when UTF8 is listed, else
// each name as it comes; a charset the C library cannot convert is taken as
// "auto" with a "+ " line.
void chooseNameCharset(Session& session);

// Whether the server is to be asked for UTF-8 names (OPTS UTF8 ON).
bool wantsUtf8Names(const SessionState& state);

// The UTF-8 form of the server's bytes `wire`: converted from the site's
// charset, or as it is when it is UTF-8; bytes that do not decode show as
// U+FFFD.
std::string shownName(const SessionState& state, std::string_view wire);

// shownName when it differs from `wire`; nothing when the bytes read as
// themselves, which on a UTF-8 session costs no copy.
std::optional<std::string> shownNameIfDifferent(const SessionState& state, std::string_view wire);

// The server's bytes for the UTF-8 name `shown`, or nothing when the
// server's charset has no form for one of its characters. With UTF-8 (or
// names taken as they come) the bytes are those of `shown`.
std::optional<std::string> wireName(const SessionState& state, std::string_view shown);

// wireName, logging a "! " line for a name that has no form.
std::optional<std::string> wireNameOrRefuse(Session& session, std::string_view shown);

}  // namespace ferrix::session
