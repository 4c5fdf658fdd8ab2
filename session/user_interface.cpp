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

}  // namespace ferrix::session
