// TLS against vsftpd on loopback (TLS required for logons and data, session
// reuse required): many data connections in one session, and what becomes
// of a certificate nobody trusts, by the site's TLS setting and the answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "config/firewall_settings.h"
#include "platform/clock.h"
#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "session/tls_negotiation.h"
#include "session/trusted_certificates.h"
#include "testing/real_server_session.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

using config::SiteProfile;
using testing::FtpServerKind;
using testing::RealFtpServer;
using testing::ServerCertificate;
using ::testing::HasSubstr;
using ::testing::Not;
using Answer = UserInterface::CertificateAnswer;

std::string listOnce(Session& session, int control) {
  std::string received;
  DataExchangeRequest request;
  request.sendTransferCommand = [](Session& s, int c) { return sendCommandText(s, c, "LIST"); };
  request.moveData = [&received](Session& s, int dataSocket) {
    char buffer[4096];
    long count;
    while ((count = recvWithTimeout(s, dataSocket, buffer, sizeof buffer, 0, 5000)) > 0) {
      received.append(buffer, static_cast<std::size_t>(count));
    }
  };
  if (dataExchange(session, control, request).outcome != DataExchangeResult::Outcome::kDataMoved ||
      getReply(session, control) != 2) {
    return "(failed)";
  }
  return received;
}

TEST(TlsRealServer, FiftyDataConnectionsEachResumeTheSession) {
  testing::RealServerSession client(FtpServerKind::kVsftpdExplicitTls);
  ASSERT_EQ(client.logOn(), "");
  ASSERT_EQ(client.enterServedFolder(), 2);
  std::ofstream(client.server().servedFolder() / "hello.txt") << "hello\n";
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    ASSERT_THAT(listOnce(client.session(), client.control()), HasSubstr("hello.txt"))
        << client.logText();
  }
  EXPECT_THAT(client.logText(), Not(HasSubstr("did not resume")));
  EXPECT_EQ(client.quit(), 2);
}

// A logon of its own to a server whose certificate is self-signed.
class UntrustedCertificate : public ::testing::Test {
 protected:
  UntrustedCertificate()
      : server_(FtpServerKind::kVsftpdExplicitTls, testing::LoopbackFamily::kIpv4,
                ServerCertificate::kSelfSigned),
        session_(log_, clock_, resolver_) {
    session_.trustedCertificatesFile = platform::joinPath(scratch_.path(), "trusted-certificates");
  }

  // Logs on with `tls`; true when logged on (and then quits).
  bool logOn(int tls, const std::string& pinned = "") {
    EXPECT_EQ(server_.startError(), "");
    SiteProfile& profile = session_.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = server_.login().user;
    profile.password = server_.login().password;
    profile.tls = tls;
    profile.certificateSha256 = pinned;
    const int control = logon(session_, ui_, config::FirewallSettings{});
    if (control == platform::kInvalidSocket) return false;
    session_.state.controlSocket = control;
    sendCommand(session_, control, "QUIT");
    session_.state.controlSocket = closeControlSocket(session_, control);
    session_.state.connected = 0;
    resetTls(session_);
    return true;
  }

  std::string logText() const {
    std::string text;
    for (const std::string& line : log_.history()) text += line + "\n";
    return text;
  }

  // Everything the client sent after the AUTH TLS exchange, as logged.
  bool sentUser() const { return logText().find("\nUSER ") != std::string::npos; }

  testing::ScratchFolder scratch_;
  RealFtpServer server_;
  MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  Session session_;
  testing::ScriptedUserInterface ui_;
};

TEST_F(UntrustedCertificate, RequiredTlsUnattendedStopsBeforeUserAndSaysHowToTrust) {
  EXPECT_FALSE(logOn(SiteProfile::kTlsRequired));
  const std::string& sha256 = server_.certificateSha256();
  EXPECT_FALSE(sentUser()) << logText();
  const std::string hostAndPort = "127.0.0.1:" + std::to_string(server_.port());
  EXPECT_THAT(logText(), HasSubstr("! The certificate of " + hostAndPort + " is not trusted"));
  EXPECT_THAT(logText(), HasSubstr("\n! SHA-256 " + sha256 + "\n"));
  EXPECT_THAT(logText(), HasSubstr("\n! CERTSHA256=" + sha256 + "\n"));
  EXPECT_THAT(logText(), HasSubstr(session_.trustedCertificatesFile));
  EXPECT_THAT(logText(), HasSubstr("\n! " + hostAndPort + " " + sha256 + "\n"));
}

TEST_F(UntrustedCertificate, WhenOfferedUnattendedGoesOnEncryptedWithAWarning) {
  EXPECT_TRUE(logOn(SiteProfile::kTlsWhenOffered)) << logText();
  EXPECT_THAT(logText(), HasSubstr("+ Going on encrypted with the unverified certificate of "
                                   "127.0.0.1:" + std::to_string(server_.port())));
  EXPECT_THAT(logText(), HasSubstr("\n+ SHA-256 " + server_.certificateSha256() + "\n"));
}

TEST_F(UntrustedCertificate, AnswersDecide) {
  struct Case {
    const char* name;
    Answer answer;
    bool loggedOn;
    bool stored;
  };
  const Case cases[] = {
      {"trust once", Answer::kTrustOnce, true, false},
      {"cancel", Answer::kCancel, false, false},
      {"always trust", Answer::kAlwaysTrust, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.answerCertificate(c.answer);
    EXPECT_EQ(logOn(SiteProfile::kTlsRequired), c.loggedOn) << logText();
    const std::optional<std::string> stored =
        TrustedCertificates(session_.trustedCertificatesFile).find("127.0.0.1", server_.port());
    EXPECT_EQ(stored.has_value(), c.stored);
    if (stored) {
      EXPECT_EQ(*stored, server_.certificateSha256());
    }
  }
  // Stored: the next logon asks nothing.
  const std::size_t asked = ui_.certificateQuestions().size();
  EXPECT_TRUE(logOn(SiteProfile::kTlsRequired));
  EXPECT_EQ(ui_.certificateQuestions().size(), asked);
}

TEST_F(UntrustedCertificate, PinnedFingerprintIsAcceptedWithoutAQuestion) {
  std::string lowerCase = server_.certificateSha256();
  for (char& c : lowerCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(logOn(SiteProfile::kTlsRequired, lowerCase)) << logText();
  EXPECT_TRUE(ui_.certificateQuestions().empty());
  EXPECT_THAT(ui_.windowTitles(), ::testing::ElementsAre(HasSubstr("127.0.0.1 [TLSv1.")));
}

TEST_F(UntrustedCertificate, ChangedCertificateIsALoudWarningAndNeverAcceptedUnattended) {
  const std::string stored =
      "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:"
      "88:99";
  ASSERT_TRUE(TrustedCertificates(session_.trustedCertificatesFile)
                  .store("127.0.0.1", server_.port(), stored));
  EXPECT_FALSE(logOn(SiteProfile::kTlsWhenOffered));
  EXPECT_THAT(logText(), HasSubstr("has CHANGED\n! It was SHA-256 " + stored +
                                   "\n! It is  SHA-256 " + server_.certificateSha256() + "\n"));
  ASSERT_EQ(ui_.certificateQuestions().size(), 1u);
  EXPECT_EQ(ui_.certificateQuestions()[0].storedSha256, stored);
  EXPECT_FALSE(sentUser());
}

}  // namespace
}  // namespace ferrix::session
