#include "session/user_interface.h"

namespace ferrix::session {

bool UserInterface::inputBox(std::string* destination, std::string_view prompt, int helpTopic) {
  return ask(InputKind::kText, destination, prompt, helpTopic);
}

bool UserInterface::passwordBox(std::string& destination, std::string_view prompt,
                                int helpTopic) {
  return ask(InputKind::kPassword, &destination, prompt, helpTopic);
}

bool UserInterface::ask(InputKind kind, std::string* destination, std::string_view prompt,
                        int helpTopic) {
  std::string text = destination != nullptr ? *destination : std::string();
  const bool confirmed = askText(kind, prompt, helpTopic, text);
  if (text.size() > kMaxInputLength) text.resize(kMaxInputLength);
  lastEnteredText_ = text;
  if (confirmed && destination != nullptr) *destination = text;
  return confirmed;
}

UserInterface::PartialDataAnswer UserInterface::askAboutPartialData(std::string_view question,
                                                                    bool resumeByDefault) {
  static_cast<void>(resumeByDefault);
  const std::string text = std::string(question) +
                           "\n\nYes resumes, No starts the download over, Cancel skips the file.";
  switch (messageBox(text, kProgramTitle, Buttons::kYesNoCancel, Icon::kQuestion)) {
    case Answer::kYes:
      return PartialDataAnswer::kResume;
    case Answer::kNo:
      return PartialDataAnswer::kOverwrite;
    case Answer::kOk:
    case Answer::kCancel:
      break;
  }
  return PartialDataAnswer::kSkip;
}

}  // namespace ferrix::session
