#include "shell/window/window_commands.h"

#include <array>
#include <utility>

namespace ferrix::shell {

namespace {

using namespace command;
using listing::PaneSide;

constexpr std::array kControls{
    ControlText{kUpload, "-->", "Transfer to remote site"},
    ControlText{kDownload, "<--", "Transfer to local system"},
    ControlText{kLocalChangeFolder, "ChgDir", "Change folder"},
    ControlText{kRemoteChangeFolder, "ChgDir", "Change folder"},
    ControlText{kLocalMakeFolder, "MkDir", "Make folder"},
    ControlText{kRemoteMakeFolder, "MkDir", "Make folder"},
    ControlText{kLocalMask, "*.*", "File mask"},
    ControlText{kRemoteMask, "", "File mask or list arguments"},
    ControlText{kLocalView, "View", "View file"},
    ControlText{kRemoteView, "View", "View file"},
    ControlText{kLocalExec, "Exec", "Execute associated program"},
    ControlText{kRemoteExec, "Exec", "Execute associated program"},
    ControlText{kLocalRename, "Rename", "Rename file or folder"},
    ControlText{kRemoteRename, "Rename", "Rename file or folder"},
    ControlText{kLocalDelete, "Delete", "Delete file or folder"},
    ControlText{kRemoteDelete, "Delete", "Delete file or folder"},
    ControlText{kLocalRefresh, "Refresh", "Refresh file listing"},
    ControlText{kRemoteRefresh, "Refresh", "Refresh file listing"},
    ControlText{kLocalDirInfo, "DirInfo", "Display folder information"},
    ControlText{kRemoteDirInfo, "DirInfo", "Display folder information"},
    ControlText{kAscii, "ASCII", "ASCII transfer mode"},
    ControlText{kBinary, "Binary", "Binary transfer mode"},
    ControlText{kAuto, "Auto", "Auto transfer mode"},
    ControlText{kConnect, "&Connect", "Connect to remote site"},
    ControlText{kCancel, "Ca&ncel", "Cancel action"},
    ControlText{kLogWindow, "&LogWnd", "Display log window"},
    ControlText{kHelp, "&Help", "Display program help"},
    ControlText{kOptions, "&Options", "Program options"},
    ControlText{kAbout, "&About", "Display program information"},
    ControlText{kExit, "E&xit", "Exit program"},
    ControlText{kLocalHeaderFirst, "^", "Sort on type"},
    ControlText{kLocalHeaderFirst + 1, "Name", "Sort on name"},
    ControlText{kLocalHeaderFirst + 2, "Date", "Sort on date"},
    ControlText{kLocalHeaderFirst + 3, "Size", "Sort on size"},
    ControlText{kRemoteHeaderFirst, "^", "Sort on type"},
    ControlText{kRemoteHeaderFirst + 1, "Name", "Sort on name"},
    ControlText{kRemoteHeaderFirst + 2, "Date", "Sort on date"},
    ControlText{kRemoteHeaderFirst + 3, "Size", "Sort on size"},
};

struct ObjectName {
  int id;
  std::string_view name;
};

constexpr std::array kObjectNames{
    ObjectName{kLocalMask, "localMask"},
    ObjectName{kLocalList, "localList"},
    ObjectName{kRemoteMask, "remoteMask"},
    ObjectName{kRemoteList, "remoteList"},
    ObjectName{kLocalChangeFolder, "localChangeFolder"},
    ObjectName{kRemoteChangeFolder, "remoteChangeFolder"},
    ObjectName{kLocalMakeFolder, "localMakeFolder"},
    ObjectName{kRemoteMakeFolder, "remoteMakeFolder"},
    ObjectName{kLocalDeleteFolder, "localDeleteFolder"},
    ObjectName{kRemoteDeleteFolder, "remoteDeleteFolder"},
    ObjectName{kUpload, "upload"},
    ObjectName{kDownload, "download"},
    ObjectName{kLocalView, "localView"},
    ObjectName{kRemoteView, "remoteView"},
    ObjectName{kLocalRefresh, "localRefresh"},
    ObjectName{kRemoteRefresh, "remoteRefresh"},
    ObjectName{kLocalDelete, "localDelete"},
    ObjectName{kRemoteDelete, "remoteDelete"},
    ObjectName{kLocalRename, "localRename"},
    ObjectName{kRemoteRename, "remoteRename"},
    ObjectName{kLocalDirInfo, "localDirInfo"},
    ObjectName{kRemoteDirInfo, "remoteDirInfo"},
    ObjectName{kLocalFolderBox, "localFolderBox"},
    ObjectName{kRemoteFolderBox, "remoteFolderBox"},
    ObjectName{kLocalExec, "localExec"},
    ObjectName{kRemoteExec, "remoteExec"},
    ObjectName{kLocalHeaderFirst, "localHeader"},
    ObjectName{kRemoteHeaderFirst, "remoteHeader"},
    ObjectName{kAscii, "ascii"},
    ObjectName{kBinary, "binary"},
    ObjectName{kAuto, "auto"},
    ObjectName{kConnect, "connect"},
    ObjectName{kCancel, "cancel"},
    ObjectName{kLogWindow, "logWindow"},
    ObjectName{kHelp, "help"},
    ObjectName{kOptions, "options"},
    ObjectName{kAbout, "about"},
    ObjectName{kExit, "exit"},
};

constexpr std::array kPaneCommands{
    std::pair{kLocalChangeFolder,
              PaneCommandTarget{PaneOperation::kChangeFolder, PaneSide::kLocal}},
    std::pair{kRemoteChangeFolder,
              PaneCommandTarget{PaneOperation::kChangeFolder, PaneSide::kRemote}},
    std::pair{kLocalMakeFolder, PaneCommandTarget{PaneOperation::kMakeFolder, PaneSide::kLocal}},
    std::pair{kRemoteMakeFolder, PaneCommandTarget{PaneOperation::kMakeFolder, PaneSide::kRemote}},
    std::pair{kLocalDeleteFolder,
              PaneCommandTarget{PaneOperation::kDeleteFolder, PaneSide::kLocal}},
    std::pair{kRemoteDeleteFolder,
              PaneCommandTarget{PaneOperation::kDeleteFolder, PaneSide::kRemote}},
    std::pair{kLocalRefresh, PaneCommandTarget{PaneOperation::kRefresh, PaneSide::kLocal}},
    std::pair{kRemoteRefresh, PaneCommandTarget{PaneOperation::kRefresh, PaneSide::kRemote}},
    std::pair{kLocalDelete, PaneCommandTarget{PaneOperation::kDelete, PaneSide::kLocal}},
    std::pair{kRemoteDelete, PaneCommandTarget{PaneOperation::kDelete, PaneSide::kRemote}},
    std::pair{kLocalRename, PaneCommandTarget{PaneOperation::kRename, PaneSide::kLocal}},
    std::pair{kRemoteRename, PaneCommandTarget{PaneOperation::kRename, PaneSide::kRemote}},
    std::pair{kLocalMove, PaneCommandTarget{PaneOperation::kMove, PaneSide::kLocal}},
    std::pair{kRemoteMove, PaneCommandTarget{PaneOperation::kMove, PaneSide::kRemote}},
    std::pair{kChmod, PaneCommandTarget{PaneOperation::kChmod, PaneSide::kRemote}},
};

constexpr std::array kMenuCommands{
    std::pair{kMenuCwd, FtpMenuCommand::kCwd},   std::pair{kMenuPwd, FtpMenuCommand::kPwd},
    std::pair{kMenuHelp, FtpMenuCommand::kHelp}, std::pair{kMenuSyst, FtpMenuCommand::kSyst},
    std::pair{kMenuSite, FtpMenuCommand::kSite}, std::pair{kMenuList, FtpMenuCommand::kList},
    std::pair{kMenuNlst, FtpMenuCommand::kNlst}, std::pair{kMenuQuote, FtpMenuCommand::kQuote},
    std::pair{kMenuRetr, FtpMenuCommand::kRetr}, std::pair{kMenuStor, FtpMenuCommand::kStor},
};

}  // namespace

std::span<const ControlText> ControlTable() { return kControls; }

ControlText ControlTextOf(int id) {
  for (const ControlText& control : kControls) {
    if (control.id == id) return control;
  }
  return {id, "", ""};
}

std::string_view ObjectNameOf(int id) {
  for (const ObjectName& row : kObjectNames) {
    if (row.id == id) return row.name;
  }
  return {};
}

std::optional<PaneCommandTarget> PaneCommandOf(int id) {
  for (const auto& [commandId, target] : kPaneCommands) {
    if (commandId == id) return target;
  }
  return std::nullopt;
}

std::optional<FtpMenuCommand> MenuCommandOf(int id) {
  for (const auto& [commandId, command] : kMenuCommands) {
    if (commandId == id) return command;
  }
  return std::nullopt;
}

}  // namespace ferrix::shell
