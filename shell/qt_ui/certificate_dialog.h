// "Untrusted Certificate": why a server's certificate is not trusted, its
// subject, issuer, validity and SHA-256 fingerprint (and, when it changed,
// the fingerprint stored before, in a warning), with "Trust &Once",
// "&Always Trust" and "Cancel". The focus starts on Cancel; closing the
// dialog cancels.
//
// Thread rule: GUI thread only.
#pragma once

#include "session/user_interface.h"
#include "shell/qt_ui/question_dialog.h"

namespace ferrix::shell {

class CertificateDialog final : public QuestionDialog {
  Q_OBJECT

 public:
  CertificateDialog(QWidget* parent, const session::UserInterface::CertificateQuestion& question);

  static session::UserInterface::CertificateAnswer answerOf(int result);

  // The dialog's text for `question`.
  static QString describe(const session::UserInterface::CertificateQuestion& question);
};

}  // namespace ferrix::shell
