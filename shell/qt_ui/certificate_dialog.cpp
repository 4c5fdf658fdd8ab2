#include "shell/qt_ui/certificate_dialog.h"

#include <QPushButton>

namespace ferrix::shell {
namespace {

using CertificateAnswer = session::UserInterface::CertificateAnswer;

constexpr int kTrustOnce = 1;
constexpr int kAlwaysTrust = 2;
constexpr int kCancel = 3;

QString fromEngine(const std::string& text) { return QString::fromUtf8(text.c_str()); }

}  // namespace

QString CertificateDialog::describe(const session::UserInterface::CertificateQuestion& question) {
  const platform::TlsCertificate& certificate = question.certificate;
  QString text = tr("The certificate of %1:%2 is not trusted: %3.")
                     .arg(fromEngine(question.host))
                     .arg(question.port)
                     .arg(fromEngine(certificate.problem));
  if (!question.storedSha256.empty()) {
    text += "\n\n" + tr("WARNING: this server's certificate has CHANGED.\nStored SHA-256: %1")
                         .arg(fromEngine(question.storedSha256));
  }
  text += "\n\n" + tr("Subject: %1\nIssuer: %2\nValid from %3 to %4\nSHA-256: %5")
                       .arg(fromEngine(certificate.subject), fromEngine(certificate.issuer),
                            fromEngine(certificate.notBefore), fromEngine(certificate.notAfter),
                            fromEngine(certificate.sha256));
  return text;
}

CertificateDialog::CertificateDialog(QWidget* parent,
                                     const session::UserInterface::CertificateQuestion& question)
    : QuestionDialog(parent, tr("Untrusted Certificate"), describe(question), kCancel) {
  setObjectName("certificateDialog");
  addAnswer(tr("Trust &Once"), kTrustOnce, "trustOnce");
  addAnswer(tr("&Always Trust"), kAlwaysTrust, "alwaysTrust");
  QPushButton* cancel = addAnswer(tr("Cancel"), kCancel, "cancel");
  cancel->setDefault(true);
  cancel->setFocus();
}

CertificateAnswer CertificateDialog::answerOf(int result) {
  switch (result) {
    case kTrustOnce: return CertificateAnswer::kTrustOnce;
    case kAlwaysTrust: return CertificateAnswer::kAlwaysTrust;
    default: return CertificateAnswer::kCancel;
  }
}

}  // namespace ferrix::shell
