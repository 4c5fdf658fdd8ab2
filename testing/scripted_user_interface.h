// A UserInterface that answers from queues a test fills, and records every
// prompt and message it was shown, the window titles and the state of the
// remote command buttons. An empty queue answers Cancel.
// Thread rule: one test thread; the engine may call it from its own thread
// while the test waits (the queues are guarded).
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "session/user_interface.h"

namespace ferrix::testing {

class ScriptedUserInterface final : public session::UserInterface {
 public:
  struct Shown {
    std::string text;  // the prompt or message text
    std::string prefilled;  // input dialogs: the text the field started with
    int helpTopic = 0;      // input dialogs
    bool masked = false;    // input dialogs: a password box
  };

  // The next input dialog answers OK with `text`, or Cancel with nothing.
  void answerInput(std::optional<std::string> text);
  void answerMessage(Answer answer);
  // The next permission dialog answers OK with `digits`, or Cancel with
  // nothing (also with none queued).
  void answerPermissions(std::optional<unsigned> digits);
  // The next overwrite question gets `answer`; with none queued it is closed
  // (kNo).
  void answerOverwrite(OverwriteAnswer answer);

  // The next delete confirmation gets `answer`; with none queued it is
  // closed (kCancel).
  void answerDelete(DeleteAnswer answer);
  // The next folder choice answers OK with `text`, or Cancel with nothing
  // (also with none queued).
  void answerFolderChoice(std::optional<std::string> text);

  // The next certificate question gets `answer`; with none queued it is
  // answered as by nobody there (kNoOneToAsk).
  void answerCertificate(CertificateAnswer answer);
  std::vector<CertificateQuestion> certificateQuestions() const;

  std::vector<Shown> prompts() const;
  std::vector<Shown> messages() const;
  struct OverwriteQuestion {
    std::string question;
    std::string caption;
    int batchCount = 0;
  };
  std::vector<OverwriteQuestion> overwriteQuestions() const;
  struct DeleteQuestion {
    std::string question;
    int selectedCount = 0;
  };
  std::vector<DeleteQuestion> deleteQuestions() const;
  struct FolderChoice {
    std::string prompt;
    std::string prefilled;
    int helpTopic = 0;
    std::vector<std::string> choices;
  };
  std::vector<FolderChoice> folderChoices() const;
  // The preset of every permission dialog shown, oldest first.
  std::vector<unsigned> permissionPresets() const;
  // Every caption set, oldest first.
  std::vector<std::string> windowTitles() const;
  // The last state of the remote command buttons, if ever set.
  struct RemoteCommands {
    bool makeFolder = false;
    bool rename = false;
    bool remove = false;
    bool operator==(const RemoteCommands&) const = default;
  };
  std::optional<RemoteCommands> remoteCommands() const;

  Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons,
                    Icon icon) override;
  OverwriteAnswer AskOverwrite(std::string_view question, std::string_view caption,
                               int batchCount) override;
  std::optional<unsigned> askPermissions(unsigned digits, int helpTopic) override;
  DeleteAnswer askDelete(std::string_view question, int selectedCount) override;
  bool askFolderChoice(std::string& folder, std::string_view prompt, int helpTopic,
                       const std::vector<std::string>& choices) override;
  CertificateAnswer askCertificate(const CertificateQuestion& question) override;
  void setWindowTitle(std::string_view title) override;
  void enableRemoteCommands(bool makeFolder, bool rename, bool remove) override;

  struct Progress {
    std::string text;
    std::optional<unsigned> percent;
  };
  void openTransferStatus(TransferDisplay display, std::string_view statusText) override;
  void showTransferProgress(std::string_view text, std::optional<unsigned> percent) override;
  void closeTransferStatus() override;
  std::optional<TransferDisplay> openDisplay() const;
  std::vector<Progress> progress() const;
  // Runs on the engine's thread with every progress text shown, after it is
  // recorded: lets a test act at a given point of a transfer.
  void setProgressHook(std::function<void(std::string_view text)> hook);

 protected:
  bool askText(InputKind kind, std::string_view prompt, int helpTopic,
               std::string& text) override;

 private:
  mutable std::mutex mutex_;
  std::deque<std::optional<std::string>> inputAnswers_;
  std::deque<Answer> messageAnswers_;
  std::deque<OverwriteAnswer> overwriteAnswers_;
  std::vector<OverwriteQuestion> overwriteQuestions_;
  std::deque<std::optional<unsigned>> permissionAnswers_;
  std::vector<unsigned> permissionPresets_;
  std::deque<DeleteAnswer> deleteAnswers_;
  std::vector<DeleteQuestion> deleteQuestions_;
  std::deque<std::optional<std::string>> folderChoiceAnswers_;
  std::vector<FolderChoice> folderChoices_;
  std::deque<CertificateAnswer> certificateAnswers_;
  std::vector<CertificateQuestion> certificateQuestions_;
  std::vector<Shown> prompts_;
  std::vector<Shown> messages_;
  std::vector<std::string> windowTitles_;
  std::optional<RemoteCommands> remoteCommands_;
  std::optional<TransferDisplay> openDisplay_;
  std::vector<Progress> progress_;
  std::function<void(std::string_view)> progressHook_;
};

}  // namespace ferrix::testing
