#include "shell/console_user_interface.h"

#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "session/message_log.h"

namespace ferrix::shell {
namespace {

using session::escapeControlCharacters;

// Turns terminal echo off for as long as it lives (password prompts).
class EchoOff {
 public:
  explicit EchoOff(int terminal) : terminal_(terminal) {
    if (tcgetattr(terminal_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = tcsetattr(terminal_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (active_) tcsetattr(terminal_, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int terminal_;
  termios saved_{};
  bool active_ = false;
};

bool readLine(std::FILE* input, std::string& line) {
  line.clear();
  for (int c = std::fgetc(input); c != EOF; c = std::fgetc(input)) {
    if (c == '\n') return true;
    if (c != '\r') line += static_cast<char>(c);
  }
  return !line.empty();
}

// "755" as 755; nothing unless the text is exactly three octal digits.
std::optional<unsigned> permissionDigits(const std::string& text) {
  if (text.size() != 3) return std::nullopt;
  unsigned digits = 0;
  for (const char c : text) {
    if (c < '0' || c > '7') return std::nullopt;
    digits = digits * 10 + static_cast<unsigned>(c - '0');
  }
  return digits;
}

}  // namespace

ConsoleUserInterface::ConsoleUserInterface(std::FILE* input, std::FILE* output,
                                           std::FILE* errors, bool quiet)
    : input_(input), output_(output), errors_(errors), quiet_(quiet) {}

bool ConsoleUserInterface::canAsk() const {
  return !quiet_ && input_ != nullptr && isatty(fileno(input_));
}

bool ConsoleUserInterface::askText(InputKind kind, std::string_view prompt, int,
                                   std::string& text) {
  if (!canAsk()) return false;
  clearProgressLine();
  const std::string shownPrompt = escapeControlCharacters(prompt);
  std::fprintf(errors_, "%s ", shownPrompt.c_str());
  if (kind == InputKind::kText && !text.empty()) {
    std::fprintf(errors_, "[%s] ", text.c_str());
  }
  std::fflush(errors_);
  std::string answer;
  bool answered;
  if (kind == InputKind::kPassword) {
    EchoOff echoOff(fileno(input_));
    answered = readLine(input_, answer);
    std::fputc('\n', errors_);
  } else {
    answered = readLine(input_, answer);
  }
  if (!answered) return false;
  if (kind == InputKind::kPassword || !answer.empty()) text = answer;
  return true;
}

session::UserInterface::Answer ConsoleUserInterface::messageBox(std::string_view text,
                                                                std::string_view caption,
                                                                Buttons buttons, Icon) {
  // A notice the log has just printed on this console is not printed twice.
  if (buttons == Buttons::kOk && text == lastPrintedLine_) return Answer::kOk;
  clearProgressLine();
  const std::string shownText = escapeControlCharacters(text);
  std::fprintf(errors_, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
               shownText.c_str());
  if (buttons == Buttons::kOk) return Answer::kOk;
  if (!canAsk()) return buttons == Buttons::kOkCancel ? Answer::kCancel : Answer::kNo;
  const bool yesNo = buttons != Buttons::kOkCancel;
  std::fprintf(errors_, yesNo ? "[y/n] " : "[o(k)/c(ancel)] ");
  std::fflush(errors_);
  std::string answer;
  readLine(input_, answer);
  const char first = answer.empty() ? '\0' : answer.front();
  if (yesNo) {
    if (first == 'y' || first == 'Y') return Answer::kYes;
    return buttons == Buttons::kYesNoCancel && first != 'n' && first != 'N' ? Answer::kCancel
                                                                             : Answer::kNo;
  }
  return first == 'o' || first == 'O' ? Answer::kOk : Answer::kCancel;
}

session::UserInterface::OverwriteAnswer ConsoleUserInterface::AskOverwrite(
    std::string_view question, std::string_view caption, int batchCount) {
  clearProgressLine();
  const std::string shownQuestion = escapeControlCharacters(question);
  std::fprintf(errors_, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
               shownQuestion.c_str());
  if (!canAsk()) return OverwriteAnswer::kNo;
  const bool batch = batchCount >= 2;
  std::fputs(batch ? "[y(es)/n(o)/a(ll yes)/s(kip all)] " : "[y/n] ", errors_);
  std::fflush(errors_);
  std::string answer;
  readLine(input_, answer);
  const int first = answer.empty() ? 0 : std::tolower(static_cast<unsigned char>(answer.front()));
  if (first == 'y') return OverwriteAnswer::kYes;
  if (batch && first == 'a') return OverwriteAnswer::kYesToAll;
  if (batch && first == 's') return OverwriteAnswer::kNoToAll;
  return OverwriteAnswer::kNo;
}

std::optional<unsigned> ConsoleUserInterface::askPermissions(unsigned digits, int) {
  if (!canAsk()) return std::nullopt;
  clearProgressLine();
  std::fprintf(errors_, "Remote file permissions (three octal digits) [%03u] ", digits);
  std::fflush(errors_);
  std::string answer;
  if (!readLine(input_, answer)) return std::nullopt;
  if (answer.empty()) return digits;
  return permissionDigits(answer);
}

session::UserInterface::DeleteAnswer ConsoleUserInterface::askDelete(std::string_view question,
                                                                     int selectedCount) {
  clearProgressLine();
  const std::string shownQuestion = escapeControlCharacters(question);
  std::fprintf(errors_, "Verify Deletion: %s\n", shownQuestion.c_str());
  if (!canAsk()) return DeleteAnswer::kCancel;
  const bool several = selectedCount >= 2;
  std::fputs(several ? "[y(es)/n(o)/a(ll)/c(ancel)] " : "[y/n] ", errors_);
  std::fflush(errors_);
  std::string answer;
  if (!readLine(input_, answer)) return DeleteAnswer::kCancel;
  const int first = answer.empty() ? 0 : std::tolower(static_cast<unsigned char>(answer.front()));
  if (first == 'y') return DeleteAnswer::kYes;
  if (several && first == 'a') return DeleteAnswer::kDeleteAll;
  if (several && first == 'c') return DeleteAnswer::kCancel;
  return DeleteAnswer::kNo;
}

bool ConsoleUserInterface::askFolderChoice(std::string& folder, std::string_view prompt,
                                           int helpTopic,
                                           const std::vector<std::string>& choices) {
  if (!canAsk()) return false;
  clearProgressLine();
  for (const std::string& choice : choices) {
    std::fprintf(errors_, "  %s\n", escapeControlCharacters(choice).c_str());
  }
  std::string text = folder;
  if (!askText(InputKind::kText, prompt, helpTopic, text)) return false;
  folder = text.substr(0, kMaxFolderChoiceLength);
  return true;
}

session::UserInterface::CertificateAnswer ConsoleUserInterface::askCertificate(
    const CertificateQuestion& question) {
  if (!canAsk()) return CertificateAnswer::kNoOneToAsk;
  clearProgressLine();
  const platform::TlsCertificate& certificate = question.certificate;
  std::fprintf(errors_, "The certificate of %s:%d is not trusted: %s\n", question.host.c_str(),
               question.port, certificate.problem.c_str());
  if (!question.storedSha256.empty()) {
    std::fprintf(errors_, "WARNING: it CHANGED. Stored SHA-256: %s\n",
                 question.storedSha256.c_str());
  }
  std::fprintf(errors_, "  Subject: %s\n  Issuer: %s\n  Valid: %s to %s\n  SHA-256: %s\n",
               certificate.subject.c_str(), certificate.issuer.c_str(),
               certificate.notBefore.c_str(), certificate.notAfter.c_str(),
               certificate.sha256.c_str());
  std::fputs("[o(nce)/a(lways)/c(ancel)] ", errors_);
  std::fflush(errors_);
  std::string answer;
  if (!readLine(input_, answer)) return CertificateAnswer::kCancel;
  const int first = answer.empty() ? 0 : std::tolower(static_cast<unsigned char>(answer.front()));
  if (first == 'o') return CertificateAnswer::kTrustOnce;
  if (first == 'a') return CertificateAnswer::kAlwaysTrust;
  return CertificateAnswer::kCancel;
}

void ConsoleUserInterface::setWindowTitle(std::string_view) {}

void ConsoleUserInterface::enableRemoteCommands(bool, bool, bool) {}

void ConsoleUserInterface::openTransferStatus(TransferDisplay, std::string_view) {
  progressShown_ = false;
}

void ConsoleUserInterface::showTransferProgress(std::string_view text,
                                                std::optional<unsigned> percent) {
  if (quiet_ || !isatty(fileno(errors_)) || text.empty()) return;
  const std::string shown = escapeControlCharacters(text);
  if (percent) {
    std::fprintf(errors_, "\r%3u%% %s\033[K", *percent, shown.c_str());
  } else {
    std::fprintf(errors_, "\r%s\033[K", shown.c_str());
  }
  std::fflush(errors_);
  progressShown_ = true;
}

void ConsoleUserInterface::closeTransferStatus() { clearProgressLine(); }

void ConsoleUserInterface::clearProgressLine() {
  if (!progressShown_) return;
  std::fprintf(errors_, "\r\033[K");
  std::fflush(errors_);
  progressShown_ = false;
}

void ConsoleUserInterface::lineAppended(std::string_view text) {
  if (quiet_) return;
  clearProgressLine();
  std::fprintf(output_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(output_);
  lastPrintedLine_ = text;
}

void ConsoleUserInterface::statusLinesChanged(const std::array<std::string, 3>&) {}

}  // namespace ferrix::shell
