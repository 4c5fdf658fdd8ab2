// The UserInterface port: everything the engine asks of a person or shows to
// one goes through this class. The desktop window, the console of unattended
// runs and the scripted tests each implement it.
//
// inputBox and passwordBox keep the shared rule of the input dialogs: the
// field is pre-filled with the destination's text (empty without one), the
// entered text (at most 255 characters) is always remembered as the last
// entered text, and on OK it is also copied to the destination.
//
// Thread rule: the engine calls it from its own thread; an implementation
// that owns widgets forwards the call to its GUI thread and waits.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tls_stream.h"

namespace ferrix::session {

// The main window's title and the caption of the program's message boxes.
inline constexpr const char* kProgramTitle = "Corvane FERRIX QX";

class UserInterface {
 public:
  enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
  enum class Icon { kNone, kInformation, kWarning, kError, kQuestion };
  enum class Answer { kOk, kCancel, kYes, kNo };

  static constexpr std::size_t kMaxInputLength = 255;

  virtual ~UserInterface() = default;

  // `helpTopic` 0 hides the Help button. Returns true on OK.
  bool inputBox(std::string* destination, std::string_view prompt, int helpTopic);
  bool passwordBox(std::string& destination, std::string_view prompt, int helpTopic);
  const std::string& lastEnteredText() const { return lastEnteredText_; }
  // Empties the remembered text, so a secret typed at a logon prompt never
  // pre-fills a later dialog.
  void forgetEnteredText() { lastEnteredText_.clear(); }

  virtual Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons,
                            Icon icon) = 0;

  // The overwrite question about a file that exists in the destination,
  // captioned with its name. "Yes to All" and "No to All" are offered only
  // for a batch of two or more files; closing the question answers kNo. The
  // values are the numbers of the question's buttons.
  enum class OverwriteAnswer { kYes = 6, kNo = 7, kYesToAll = 2420, kNoToAll = 2421 };
  virtual OverwriteAnswer AskOverwrite(std::string_view question, std::string_view caption,
                                       int batchCount) = 0;

  // The permission dialog: read, write and execute for owner, group and
  // other, preset from `digits` (three octal digits written as a decimal
  // number, 644). Returns the chosen digits the same way; nothing on Cancel.
  virtual std::optional<unsigned> askPermissions(unsigned digits, int helpTopic) = 0;

  // The delete confirmation ("Verify Deletion") with `question` as its text.
  // "Delete &All" and Cancel are offered only when `selectedCount` is 2 or
  // more; the focus starts on Yes; closing it answers kCancel. The values are
  // the results of the question's buttons.
  enum class DeleteAnswer { kYes = 6, kNo = 7, kDeleteAll = 4, kCancel = 2 };
  virtual DeleteAnswer askDelete(std::string_view question, int selectedCount) = 0;

  // A one-line prompt whose field also drops down `choices` (the remote
  // folders visited on this connection), pre-filled with `folder`. On OK
  // leaves the entered or chosen text, at most kMaxFolderChoiceLength
  // characters, in `folder` and returns true.
  static constexpr std::size_t kMaxFolderChoiceLength = 69;
  virtual bool askFolderChoice(std::string& folder, std::string_view prompt, int helpTopic,
                               const std::vector<std::string>& choices) = 0;

  // A server certificate that is not trusted: it failed verification, or it
  // differs from the one stored for this host and port (`storedSha256` then
  // names the stored fingerprint). kNoOneToAsk is the answer of an
  // implementation that cannot ask (unattended, quiet, no terminal); the
  // engine then decides by the site's TLS setting.
  struct CertificateQuestion {
    std::string host;
    int port = 0;
    platform::TlsCertificate certificate;
    std::string storedSha256;
  };
  enum class CertificateAnswer { kTrustOnce, kAlwaysTrust, kCancel, kNoOneToAsk };
  virtual CertificateAnswer askCertificate(const CertificateQuestion& question) = 0;

  // Partial data of an earlier download lies beside a file about to be
  // fetched: resume from it, start the file over, or skip it (closing the
  // question skips). `resumeByDefault` when its resume record matches.
  // Without a dialog of its own the port asks Yes (resume), No (start over)
  // or Cancel (skip) with messageBox.
  enum class PartialDataAnswer { kResume, kOverwrite, kSkip };
  virtual PartialDataAnswer askAboutPartialData(std::string_view question, bool resumeByDefault);

  // The main window's caption.
  virtual void setWindowTitle(std::string_view title) = 0;
  // Enables or disables the remote pane's make-folder, rename and delete
  // buttons.
  virtual void enableRemoteCommands(bool makeFolder, bool rename, bool remove) = 0;

  // The transfer status display: a dialog with a Cancel button that calls
  // requestCancel, or (HASH off) the send or receive status line of the
  // window. `percent` is set only while the size is known.
  enum class TransferDisplay { kDialog, kSendStatusLine, kReceiveStatusLine };
  virtual void openTransferStatus(TransferDisplay display, std::string_view statusText) = 0;
  virtual void showTransferProgress(std::string_view text, std::optional<unsigned> percent) = 0;
  virtual void closeTransferStatus() = 0;

 protected:
  enum class InputKind { kText, kPassword };
  // Shows a one-line prompt with `text` pre-filled; leaves the entered text
  // in `text` and returns true on OK.
  virtual bool askText(InputKind kind, std::string_view prompt, int helpTopic,
                       std::string& text) = 0;

 private:
  bool ask(InputKind kind, std::string* destination, std::string_view prompt, int helpTopic);

  std::string lastEnteredText_;
};

}  // namespace ferrix::session
