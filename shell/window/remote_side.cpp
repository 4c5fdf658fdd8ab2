#include "shell/window/remote_side.h"

#include <ctime>
#include <utility>

#include "config/firewall_settings.h"
#include "platform/paths.h"
#include "session/connection.h"
#include "session/control_channel.h"
#include "session/logon.h"
#include "session/sound_events.h"
#include "shell/window/window_commands.h"
#include "transfer/file_transfer_context.h"
#include "transfer/overwrite_decision.h"
#include "transfer/receive_file.h"
#include "transfer/resume_record.h"
#include "transfer/send_file.h"

namespace ferrix::shell {

namespace {

constexpr int kSuccessClass = 2;
constexpr int kRetrHelpTopic = 640;
constexpr int kStorHelpTopic = 630;
constexpr char kRetrPrompt[] = "Enter remote file name to transfer to local system:";
constexpr char kStorPrompt[] = "Enter local file name to transfer to remote site:";
constexpr char kMakeFolderPrompt[] = "Enter new remote folder name:";
constexpr int kMakeFolderHelpTopic = 185;

void playSound(session::Session& session, int event) {
  if (session.playSound) session.playSound(event);
}

}  // namespace

RemoteSide::RemoteSide(session::Session& session, session::UserInterface& userInterface,
                       config::Configuration& configuration)
    : session_(session),
      userInterface_(userInterface),
      configuration_(configuration),
      cache_(platform::tempFolder()),
      pane_(listing::PaneSide::kRemote, 1) {}

void RemoteSide::setup(const RemoteSetup& setup) {
  setup_ = setup;
  state_.transferMode = setup.transferMode;
  state_.automaticMode = setup.automaticMode;
  pane_.setSortValue(setup.sortValue);
}

RemoteView RemoteSide::takeView() {
  RemoteView view;
  view.items = pane_.items();
  view.folders.reserve(folderBox_.count());
  for (std::size_t i = 0; i < folderBox_.count(); ++i) view.folders.push_back(folderBox_.textAt(i));
  view.connected = session_.state.connected != 0;
  view.enterLocalFolder = std::exchange(enteredLocalFolder_, std::nullopt);
  view.localChanged = std::exchange(localChanged_, false);
  return view;
}

// Runs `work` with a RemoteListing over the side's pane and cache, keeping
// the folder PWD reported for the next job.
template <typename Work>
auto RemoteSide::withListing(Work work) {
  transfer::TransferStatus status(userInterface_, setup_.hash, setup_.bytesPerSecond);
  transfer::TransferContext transfer{session_,        state_,          status,
                                     setup_.transfer, setup_.nameRules, userInterface_};
  listing::RemoteListing listing{transfer,  cache_,        pane_, folderBox_, transferThreadBusy_,
                                 remoteFolder_, setup_.remoteMask};
  struct KeepFolder {
    listing::RemoteListing& listing;
    std::string& folder;
    ~KeepFolder() { folder = listing.remoteFolder; }
  } keep{listing, remoteFolder_};
  return work(listing);
}

bool RemoteSide::connect(bool showFolder) {
  session::SessionState& state = session_.state;
  state.cancelRequested = 0;
  const config::FirewallSettings firewall = config::readFirewallSettings(configuration_);
  session::connectWithRetries(session_, [this, &firewall](session::Session& session) {
    return session::logon(session, userInterface_, firewall);
  });
  const bool connected = state.connected != 0 && state.controlSocket != platform::kInvalidSocket;
  if (connected) {
    const std::string folder = state.sessionProfile.remoteFolder;
    if (!folder.empty()) {
      session::changeRemoteFolder(session_, userInterface_, state.controlSocket, folder);
    }
    if (showFolder) {
      withListing([](listing::RemoteListing& listing) { listing::ShowRemoteFolder(listing, true); });
      if (setup_.retain) {
        config::loadFolderHistory(configuration_, state.sessionProfile.profileName,
                                  config::FolderSide::kRemote, folderBox_);
      }
    }
  }
  playSound(session_, connected ? session::sound_event::kConnected
                                : session::sound_event::kConnectionFailed);
  if (connected) {
    withListing([this](listing::RemoteListing& listing) {
      const transfer::ResumeContext resume{
          session_.state.controlSocket, configuration_.iniFile(), setup_.log,
          [this](const std::filesystem::path& folder) {
            enteredLocalFolder_ = folder;
            setup_.localFolder = folder;
          },
          [this] { localChanged_ = true; }};
      transfer::OfferResume(listing.transfer, resume, session_.state.sessionProfile.profileName);
    });
  }
  return connected;
}

void RemoteSide::disconnect() {
  session::SessionState& state = session_.state;
  state.abortRequested = 1;
  state.retriesLeft = 0;
  session::disconnectSession(session_);
  listing::ClearListingCache(cache_, folderBox_);
  pane_.clear();
  remoteFolder_.clear();
}

void RemoteSide::cancel() { session::cancelSession(session_); }

void RemoteSide::refresh() {
  session::flushControlInput(session_, session_.state.controlSocket);
  withListing([](listing::RemoteListing& listing) { listing::FetchRemoteListing(listing, false); });
}

bool RemoteSide::changeFolder(const std::string& folder) {
  const int result =
      session::changeRemoteFolder(session_, userInterface_, session_.state.controlSocket, folder);
  if (result != kSuccessClass) return false;
  withListing([](listing::RemoteListing& listing) { listing::ShowRemoteFolder(listing, true); });
  return true;
}

void RemoteSide::redisplay() {
  withListing([](listing::RemoteListing& listing) { listing::ShowRemoteFolder(listing, true); });
}

void RemoteSide::makeFolder() {
  std::string folder;
  if (!userInterface_.inputBox(&folder, kMakeFolderPrompt, kMakeFolderHelpTopic) || folder.empty()) {
    return;
  }
  const int result = session::makeRemoteFolder(session_, session_.state.controlSocket, folder);
  if (result == kSuccessClass && setup_.doUpdate) {
    withListing([](listing::RemoteListing& listing) { listing::FetchRemoteListing(listing, true); });
  } else if (result != kSuccessClass) {
    playSound(session_, session::sound_event::kActionFailed);
  }
}

void RemoteSide::entryCommand(int id, const std::vector<std::string>& names) {
  const int control = session_.state.controlSocket;
  bool changed = false;
  if (id == command::kRemoteRename) {
    changed = session::renameRemoteEntries(session_, userInterface_, control, names);
  } else if (id == command::kRemoteMove) {
    changed = session::moveRemoteEntries(session_, userInterface_, control, names);
  } else if (id == command::kChmod) {
    session::chmodRemoteEntries(session_, userInterface_, control, permissions_, names);
  }
  if (changed && setup_.doUpdate) {
    withListing([](listing::RemoteListing& listing) { listing::FetchRemoteListing(listing, true); });
  }
}

void RemoteSide::menuCommand(int id) {
  const int control = session_.state.controlSocket;
  switch (id) {
    case command::kMenuCwd:
      if (session::cwdMenuCommand(session_, userInterface_, control) == kSuccessClass) redisplay();
      break;
    case command::kMenuPwd:
      session::pwdMenuCommand(session_, control);
      break;
    case command::kMenuHelp:
      session::helpMenuCommand(session_, control);
      break;
    case command::kMenuSyst:
      session::systMenuCommand(session_, control);
      break;
    case command::kMenuSite:
      session::siteMenuCommand(session_, userInterface_, control);
      break;
    case command::kMenuRetr: {
      std::string name;
      if (!userInterface_.inputBox(&name, kRetrPrompt, kRetrHelpTopic) || name.empty()) break;
      download({SelectedEntry{name, {}}}, false);
      break;
    }
    case command::kMenuStor: {
      std::string path;
      if (!userInterface_.inputBox(&path, kStorPrompt, kStorHelpTopic) || path.empty()) break;
      upload({SelectedEntry{path, {}}}, false);
      break;
    }
    default:
      break;
  }
}

bool RemoteSide::download(const std::vector<SelectedEntry>& entries, bool append) {
  session_.state.abortRequested = 0;
  const transfer::LocalFolderListing destination(setup_.localFolder);
  const transfer::FileTransferContext file{session_.state.controlSocket, remoteFolder_,
                                           setup_.localFolder, destination,
                                           configuration_.iniFile(), setup_.log};
  bool allDone = true;
  withListing([&](listing::RemoteListing& listing) {
    state_.BatchFileCount = static_cast<int>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      state_.currentEntry = entries[i].stamp;
      const int result = transfer::ReceiveFile(listing.transfer, file, entries[i].name,
                                               static_cast<unsigned>(i + 1),
                                               static_cast<unsigned>(entries.size()), setup_.prompt,
                                               append);
      localChanged_ = true;
      if (result != kSuccessClass || session_.state.cancelRequested ||
          session_.state.abortRequested) {
        allDone = false;
        break;
      }
    }
    state_.BatchFileCount = 0;
    state_.OverwriteAllAnswer = 0;
  });
  if (allDone) playSound(session_, session::sound_event::kTransferSucceeded);
  return allDone;
}

bool RemoteSide::upload(const std::vector<SelectedEntry>& entries, bool append) {
  session_.state.abortRequested = 0;
  transfer::ListedEntries destination;
  for (const listing::PaneItem& item : pane_.items()) {
    destination.add(std::string(item.name()), item.kind,
                    {item.year, item.month, item.day, item.hour, item.minute, item.size});
  }
  const transfer::FileTransferContext file{session_.state.controlSocket, remoteFolder_,
                                           setup_.localFolder, destination,
                                           configuration_.iniFile(), setup_.log};
  bool allDone = true;
  bool anySent = false;
  withListing([&](listing::RemoteListing& listing) {
    state_.BatchFileCount = static_cast<int>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      state_.currentEntry = entries[i].stamp;
      const int result = transfer::SendFile(listing.transfer, file, entries[i].name,
                                            static_cast<unsigned>(i + 1),
                                            static_cast<unsigned>(entries.size()), setup_.prompt,
                                            append);
      if (result == kSuccessClass) anySent = true;
      if ((result != kSuccessClass && result != transfer::kSkippedByOverwriteRule) ||
          session_.state.abortRequested) {
        allDone = false;
        break;
      }
    }
    state_.BatchFileCount = 0;
    state_.OverwriteAllAnswer = 0;
    if (anySent && setup_.doUpdate) listing::FetchRemoteListing(listing, false);
  });
  if (allDone) playSound(session_, session::sound_event::kTransferSucceeded);
  return allDone;
}

}  // namespace ferrix::shell
