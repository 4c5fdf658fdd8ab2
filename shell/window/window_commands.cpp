#include "shell/window/window_commands.h"

#include <array>

namespace ferrix::shell {

namespace {

using namespace command;

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

}  // namespace

std::span<const ControlText> ControlTable() { return kControls; }

ControlText ControlTextOf(int id) {
  for (const ControlText& control : kControls) {
    if (control.id == id) return control;
  }
  return {id, "", ""};
}

}  // namespace ferrix::shell
