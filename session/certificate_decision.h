// Whether the session goes on with a server certificate. A certificate is
// accepted without a question when it verifies (chain, dates, name) and no
// other one is stored for the host, when it matches the site's CERTSHA256,
// or when it matches the trusted-certificates file. Otherwise the person is
// asked through the UserInterface port; with no one to ask, a site that only
// uses TLS when offered goes on encrypted with a warning, any other stops.
// A certificate that differs from the stored one is never accepted without
// a person, and the warning names both fingerprints.
//
// Thread rule: the thread that runs the logon.
#pragma once

#include <string>

#include "platform/tls_stream.h"
#include "session/session_state.h"
#include "session/user_interface.h"

namespace ferrix::session {

// Returns true to go on; every refusal is logged with a "! " line naming the
// host, the fingerprint and how to trust it.
bool acceptCertificate(Session& session, UserInterface& userInterface, const std::string& host,
                       int port, const platform::TlsCertificate& certificate);

}  // namespace ferrix::session
