// AUTH TLS against a scripted server that never speaks TLS: what a refusal
// does by the site's TLS setting, and that a handshake that fails (garbage,
// or the server closing) stops the logon before USER, never falling back to
// clear text.
#include "session/tls_negotiation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "config/firewall_settings.h"
#include "platform/clock.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

using config::SiteProfile;
using ::testing::HasSubstr;
using testing::ScriptedFtpServer;

constexpr std::chrono::milliseconds kScriptTime{5000};

struct Case {
  const char* name;
  int tls;
  std::function<void(ScriptedFtpServer&)> afterAuth;
  bool loggedOn;
  const char* logged;
};

const Case kCases[] = {
    {"refused, TLS when offered: clear text, said so", SiteProfile::kTlsWhenOffered,
     [](ScriptedFtpServer& server) {
       server.reply("530 not here").expectLine("USER anne").reply("230 in");
     },
     true, "+ 127.0.0.1 does not offer TLS: this connection is not encrypted"},
    {"refused, TLS required: stops", SiteProfile::kTlsRequired,
     [](ScriptedFtpServer& server) { server.reply("500 unknown").waitForClientClose(); }, false,
     "! 127.0.0.1 refused AUTH TLS: 500 unknown"},
    {"garbage instead of a handshake", SiteProfile::kTlsRequired,
     [](ScriptedFtpServer& server) {
       server.reply("234 go").send(std::string(300, 'x') + "\r\n").waitForClientClose();
     },
     false, "! TLS handshake with 127.0.0.1 failed: "},
    {"garbage, TLS when offered: no fallback either", SiteProfile::kTlsWhenOffered,
     [](ScriptedFtpServer& server) {
       server.reply("234 go").send("220 plain again\r\n").waitForClientClose();
     },
     false, "! TLS handshake with 127.0.0.1 failed: "},
    {"closed during the handshake", SiteProfile::kTlsRequired,
     [](ScriptedFtpServer& server) { server.reply("234 go").closeConnection(); }, false,
     "! TLS handshake with 127.0.0.1 failed: "},
};

TEST(AuthTls, RefusalsAndFailedHandshakes) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScriptedFtpServer server;
    server.reply("220 ready").expectLine("AUTH TLS");
    c.afterAuth(server);
    server.start();

    MessageLog log;
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    Session session(log, clock, resolver);
    testing::ScriptedUserInterface ui;
    SiteProfile& profile = session.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server.port();
    profile.userId = "anne";
    profile.password = "secret";
    profile.tls = c.tls;
    // A short answer that is no TLS record leaves the handshake waiting for the
    // rest of the "record": it ends at the time limit.
    profile.timeoutSeconds = 2;
    const int control = logon(session, ui, config::FirewallSettings{});
    EXPECT_EQ(control != platform::kInvalidSocket, c.loggedOn);
    std::string text;
    for (const std::string& line : log.history()) text += line + "\n";
    EXPECT_THAT(text, HasSubstr(c.logged)) << text;
    if (control != platform::kInvalidSocket) platform::closeSocket(control);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), ::testing::IsEmpty()) << text;
    if (!c.loggedOn) {
      EXPECT_THAT(server.receivedLines(), ::testing::Not(::testing::Contains(HasSubstr("USER"))));
      EXPECT_EQ(session.state.cancelRequested, 1) << "no retry after a TLS failure";
    }
  }
}

}  // namespace
}  // namespace ferrix::session
