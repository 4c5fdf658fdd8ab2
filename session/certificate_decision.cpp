#include "session/certificate_decision.h"

#include <optional>

#include "platform/tls_certificate_text.h"
#include "session/message_log.h"
#include "session/trusted_certificates.h"

namespace ferrix::session {
namespace {

using Answer = UserInterface::CertificateAnswer;

void logCertificate(Session& session, const platform::TlsCertificate& certificate) {
  session.log.logMessagef("+ Certificate subject: %s", certificate.subject.c_str());
  session.log.logMessagef("+ Certificate issuer: %s", certificate.issuer.c_str());
  session.log.logMessagef("+ Valid from %s to %s", certificate.notBefore.c_str(),
                          certificate.notAfter.c_str());
}

// Log lines are cut at 118 characters: each fingerprint gets a line of its own.
void logRefusal(Session& session, const std::string& host, int port, const std::string& sha256,
                const std::string& reason) {
  session.log.logMessagef("! The certificate of %s:%d is not trusted: %s", host.c_str(), port,
                          reason.c_str());
  session.log.logMessagef("! SHA-256 %s", sha256.c_str());
  session.log.logMessage("! To trust it, add to the site's section the line");
  session.log.logMessagef("! CERTSHA256=%s", sha256.c_str());
  session.log.logMessagef("! or to %s the line",
                          session.trustedCertificatesFile.empty()
                              ? "the trusted-certificates file"
                              : session.trustedCertificatesFile.c_str());
  session.log.logMessagef("! %s:%d %s", host.c_str(), port, sha256.c_str());
}

bool storeAnswer(Session& session, const std::string& host, int port, const std::string& sha256) {
  const TrustedCertificates trusted(session.trustedCertificatesFile);
  if (!trusted.store(host, port, sha256)) {
    session.log.logMessagef("! Could not store the certificate of %s:%d in %s", host.c_str(),
                            port, trusted.path().c_str());
  }
  return true;
}

// The decision when nobody can be asked.
bool decideUnattended(Session& session, const UserInterface::CertificateQuestion& question) {
  const platform::TlsCertificate& certificate = question.certificate;
  const bool whenOffered = session.state.sessionProfile.tls == config::SiteProfile::kTlsWhenOffered;
  if (whenOffered && question.storedSha256.empty()) {
    session.log.logMessagef("+ Going on encrypted with the unverified certificate of %s:%d: %s",
                            question.host.c_str(), question.port, certificate.problem.c_str());
    session.log.logMessagef("+ SHA-256 %s", certificate.sha256.c_str());
    return true;
  }
  logRefusal(session, question.host, question.port, certificate.sha256,
             question.storedSha256.empty() ? certificate.problem : "it changed");
  return false;
}

}  // namespace

bool acceptCertificate(Session& session, UserInterface& userInterface, const std::string& host,
                       int port, const platform::TlsCertificate& certificate) {
  const std::string pinned =
      platform::canonicalFingerprint(session.state.sessionProfile.certificateSha256);
  if (!pinned.empty() && pinned == certificate.sha256) return true;
  const std::optional<std::string> stored =
      TrustedCertificates(session.trustedCertificatesFile).find(host, port);
  if (stored && *stored == certificate.sha256) return true;

  UserInterface::CertificateQuestion question{host, port, certificate, {}};
  if (!pinned.empty() || stored) {
    question.storedSha256 = !pinned.empty() ? pinned : *stored;
    session.log.logMessagef("! WARNING: the certificate of %s:%d has CHANGED", host.c_str(),
                            port);
    session.log.logMessagef("! It was SHA-256 %s", question.storedSha256.c_str());
    session.log.logMessagef("! It is  SHA-256 %s", certificate.sha256.c_str());
  } else if (certificate.verified) {
    return true;
  }
  if (question.certificate.problem.empty()) question.certificate.problem = "it changed";
  logCertificate(session, certificate);
  switch (userInterface.askCertificate(question)) {
    case Answer::kTrustOnce: return true;
    case Answer::kAlwaysTrust: return storeAnswer(session, host, port, certificate.sha256);
    case Answer::kNoOneToAsk: return decideUnattended(session, question);
    case Answer::kCancel: break;
  }
  session.log.logMessagef("! The certificate of %s:%d was not accepted", host.c_str(), port);
  return false;
}

}  // namespace ferrix::session
