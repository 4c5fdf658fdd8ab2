// QtUserInterface: the desktop window's implementation of the UserInterface
// port. It is constructed on the GUI thread with the main window as parent;
// its dialogs are owned by that window.
//
// Thread rule: every port call may come from any thread. On the GUI thread a
// question shows its dialog at once; from another thread it is handed to the
// GUI thread and the caller waits for the answer. Effects that answer nothing
// (window title, remote command buttons, the status lines of a transfer
// without its dialog) are signals, queued to the window's thread. After
// shutDown() every question answers at once as if cancelled, and a caller
// already waiting is released, so the GUI thread may join the engine thread.
// The setters are for the GUI thread, before the engine starts.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/user_interface.h"
#include "shell/qt_ui/help_keys.h"

class QDialog;
class QWidget;

namespace ferrix::shell {

class TransferStatusDialog;

class QtUserInterface : public QObject, public session::UserInterface {
  Q_OBJECT

 public:
  // The `line` of statusLineProgress: the send or the receive status field.
  static constexpr int kSendStatusLine = 1;
  static constexpr int kReceiveStatusLine = 2;

  explicit QtUserInterface(QWidget* parentWidget);
  ~QtUserInterface() override;

  // The window the dialogs belong to, for a port made before its window
  // (the window takes the port when it is constructed).
  void setDialogParent(QWidget* parentWidget);
  // What the transfer status dialog's Cancel calls (on the GUI thread).
  void setCancelHandler(std::function<void()> cancel);
  // Shows a help topic for the dialogs' Help buttons and F1/F2.
  void setHelpHandler(HelpHandler showHelp);
  void shutDown();

  Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons,
                    Icon icon) override;
  OverwriteAnswer AskOverwrite(std::string_view question, std::string_view caption,
                               int batchCount) override;
  std::optional<unsigned> askPermissions(unsigned digits, int helpTopic) override;
  DeleteAnswer askDelete(std::string_view question, int selectedCount) override;
  bool askFolderChoice(std::string& folder, std::string_view prompt, int helpTopic,
                       const std::vector<std::string>& choices) override;
  CertificateAnswer askCertificate(const CertificateQuestion& question) override;
  PartialDataAnswer askAboutPartialData(std::string_view question, bool resumeByDefault) override;
  void setWindowTitle(std::string_view title) override;
  void enableRemoteCommands(bool makeFolder, bool rename, bool remove) override;
  void openTransferStatus(TransferDisplay display, std::string_view statusText) override;
  void showTransferProgress(std::string_view text, std::optional<unsigned> percent) override;
  void closeTransferStatus() override;

  // The open transfer status dialog, if any (GUI thread).
  TransferStatusDialog* transferStatusDialog() const;

 signals:
  void windowTitleChanged(QString title);
  void remoteCommandsEnabled(bool makeFolder, bool rename, bool remove);
  void statusLineProgress(int line, QString text);

 protected:
  bool askText(InputKind kind, std::string_view prompt, int helpTopic, std::string& text) override;

 private:
  // Runs `question` on the GUI thread and returns its answer, or
  // `unanswered` once shut down.
  template <typename T>
  T ask(std::function<T()> question, T unanswered);
  // Runs `effect` on the GUI thread: now when called there, else queued in
  // call order.
  void onGuiThread(std::function<void()> effect);
  // exec() of a question dialog that shutDown() can close.
  int execQuestion(QDialog& dialog);
  bool isShutDown() const;
  void bringUpMinimizedWindow();

  void openStatusDialog(const QString& statusText);
  void closeStatusDialog();

  QWidget* parentWidget_;
  std::function<void()> cancel_;
  HelpHandler showHelp_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool shutDown_ = false;                   // guarded by mutex_
  int waiting_ = 0;                         // callers waiting for an answer; guarded by mutex_
  std::optional<TransferDisplay> display_;  // guarded by mutex_

  // GUI thread only.
  std::vector<QPointer<QDialog>> openQuestions_;
  QPointer<TransferStatusDialog> statusDialog_;
  std::optional<QPoint> statusDialogPosition_;
};

}  // namespace ferrix::shell
