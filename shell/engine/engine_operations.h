// The operations the window asks of its engine side, by name. The window
// maps its command numbers (buttons, menus, accelerators) onto these; the
// engine side never sees a window command number.
//
// Thread rule: plain values, safe from any thread.
#pragma once

namespace ferrix::shell {

// A pane's folder and file commands; chmod exists on the remote side only.
enum class PaneOperation {
  kChangeFolder,
  kMakeFolder,
  kDeleteFolder,
  kRefresh,
  kDelete,
  kRename,
  kMove,
  kChmod,
};

// The "FTP Commands" menu.
enum class FtpMenuCommand {
  kCwd,
  kPwd,
  kHelp,
  kSyst,
  kSite,
  kList,
  kNlst,
  kQuote,
  kRetr,
  kStor,
};

}  // namespace ferrix::shell
