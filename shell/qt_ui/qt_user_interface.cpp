#include "shell/qt_ui/qt_user_interface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <memory>

#include "shell/qt_ui/certificate_dialog.h"
#include "shell/qt_ui/delete_dialog.h"
#include "shell/qt_ui/folder_choice_dialog.h"
#include "shell/qt_ui/input_dialog.h"
#include "shell/qt_ui/message_box.h"
#include "shell/qt_ui/overwrite_dialog.h"
#include "shell/qt_ui/permissions_dialog.h"
#include "shell/qt_ui/transfer_status_dialog.h"

namespace ferrix::shell {
namespace {

QString fromEngine(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The engine's bytes for what the user left in a field: the original bytes
// of the pre-filled text or of a listed choice (which may not be UTF-8, coming
// from an older server), else the typed text in UTF-8.
std::string engineText(const QString& entered, const QString& shown, const std::string& initial,
                       const QStringList& shownChoices, const std::vector<std::string>& choices) {
  if (entered == shown) return initial;
  const qsizetype choice = shownChoices.indexOf(entered);
  if (choice >= 0) return choices[static_cast<std::size_t>(choice)];
  return entered.toStdString();
}

int statusLineOf(session::UserInterface::TransferDisplay display) {
  return display == session::UserInterface::TransferDisplay::kSendStatusLine
             ? QtUserInterface::kSendStatusLine
             : QtUserInterface::kReceiveStatusLine;
}

}  // namespace

QtUserInterface::QtUserInterface(QWidget* parentWidget)
    : QObject(parentWidget), parentWidget_(parentWidget) {}

QtUserInterface::~QtUserInterface() {
  shutDown();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return waiting_ == 0; });
}

void QtUserInterface::setDialogParent(QWidget* parentWidget) { parentWidget_ = parentWidget; }

void QtUserInterface::setCancelHandler(std::function<void()> cancel) {
  cancel_ = std::move(cancel);
}

void QtUserInterface::setHelpHandler(HelpHandler showHelp) { showHelp_ = std::move(showHelp); }

void QtUserInterface::shutDown() {
  {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
  }
  changed_.notify_all();
  onGuiThread([this] {
    for (const QPointer<QDialog>& dialog : openQuestions_) {
      if (dialog) dialog->reject();
    }
    closeStatusDialog();
  });
}

bool QtUserInterface::isShutDown() const {
  std::lock_guard lock(mutex_);
  return shutDown_;
}

template <typename T>
T QtUserInterface::ask(std::function<T()> question, T unanswered) {
  if (isShutDown()) return unanswered;
  if (QThread::currentThread() == thread()) {
    T answer = question();
    return isShutDown() ? unanswered : answer;
  }
  // Shared with the queued call, which may still run after this caller was
  // released by shutDown().
  struct Pending {
    std::optional<T> answer;
  };
  auto pending = std::make_shared<Pending>();
  QMetaObject::invokeMethod(
      this,
      [this, pending, question = std::move(question), unanswered] {
        T answer = isShutDown() ? unanswered : question();
        {
          std::lock_guard lock(mutex_);
          pending->answer = answer;
        }
        changed_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  ++waiting_;
  changed_.wait(lock, [&] { return pending->answer.has_value() || shutDown_; });
  --waiting_;
  const T answer = shutDown_ ? unanswered : *pending->answer;
  lock.unlock();
  changed_.notify_all();
  return answer;
}

void QtUserInterface::onGuiThread(std::function<void()> effect) {
  if (QThread::currentThread() == thread()) {
    effect();
    return;
  }
  QMetaObject::invokeMethod(this, std::move(effect), Qt::QueuedConnection);
}

int QtUserInterface::execQuestion(QDialog& dialog) {
  openQuestions_.emplace_back(&dialog);
  const int result = dialog.exec();
  std::erase(openQuestions_, QPointer<QDialog>(&dialog));
  return result;
}

session::UserInterface::Answer QtUserInterface::messageBox(std::string_view text,
                                                           std::string_view caption,
                                                           Buttons buttons, Icon icon) {
  return ask<Answer>(
      [this, text = fromEngine(text), caption = fromEngine(caption), buttons, icon] {
        const std::unique_ptr<QMessageBox> box =
            makeMessageBox(parentWidget_, text, caption, buttons, icon);
        execQuestion(*box);
        return messageBoxAnswer(*box, buttons);
      },
      closedAnswer(buttons));
}

session::UserInterface::PartialDataAnswer QtUserInterface::askAboutPartialData(
    std::string_view question, bool resumeByDefault) {
  return ask<PartialDataAnswer>(
      [this, question = fromEngine(question), resumeByDefault] {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(session::kProgramTitle),
                        question, QMessageBox::NoButton, parentWidget_);
        box.setObjectName(QStringLiteral("partialDataQuestion"));
        box.setTextFormat(Qt::PlainText);
        QPushButton* resume = box.addButton(QStringLiteral("&Resume"), QMessageBox::AcceptRole);
        QPushButton* overwrite =
            box.addButton(QStringLiteral("&Overwrite"), QMessageBox::DestructiveRole);
        QPushButton* skip = box.addButton(QStringLiteral("&Skip"), QMessageBox::RejectRole);
        box.setDefaultButton(resumeByDefault ? resume : overwrite);
        box.setEscapeButton(skip);
        execQuestion(box);
        if (box.clickedButton() == resume) return PartialDataAnswer::kResume;
        if (box.clickedButton() == overwrite) return PartialDataAnswer::kOverwrite;
        return PartialDataAnswer::kSkip;
      },
      PartialDataAnswer::kSkip);
}

session::UserInterface::OverwriteAnswer QtUserInterface::AskOverwrite(std::string_view question,
                                                                      std::string_view caption,
                                                                      int batchCount) {
  return ask<OverwriteAnswer>(
      [this, question = fromEngine(question), caption = fromEngine(caption), batchCount] {
        OverwriteDialog dialog(parentWidget_, question, caption, batchCount);
        return OverwriteDialog::answerOf(execQuestion(dialog));
      },
      OverwriteAnswer::kNo);
}

std::optional<unsigned> QtUserInterface::askPermissions(unsigned digits, int helpTopic) {
  return ask<std::optional<unsigned>>(
      [this, digits, helpTopic]() -> std::optional<unsigned> {
        PermissionsDialog dialog(parentWidget_, digits, helpTopic, showHelp_);
        if (execQuestion(dialog) != QDialog::Accepted) return std::nullopt;
        return dialog.digits();
      },
      std::nullopt);
}

session::UserInterface::DeleteAnswer QtUserInterface::askDelete(std::string_view question,
                                                                int selectedCount) {
  return ask<DeleteAnswer>(
      [this, question = fromEngine(question), selectedCount] {
        DeleteDialog dialog(parentWidget_, question, selectedCount);
        return DeleteDialog::answerOf(execQuestion(dialog));
      },
      DeleteAnswer::kCancel);
}

session::UserInterface::CertificateAnswer QtUserInterface::askCertificate(
    const CertificateQuestion& question) {
  return ask<CertificateAnswer>(
      [this, question] {
        CertificateDialog dialog(parentWidget_, question);
        return CertificateDialog::answerOf(execQuestion(dialog));
      },
      CertificateAnswer::kCancel);
}

bool QtUserInterface::askFolderChoice(std::string& folder, std::string_view prompt, int helpTopic,
                                      const std::vector<std::string>& choices) {
  QStringList shownChoices;
  for (const std::string& choice : choices) shownChoices << fromEngine(choice);
  const std::optional<std::string> chosen = ask<std::optional<std::string>>(
      [this, prompt = fromEngine(prompt), initial = folder, shownChoices, choices,
       helpTopic]() -> std::optional<std::string> {
        const QString shown = fromEngine(initial);
        FolderChoiceDialog dialog(parentWidget_, prompt, shown, shownChoices, helpTopic, showHelp_);
        if (execQuestion(dialog) != QDialog::Accepted) return std::nullopt;
        return engineText(dialog.text(), shown, initial, shownChoices, choices);
      },
      std::nullopt);
  if (!chosen) return false;
  folder = chosen->substr(0, kMaxFolderChoiceLength);
  return true;
}

bool QtUserInterface::askText(InputKind kind, std::string_view prompt, int helpTopic,
                              std::string& text) {
  struct Entered {
    bool confirmed = false;
    std::string text;
  };
  const Entered entered = ask<Entered>(
      [this, kind, prompt = fromEngine(prompt), helpTopic, initial = text] {
        bringUpMinimizedWindow();
        const QString shown = fromEngine(initial);
        InputDialog dialog(
            parentWidget_,
            kind == InputKind::kPassword ? InputDialog::Kind::kPassword : InputDialog::Kind::kText,
            prompt, shown, helpTopic, showHelp_);
        const bool confirmed = execQuestion(dialog) == QDialog::Accepted;
        return Entered{confirmed, engineText(dialog.text(), shown, initial, {}, {})};
      },
      Entered{false, text});
  text = entered.text;
  return entered.confirmed;
}

// An unattended run keeps the window minimized; a question must not hide
// behind it.
void QtUserInterface::bringUpMinimizedWindow() {
  if (parentWidget_ == nullptr || !parentWidget_->isMinimized()) return;
  parentWidget_->showNormal();
  parentWidget_->raise();
  parentWidget_->activateWindow();
}

void QtUserInterface::setWindowTitle(std::string_view title) {
  emit windowTitleChanged(fromEngine(title));
}

void QtUserInterface::enableRemoteCommands(bool makeFolder, bool rename, bool remove) {
  emit remoteCommandsEnabled(makeFolder, rename, remove);
}

void QtUserInterface::openTransferStatus(TransferDisplay display, std::string_view statusText) {
  {
    std::lock_guard lock(mutex_);
    display_ = display;
  }
  if (display != TransferDisplay::kDialog) return;
  onGuiThread([this, text = fromEngine(statusText)] { openStatusDialog(text); });
}

void QtUserInterface::showTransferProgress(std::string_view text, std::optional<unsigned> percent) {
  std::optional<TransferDisplay> display;
  {
    std::lock_guard lock(mutex_);
    display = display_;
  }
  if (!display) return;
  if (*display != TransferDisplay::kDialog) {
    emit statusLineProgress(statusLineOf(*display), fromEngine(text));
    return;
  }
  onGuiThread([this, text = fromEngine(text), percent] {
    if (statusDialog_) statusDialog_->showProgress(text, percent);
  });
}

void QtUserInterface::closeTransferStatus() {
  {
    std::lock_guard lock(mutex_);
    display_.reset();
  }
  onGuiThread([this] { closeStatusDialog(); });
}

TransferStatusDialog* QtUserInterface::transferStatusDialog() const { return statusDialog_; }

void QtUserInterface::openStatusDialog(const QString& statusText) {
  closeStatusDialog();
  if (isShutDown()) return;
  QWidget* const active = QApplication::activeWindow();
  statusDialog_ = new TransferStatusDialog(parentWidget_, statusText);
  // Another window the user works in (the log window, say) keeps the focus.
  if (active != nullptr && active != parentWidget_) {
    statusDialog_->setAttribute(Qt::WA_ShowWithoutActivating);
  }
  if (statusDialogPosition_) statusDialog_->move(*statusDialogPosition_);
  connect(statusDialog_, &TransferStatusDialog::cancelRequested, this, [this] {
    if (cancel_) cancel_();
  });
  connect(statusDialog_, &QDialog::finished, this, [this, dialog = statusDialog_.data()] {
    statusDialogPosition_ = dialog->pos();
    if (statusDialog_ == dialog) statusDialog_ = nullptr;
    dialog->deleteLater();
  });
  statusDialog_->show();
}

void QtUserInterface::closeStatusDialog() {
  if (statusDialog_) statusDialog_->accept();
}

}  // namespace ferrix::shell
