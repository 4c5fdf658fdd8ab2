// When and how the session secures its connections: AUTH TLS on the control
// connection before anything else is sent (or TLS from the first byte for
// implicit TLS), the certificate decision, PBSZ 0 and PROT P after the
// logon, and the handshake of every data connection, which offers the
// control connection's TLS session again.
//
// Failures are logged with a "! " line naming the cause; nothing falls back
// to clear text except a site whose TLS is only "when offered" and whose
// server refuses AUTH TLS, and that is said with a "+ " line.
//
// Thread rule: the thread that owns the exchange (engine or transfer worker).
#pragma once

#include <string>

#include "session/session_state.h"
#include "session/user_interface.h"

namespace ferrix::session {

// The handshake on the connected control socket and the certificate
// decision; `host` and `port` are the ones connected to. Returns false when
// the logon must stop (everything logged).
bool secureControlConnection(Session& session, UserInterface& userInterface, int socket,
                             const std::string& host, int port);

// AUTH TLS and the handshake, as the session profile's TLS setting asks.
// Returns false when the logon must stop.
bool negotiateExplicitTls(Session& session, UserInterface& userInterface, int socket,
                          const std::string& host, int port);

// PBSZ 0 and PROT P on a secured control connection (nothing on a plain
// one). Returns false when the server refused.
bool protectDataConnections(Session& session, int socket);

// The data connection's handshake when PROT P is in force. A failure is
// logged and leaves the socket's TLS stream broken, so the transfer fails
// rather than pass for an empty one.
void secureDataConnection(Session& session, int dataSocket);

// Forgets the TLS state of a closed control connection.
void resetTls(Session& session);

}  // namespace ferrix::session
