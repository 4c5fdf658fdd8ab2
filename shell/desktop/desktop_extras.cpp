#include "shell/desktop/desktop_extras.h"

#include <QWidget>

#include "platform/paths.h"
#include "shell/desktop/associate_dialog.h"
#include "shell/desktop/help_window.h"
#include "shell/desktop/text_viewer.h"

namespace ferrix::shell {

DesktopExtras::DesktopExtras(Services services, QWidget* mainWindow)
    : services_(std::move(services)),
      mainWindow_(mainWindow),
      temporaryFiles_(platform::tempFolder()),
      sounds_(new SoundPlayer(mainWindow)) {
  commands_ = std::make_unique<desktop::LocalFileCommands>(
      services_.configuration, desktopServices_, services_.userInterface, services_.log,
      temporaryFiles_, associationQuestion(services_.configuration.winIni(), mainWindow));
  commands_->setBuiltInViewer([mainWindow](const std::string& title, std::string text) {
    QMetaObject::invokeMethod(
        mainWindow,
        [mainWindow, title = QString::fromStdString(title), text = QString::fromUtf8(text)] {
          ShowTextViewer(title, text, mainWindow);
        },
        Qt::QueuedConnection);
  });
  remoteEditor_ = std::make_unique<desktop::RemoteEditor>(
      services_.engineTransfer, *commands_, temporaryFiles_, services_.postToEngine);
}

DesktopExtras::~DesktopExtras() { shutDown(); }

desktop::SelectionOutcome DesktopExtras::viewOrExecuteLocal(
    const std::filesystem::path& folder, const std::vector<desktop::SelectedEntry>& selection,
    desktop::FileAction action, bool ctrlHeld) {
  return commands_->viewOrExecuteLocal(folder, selection, action, ctrlHeld);
}

desktop::SelectionOutcome DesktopExtras::viewOrExecuteRemote(
    int controlSocket, const std::vector<desktop::SelectedEntry>& selection,
    desktop::FileAction action, bool ctrlHeld) {
  return commands_->viewOrExecuteRemote({services_.engineTransfer, controlSocket}, selection,
                                        action, ctrlHeld);
}

bool DesktopExtras::showLocalFolderInfo(const std::filesystem::path& folder) {
  return commands_->showLocalFolderInfo(folder);
}

bool DesktopExtras::showRemoteFolderInfo(bool connected, const std::string& lastListingPath) {
  return commands_->showRemoteFolderInfo(connected, lastListingPath);
}

bool DesktopExtras::viewFile(const std::string& path) { return commands_->viewFile(path); }

int DesktopExtras::editRemoteFile(const desktop::SelectedEntry& entry,
                                  const std::string& remoteFolder, bool ctrlHeld) {
  return remoteEditor_->StartRemoteEdit(entry, remoteFolder, ctrlHeld);
}

int DesktopExtras::remoteEditsRunning() const { return remoteEditor_->activeEdits(); }

int DesktopExtras::loadSoundSettings() { return sounds_->loadSettings(services_.configuration); }

void DesktopExtras::showHelp(int topic) { showHelpTopic(topic, mainWindow_); }

void DesktopExtras::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  remoteEditor_.reset();
  temporaryFiles_.deleteAll();
}

}  // namespace ferrix::shell
