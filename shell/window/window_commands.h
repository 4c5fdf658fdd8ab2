// The main window's command numbers and its control table: every button,
// header and field of the window with its caption and its tool-tip text.
// Commands arrive by these numbers from buttons, the context menu, the
// window menu and the accelerators, and MainWindow::dispatchCommand carries
// them out. Widgets carry object names that say what they do ("upload",
// "remoteDelete"), and the engine side gets named operations, never numbers.
//
// Thread rule: constant data, safe from any thread.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "listing/pane_item.h"
#include "shell/engine/engine_operations.h"

namespace ferrix::shell::command {

inline constexpr int kLocalList = 927;
inline constexpr int kRemoteList = 931;
inline constexpr int kLocalChangeFolder = 933;
inline constexpr int kRemoteChangeFolder = 934;
inline constexpr int kLocalMakeFolder = 935;
inline constexpr int kRemoteMakeFolder = 936;
inline constexpr int kLocalDeleteFolder = 937;
inline constexpr int kRemoteDeleteFolder = 938;
inline constexpr int kUpload = 939;    // "-->"
inline constexpr int kDownload = 940;  // "<--"
inline constexpr int kLocalView = 941;
inline constexpr int kRemoteView = 942;
inline constexpr int kLocalRefresh = 943;
inline constexpr int kRemoteRefresh = 944;
inline constexpr int kLocalDelete = 945;
inline constexpr int kRemoteDelete = 946;
inline constexpr int kLocalRename = 947;
inline constexpr int kRemoteRename = 948;
inline constexpr int kLocalDirInfo = 949;
inline constexpr int kRemoteDirInfo = 950;
inline constexpr int kLocalFolderBox = 960;
inline constexpr int kRemoteFolderBox = 961;
inline constexpr int kLocalSort = 964;
inline constexpr int kRemoteSort = 965;
inline constexpr int kChmod = 966;
inline constexpr int kEditFile = 967;
inline constexpr int kLocalMove = 968;
inline constexpr int kRemoteMove = 969;
inline constexpr int kAppendUpload = 970;
inline constexpr int kAppendDownload = 971;
inline constexpr int kLocalMask = 926;
inline constexpr int kRemoteMask = 930;
inline constexpr int kLocalHeaderFirst = 1200;  // "^", "Name", "Date", "Size", blank
inline constexpr int kRemoteHeaderFirst = 1205;
inline constexpr int kMenuCwd = 1301;
inline constexpr int kMenuHelp = 1303;
inline constexpr int kMenuSyst = 1304;
inline constexpr int kMenuSite = 1305;
inline constexpr int kMenuList = 1306;
inline constexpr int kMenuNlst = 1308;
inline constexpr int kMenuPwd = 1309;
inline constexpr int kMenuQuote = 1310;
inline constexpr int kMenuRetr = 1311;
inline constexpr int kMenuStor = 1314;
inline constexpr int kMenuConnect = 1320;
inline constexpr int kMenuClose = 1321;
inline constexpr int kMenuAbout = 1500;
inline constexpr int kCloseWindow = 1600;
inline constexpr int kAscii = 1851;
inline constexpr int kBinary = 1852;
inline constexpr int kAuto = 1853;
inline constexpr int kDeleteKey = 2600;
inline constexpr int kOptions = 5130;
inline constexpr int kMenuOptions = 9036;
inline constexpr int kShowLog = 5557;
inline constexpr int kLogWindow = 9047;
inline constexpr int kUnattendedRun = 7654;
inline constexpr int kRefreshModes = 8100;
inline constexpr int kConnect = 9000;
inline constexpr int kCloseSystemMenu = 9032;
inline constexpr int kCancel = 9033;
inline constexpr int kAbout = 9037;
inline constexpr int kHelp = 9041;
inline constexpr int kExit = 9042;
inline constexpr int kLocalExec = 9045;
inline constexpr int kRemoteExec = 9046;

}  // namespace ferrix::shell::command

namespace ferrix::shell {

struct ControlText {
  int id;
  std::string_view caption;
  std::string_view toolTip;
};

// Every control of the main window that has a caption or a tool tip.
std::span<const ControlText> ControlTable();
// The row for `id`; a row with empty texts when there is none.
ControlText ControlTextOf(int id);

// The object name of the widget for command `id`; empty when it has none.
std::string_view ObjectNameOf(int id);

// A pane command number as the operation and the pane it acts on.
struct PaneCommandTarget {
  PaneOperation operation;
  listing::PaneSide side;
};
std::optional<PaneCommandTarget> PaneCommandOf(int id);

// A "FTP Commands" menu number as the menu command.
std::optional<FtpMenuCommand> MenuCommandOf(int id);

inline constexpr std::string_view kLocalCaption = "Local System";
inline constexpr std::string_view kRemoteCaption = "Remote Site";
inline constexpr std::string_view kConnectCaption = "&Connect";
inline constexpr std::string_view kCloseCaption = "&Close";

}  // namespace ferrix::shell
