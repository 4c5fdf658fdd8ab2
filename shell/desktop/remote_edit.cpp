#include "shell/desktop/remote_edit.h"

#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#include "platform/paths.h"
#include "platform/process.h"
#include "resources/strings.h"
#include "session/connection.h"
#include "session/sound_events.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::desktop {
namespace {

constexpr int kTransferSucceeded = 2;
constexpr int kFirstFolderKind = 4;
constexpr std::chrono::milliseconds kStopCheckInterval{100};

// "%s" by "%s" from the string table, filled without a runtime format.
std::string fillTwoTexts(std::string_view format, std::string_view first,
                         std::string_view second) {
  std::string text;
  std::string_view rest = format;
  for (std::string_view value : {first, second}) {
    std::size_t at = rest.find("%s");
    if (at == std::string_view::npos) break;
    text += rest.substr(0, at);
    text += value;
    rest = rest.substr(at + 2);
  }
  text += rest;
  return text;
}

}  // namespace

struct RemoteEditor::Edit {
  std::string remotePath;
  std::optional<platform::TempFile> file;
  int controlSocket = -1;
  std::optional<platform::ChildProcess> editor;
};

struct RemoteEditor::Shared {
  Shared(transfer::TransferContext& transfer, LocalFileCommands& commands,
         TemporaryFiles& temporaryFiles, PostToEngine postToEngine, RemoteEditSettings settings)
      : transfer(transfer),
        commands(commands),
        temporaryFiles(temporaryFiles),
        postToEngine(std::move(postToEngine)),
        settings(settings) {}

  transfer::TransferContext& transfer;
  LocalFileCommands& commands;
  TemporaryFiles& temporaryFiles;
  const PostToEngine postToEngine;
  const RemoteEditSettings settings;

  std::mutex mutex;
  bool stopping = false;
  std::atomic<int> activeEdits = 0;
  std::list<std::thread> waiters;

  session::Session& session() { return transfer.session; }
  bool isStopping() {
    std::lock_guard lock(mutex);
    return stopping;
  }

  // Waits for the editor, posting keep-alive ticks. False when stopped first.
  bool waitForEditor(Edit& edit);
  void storeBack(Edit& edit);
  int storeOnce(Edit& edit);
  void reportStoreFailure(Edit& edit);
};

bool RemoteEditor::Shared::waitForEditor(Edit& edit) {
  auto nextTick = std::chrono::steady_clock::now() + settings.keepAliveInterval;
  auto keepAliveArmed = std::make_shared<std::atomic<bool>>(true);
  for (;;) {
    if (edit.editor->waitFor(kStopCheckInterval)) return true;
    if (isStopping()) return false;
    if (std::chrono::steady_clock::now() < nextTick || !*keepAliveArmed) continue;
    nextTick += settings.keepAliveInterval;
    session::Session& engineSession = session();
    postToEngine([&engineSession, keepAliveArmed] {
      if (!session::keepAliveTimerProc(engineSession)) *keepAliveArmed = false;
    });
  }
}

int RemoteEditor::Shared::storeOnce(Edit& edit) {
  session::SessionState& state = session().state;
  if (state.cancelRequested || state.abortRequested) return 0;
  if (state.controlSocket == platform::kInvalidSocket || state.controlSocket != edit.controlSocket) {
    return 0;
  }
  // Storing a file the editor removed would empty the remote file.
  if (!platform::fileExists(edit.file->path())) return 0;
  return transfer::SendFromFile(transfer, edit.controlSocket, "STOR " + edit.remotePath,
                                edit.file->path(), transfer.state.transferMode);
}

void RemoteEditor::Shared::reportStoreFailure(Edit& edit) {
  const std::string path = edit.file->keep();
  temporaryFiles.keepForRecovery(path);
  session().log.logMessage(fillTwoTexts(
      resources::loadString(resources::string_id::kErrorRewritingFile), edit.remotePath, path));
  if (session().playSound) session().playSound(session::sound_event::kActionFailed);
}

void RemoteEditor::Shared::storeBack(Edit& edit) {
  int result = storeOnce(edit);
  if (result != kTransferSucceeded && session().state.controlSocket == edit.controlSocket &&
      edit.controlSocket != platform::kInvalidSocket) {
    std::this_thread::sleep_for(settings.retryPause);
    result = storeOnce(edit);
  }
  if (result == kTransferSucceeded) {
    edit.file->remove();
  } else {
    reportStoreFailure(edit);
  }
}

RemoteEditor::RemoteEditor(transfer::TransferContext& transfer, LocalFileCommands& commands,
                           TemporaryFiles& temporaryFiles, PostToEngine postToEngine,
                           RemoteEditSettings settings)
    : shared_(std::make_shared<Shared>(transfer, commands, temporaryFiles,
                                       std::move(postToEngine), settings)) {}

RemoteEditor::~RemoteEditor() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
  }
  for (std::thread& waiter : shared_->waiters) waiter.join();
}

int RemoteEditor::activeEdits() const { return shared_->activeEdits; }

int RemoteEditor::StartRemoteEdit(const SelectedEntry& entry, std::string_view remoteFolder,
                                  bool ctrlHeld) {
  if (entry.kind >= kFirstFolderKind) return 0;
  transfer::TransferContext& transfer = shared_->transfer;
  session::SessionState& state = transfer.session.state;

  auto edit = std::make_shared<Edit>();
  edit->remotePath =
      transfer::JoinRemotePath(state.sessionProfile.hostType, remoteFolder, entry.name);
  edit->controlSocket = state.controlSocket;
  std::error_code error;
  std::optional<platform::TempFile> file =
      shared_->temporaryFiles.create(kEditPrefix, entry.name, error);
  if (!file) return 0;
  edit->file = std::move(file);

  state.abortRequested = 0;
  state.cancelRequested = 0;
  transfer.state.currentEntry = transfer::CurrentEntry{};
  transfer.state.currentEntry.kind = entry.kind;
  transfer.state.currentEntry.size = entry.size;
  const int received = transfer::ReceiveToFile(transfer, edit->controlSocket,
                                               "RETR " + edit->remotePath, edit->file->path(),
                                               transfer.state.transferMode, false);
  if (received != kTransferSucceeded || state.cancelRequested || state.abortRequested) return 0;

  std::optional<std::string> command =
      BuildCommand(shared_->commands.commandRules(), edit->remotePath, edit->file->path());
  if (!command) return 0;
  if (ctrlHeld && !transfer.userInterface.inputBox(
                      &*command, resources::loadString(resources::string_id::kEnterCommandLine),
                      0)) {
    return 0;
  }
  transfer.session.log.logMessage(*command);
  std::optional<platform::ChildProcess> editor =
      platform::ChildProcess::start(platform::splitCommandLine(*command), error);
  if (!editor) return 0;
  edit->editor = std::move(editor);

  ++shared_->activeEdits;
  std::shared_ptr<Shared> shared = shared_;
  std::lock_guard lock(shared_->mutex);
  shared_->waiters.emplace_back([shared, edit] {
    if (!shared->waitForEditor(*edit)) {
      shared->temporaryFiles.adopt(std::move(*edit->file));
      --shared->activeEdits;
      return;
    }
    shared->postToEngine([shared, edit] {
      if (!shared->isStopping()) shared->storeBack(*edit);
      --shared->activeEdits;
    });
  });
  return 1;
}

}  // namespace ferrix::desktop
