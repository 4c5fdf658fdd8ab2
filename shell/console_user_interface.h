// The UserInterface of unattended runs without a window: prompts on the
// terminal when one is attached (none in quiet mode or without a terminal,
// which answers Cancel), message boxes as lines on standard error, and a
// progress line that rewrites itself while a transfer runs on a terminal.
// Also prints every message-log line on standard output.
//
// Thread rule: used by the one thread that runs the unattended transfer.
#pragma once

#include <cstdio>
#include <string>

#include "session/message_log.h"
#include "session/user_interface.h"

namespace ferrix::shell {

class ConsoleUserInterface final : public session::UserInterface,
                                   public session::MessageLogObserver {
 public:
  // `input` answers prompts when it is a terminal and `quiet` is off;
  // `output` gets log lines, `errors` messages and the progress line.
  ConsoleUserInterface(std::FILE* input, std::FILE* output, std::FILE* errors, bool quiet);

  Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons,
                    Icon icon) override;
  // Asked on a terminal; otherwise answered as by nobody there: kNo.
  OverwriteAnswer AskOverwrite(std::string_view question, std::string_view caption,
                               int batchCount) override;
  // Asked on a terminal as three octal digits; otherwise Cancel.
  std::optional<unsigned> askPermissions(unsigned digits, int helpTopic) override;
  // Asked on a terminal; otherwise answered as by nobody there: kCancel.
  DeleteAnswer askDelete(std::string_view question, int selectedCount) override;
  // A text prompt on a terminal that lists the choices first; otherwise
  // Cancel.
  bool askFolderChoice(std::string& folder, std::string_view prompt, int helpTopic,
                       const std::vector<std::string>& choices) override;
  // Shows the certificate and asks on a terminal; otherwise kNoOneToAsk.
  CertificateAnswer askCertificate(const CertificateQuestion& question) override;
  void setWindowTitle(std::string_view title) override;
  void enableRemoteCommands(bool makeFolder, bool rename, bool remove) override;
  void openTransferStatus(TransferDisplay display, std::string_view statusText) override;
  void showTransferProgress(std::string_view text, std::optional<unsigned> percent) override;
  void closeTransferStatus() override;

  void lineAppended(std::string_view text) override;
  void statusLinesChanged(const std::array<std::string, 3>& lines) override;

  void setQuiet(bool quiet) { quiet_ = quiet; }
  // Where log lines go from now on: standard error when standard output
  // carries data (a piped download, a JSON listing).
  void setLogOutput(std::FILE* output) { output_ = output; }

 protected:
  bool askText(InputKind kind, std::string_view prompt, int helpTopic, std::string& text) override;

 private:
  bool canAsk() const;
  void clearProgressLine();

  std::FILE* input_;
  std::FILE* output_;
  std::FILE* errors_;
  bool quiet_;
  bool progressShown_ = false;
  std::string lastPrintedLine_;
};

}  // namespace ferrix::shell
