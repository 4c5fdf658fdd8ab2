#include "testing/scripted_user_interface.h"

namespace ferrix::testing {

void ScriptedUserInterface::answerInput(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  inputAnswers_.push_back(std::move(text));
}

void ScriptedUserInterface::answerMessage(Answer answer) {
  std::lock_guard lock(mutex_);
  messageAnswers_.push_back(answer);
}

void ScriptedUserInterface::answerOverwrite(OverwriteAnswer answer) {
  std::lock_guard lock(mutex_);
  overwriteAnswers_.push_back(answer);
}

std::vector<ScriptedUserInterface::OverwriteQuestion> ScriptedUserInterface::overwriteQuestions()
    const {
  std::lock_guard lock(mutex_);
  return overwriteQuestions_;
}

session::UserInterface::OverwriteAnswer ScriptedUserInterface::AskOverwrite(
    std::string_view question, std::string_view caption, int batchCount) {
  std::lock_guard lock(mutex_);
  overwriteQuestions_.push_back({std::string(question), std::string(caption), batchCount});
  if (overwriteAnswers_.empty()) return OverwriteAnswer::kNo;
  const OverwriteAnswer answer = overwriteAnswers_.front();
  overwriteAnswers_.pop_front();
  return answer;
}

void ScriptedUserInterface::answerPermissions(std::optional<unsigned> digits) {
  std::lock_guard lock(mutex_);
  permissionAnswers_.push_back(digits);
}

std::optional<unsigned> ScriptedUserInterface::askPermissions(unsigned digits, int) {
  std::lock_guard lock(mutex_);
  permissionPresets_.push_back(digits);
  if (permissionAnswers_.empty()) return std::nullopt;
  const std::optional<unsigned> answer = permissionAnswers_.front();
  permissionAnswers_.pop_front();
  return answer;
}

std::vector<unsigned> ScriptedUserInterface::permissionPresets() const {
  std::lock_guard lock(mutex_);
  return permissionPresets_;
}

void ScriptedUserInterface::answerDelete(DeleteAnswer answer) {
  std::lock_guard lock(mutex_);
  deleteAnswers_.push_back(answer);
}

session::UserInterface::DeleteAnswer ScriptedUserInterface::askDelete(std::string_view question,
                                                                      int selectedCount) {
  std::lock_guard lock(mutex_);
  deleteQuestions_.push_back({std::string(question), selectedCount});
  if (deleteAnswers_.empty()) return DeleteAnswer::kCancel;
  const DeleteAnswer answer = deleteAnswers_.front();
  deleteAnswers_.pop_front();
  return answer;
}

std::vector<ScriptedUserInterface::DeleteQuestion> ScriptedUserInterface::deleteQuestions() const {
  std::lock_guard lock(mutex_);
  return deleteQuestions_;
}

void ScriptedUserInterface::answerFolderChoice(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  folderChoiceAnswers_.push_back(std::move(text));
}

bool ScriptedUserInterface::askFolderChoice(std::string& folder, std::string_view prompt,
                                            int helpTopic,
                                            const std::vector<std::string>& choices) {
  std::lock_guard lock(mutex_);
  folderChoices_.push_back({std::string(prompt), folder, helpTopic, choices});
  if (folderChoiceAnswers_.empty()) return false;
  std::optional<std::string> answer = std::move(folderChoiceAnswers_.front());
  folderChoiceAnswers_.pop_front();
  if (!answer) return false;
  folder = answer->substr(0, kMaxFolderChoiceLength);
  return true;
}

void ScriptedUserInterface::answerCertificate(CertificateAnswer answer) {
  std::lock_guard lock(mutex_);
  certificateAnswers_.push_back(answer);
}

session::UserInterface::CertificateAnswer ScriptedUserInterface::askCertificate(
    const CertificateQuestion& question) {
  std::lock_guard lock(mutex_);
  certificateQuestions_.push_back(question);
  if (certificateAnswers_.empty()) return CertificateAnswer::kNoOneToAsk;
  const CertificateAnswer answer = certificateAnswers_.front();
  certificateAnswers_.pop_front();
  return answer;
}

std::vector<session::UserInterface::CertificateQuestion>
ScriptedUserInterface::certificateQuestions() const {
  std::lock_guard lock(mutex_);
  return certificateQuestions_;
}

std::vector<ScriptedUserInterface::FolderChoice> ScriptedUserInterface::folderChoices() const {
  std::lock_guard lock(mutex_);
  return folderChoices_;
}

std::vector<ScriptedUserInterface::Shown> ScriptedUserInterface::prompts() const {
  std::lock_guard lock(mutex_);
  return prompts_;
}

std::vector<ScriptedUserInterface::Shown> ScriptedUserInterface::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<std::string> ScriptedUserInterface::windowTitles() const {
  std::lock_guard lock(mutex_);
  return windowTitles_;
}

std::optional<ScriptedUserInterface::RemoteCommands> ScriptedUserInterface::remoteCommands()
    const {
  std::lock_guard lock(mutex_);
  return remoteCommands_;
}

void ScriptedUserInterface::setWindowTitle(std::string_view title) {
  std::lock_guard lock(mutex_);
  windowTitles_.emplace_back(title);
}

void ScriptedUserInterface::enableRemoteCommands(bool makeFolder, bool rename, bool remove) {
  std::lock_guard lock(mutex_);
  remoteCommands_ = RemoteCommands{makeFolder, rename, remove};
}

session::UserInterface::Answer ScriptedUserInterface::messageBox(std::string_view text,
                                                                 std::string_view, Buttons,
                                                                 Icon) {
  std::lock_guard lock(mutex_);
  messages_.push_back({std::string(text), {}, 0, false});
  if (messageAnswers_.empty()) return Answer::kCancel;
  const Answer answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

bool ScriptedUserInterface::askText(InputKind kind, std::string_view prompt, int helpTopic,
                                    std::string& text) {
  std::lock_guard lock(mutex_);
  prompts_.push_back({std::string(prompt), text, helpTopic, kind == InputKind::kPassword});
  if (inputAnswers_.empty()) return false;
  std::optional<std::string> answer = std::move(inputAnswers_.front());
  inputAnswers_.pop_front();
  if (!answer) return false;
  text = *answer;
  return true;
}

void ScriptedUserInterface::openTransferStatus(TransferDisplay display, std::string_view) {
  std::lock_guard lock(mutex_);
  openDisplay_ = display;
}

void ScriptedUserInterface::showTransferProgress(std::string_view text,
                                                 std::optional<unsigned> percent) {
  std::function<void(std::string_view)> hook;
  {
    std::lock_guard lock(mutex_);
    progress_.push_back({std::string(text), percent});
    hook = progressHook_;
  }
  if (hook) hook(text);
}

void ScriptedUserInterface::setProgressHook(std::function<void(std::string_view text)> hook) {
  std::lock_guard lock(mutex_);
  progressHook_ = std::move(hook);
}

void ScriptedUserInterface::closeTransferStatus() {
  std::lock_guard lock(mutex_);
  openDisplay_.reset();
}

std::optional<session::UserInterface::TransferDisplay> ScriptedUserInterface::openDisplay() const {
  std::lock_guard lock(mutex_);
  return openDisplay_;
}

std::vector<ScriptedUserInterface::Progress> ScriptedUserInterface::progress() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

}  // namespace ferrix::testing
