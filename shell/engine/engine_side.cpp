#include "shell/engine/engine_side.h"

#include <memory>
#include <utility>

#include "batch/listed_resume.h"
#include "batch/selection_transfer.h"
#include "config/firewall_settings.h"
#include "listing/host_detection.h"
#include "platform/paths.h"
#include "platform/tcp_socket.h"
#include "session/connection.h"
#include "session/control_channel.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/resume_record.h"

namespace ferrix::shell {

namespace {

using listing::PaneSide;

void playSound(session::Session& session, int event) {
  if (session.playSound) session.playSound(event);
}

std::vector<std::string> entriesOf(const config::MemoryFolderList& list) { return list.entries(); }

}  // namespace

EngineSide::EngineSide(session::Session& session, session::UserInterface& userInterface,
                       config::Configuration& configuration, std::filesystem::path localFolder)
    : session_(session),
      userInterface_(userInterface),
      configuration_(configuration),
      status_(userInterface, configuration.settings().HASH != 0,
              configuration.settings().tranrate == 1),
      cache_(platform::tempFolder()),
      rawListing_(platform::tempFolder()),
      remotePane_(PaneSide::kRemote, 1),
      localPane_(PaneSide::kLocal, 1),
      local_{localPane_, localFolders_, {}, std::move(localFolder)},
      remote_{{session, state_, status_, setup_.transfer, setup_.nameRules, userInterface},
              cache_,
              remotePane_,
              remoteFolders_,
              transferThreadBusy_,
              {},
              {}},
      batch_{remote_, local_, configuration.iniFile(), setup_.log, batchSettings_, gestures_,
             {},      {},     nullptr,  &cancelledEntries_},
      worker_(session, transferThreadBusy_) {}

void EngineSide::setup(const EngineSetup& setup) {
  setup_ = setup;
  state_.transferMode = setup.transferMode;
  state_.automaticMode = setup.automaticMode;
  status_.setHash(setup.hash);
  remote_.remoteMask = setup.remoteMask;
  local_.options.maskText = setup.localMask;
  local_.options.longDir = setup.longDir;
  local_.options.nameRules = setup.nameRules;
  batchSettings_.prompt = setup.prompt;
  batchSettings_.doUpdate = setup.doUpdate;
  commandSettings_.refreshAfterChange = setup.doUpdate;
  commandSettings_.verifyDelete = setup.verifyDelete;
  remotePane_.setSortValue(setup.remoteSortValue);
  localPane_.setSortValue(setup.localSortValue);
}

EngineView EngineSide::takeView() {
  EngineView view;
  view.localItems = localPane_.items();
  view.localFolders = entriesOf(localFolders_);
  view.localFolder = local_.folder;
  view.remoteItems = remotePane_.items();
  for (const std::string& folder : remoteFolders_.entries()) {
    view.remoteFolders.push_back(session::shownName(session_.state, folder));
  }
  view.remoteFolder = remote_.remoteFolder;
  view.connected = session_.state.connected != 0;
  view.tlsProtocol = session_.state.tlsProtocol;
  view.viewFile = std::exchange(viewFile_, std::nullopt);
  return view;
}

// A server that died leaves its control connection ended (read at EOF or
// reset) while the session still counts as connected; without this, Connect
// would only disconnect and the remote buttons would act on a dead socket.
void EngineSide::noticeServerGone() {
  session::SessionState& state = session_.state;
  if (!state.connected || state.controlSocket == platform::kInvalidSocket) return;
  if (!platform::peerHasClosed(state.controlSocket)) return;
  session_.log.logMessage("! Connection closed by the server");
  session::disconnectSession(session_);
}

listing::PaneCommands EngineSide::paneCommands() {
  return {remote_,
          {local_.pane, local_.folderBox, local_.options, local_.folder},
          permissions_,
          commandSettings_};
}

bool EngineSide::connect(bool showFolder) {
  session::SessionState& state = session_.state;
  listing::ClearListingCache(cache_, remoteFolders_);
  state.cancelRequested = 0;
  const config::FirewallSettings firewall = config::readFirewallSettings(configuration_);
  session::connectWithRetries(session_, [this, &firewall](session::Session& session) {
    return session::logon(session, userInterface_, firewall);
  });
  const bool connected = state.connected != 0 && state.controlSocket != platform::kInvalidSocket;
  if (connected) {
    const std::string& folder = state.sessionProfile.remoteFolder;
    if (!folder.empty()) {
      session::changeRemoteFolder(session_, userInterface_, state.controlSocket, folder);
    }
    if (showFolder) {
      listing::ShowRemoteFolder(remote_, true);
      if (setup_.retain) {
        config::loadFolderHistory(configuration_, state.sessionProfile.profileName,
                                  config::FolderSide::kRemote, remoteFolders_);
      }
    }
  }
  playSound(session_,
            connected ? session::sound_event::kConnected : session::sound_event::kConnectionFailed);
  if (connected) afterConnect();
  return connected;
}

void EngineSide::afterConnect() {
  const transfer::ResumeContext resume{
      session_.state.controlSocket, configuration_.iniFile(), setup_.log,
      [this](const std::filesystem::path& folder) { listLocal(folder); }, [this] { listLocal(); }};
  transfer::OfferResume(remote_.transfer, resume, session_.state.sessionProfile.profileName);
}

void EngineSide::disconnect() {
  worker_.stop();
  session::SessionState& state = session_.state;
  state.abortRequested = 1;
  state.retriesLeft = 0;
  session::disconnectSession(session_);
  listing::ClearListingCache(cache_, remoteFolders_);
  remotePane_.clear();
  remote_.remoteFolder.clear();
}

void EngineSide::cancel() {
  if (!worker_.running()) session::cancelSession(session_);
}

void EngineSide::shutDown() {
  disconnect();
  worker_.join();
}

bool EngineSide::listLocal(const std::optional<std::filesystem::path>& folder) {
  if (folder) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::weakly_canonical(
        folder->is_absolute() ? *folder : local_.folder / *folder, error);
    if (error || !std::filesystem::is_directory(target, error)) return false;
    local_.folder = target;
  }
  listing::ShowLocalFolder(local_.folder, local_.options, localPane_, localFolders_);
  return true;
}

void EngineSide::enterRemoteFolder(const std::string& shownFolder) {
  const std::optional<std::string> folder = remoteFolderShownAs(shownFolder);
  if (!folder) return;
  if (session::changeRemoteFolder(session_, userInterface_, session_.state.controlSocket,
                                  *folder) == 2) {
    listing::ShowRemoteFolder(remote_, true);
  }
}

// A folder of the box's history stands for the server's bytes it was shown
// for (which need not survive a round trip through the charset); anything
// else was typed and goes in the server's charset.
std::optional<std::string> EngineSide::remoteFolderShownAs(const std::string& shown) {
  for (const std::string& folder : remoteFolders_.entries()) {
    if (session::shownName(session_.state, folder) == shown) return folder;
  }
  return session::wireNameOrRefuse(session_, shown);
}

void EngineSide::redisplay(PaneSide side) {
  listing::PaneCommands commands = paneCommands();
  listing::RedisplayPane(commands, side);
}

void EngineSide::paneCommand(PaneOperation operation, PaneSide side,
                             const listing::Selection& selection) {
  listing::PaneCommands commands = paneCommands();
  switch (operation) {
    case PaneOperation::kChangeFolder:
      listing::changeFolderCommand(commands, side, selection);
      break;
    case PaneOperation::kMakeFolder:
      listing::makeFolderCommand(commands, side);
      break;
    case PaneOperation::kDeleteFolder:
      listing::deleteFolderCommand(commands, side, selection);
      break;
    case PaneOperation::kRefresh:
      listing::refreshCommand(commands, side);
      break;
    case PaneOperation::kDelete:
      listing::deleteCommand(commands, side, selection);
      break;
    case PaneOperation::kRename:
      listing::renameCommand(commands, side, selection);
      break;
    case PaneOperation::kMove:
      listing::moveCommand(commands, side, selection);
      break;
    case PaneOperation::kChmod:
      listing::chmodCommand(commands, selection);
      break;
  }
}

bool EngineSide::openEntry(PaneSide side, const listing::Selection& selection) {
  listing::PaneCommands commands = paneCommands();
  return listing::openFolderEntry(commands, side, selection);
}

void EngineSide::menuCommand(FtpMenuCommand command) {
  const int control = session_.state.controlSocket;
  listing::PaneCommands commands = paneCommands();
  const listing::MenuTransferFiles files{configuration_.iniFile(), setup_.log};
  switch (command) {
    case FtpMenuCommand::kCwd:
      if (session::cwdMenuCommand(session_, userInterface_, control) == 2) {
        listing::ShowRemoteFolder(remote_, true);
      }
      break;
    case FtpMenuCommand::kPwd:
      session::pwdMenuCommand(session_, control);
      break;
    case FtpMenuCommand::kHelp:
      session::helpMenuCommand(session_, control);
      break;
    case FtpMenuCommand::kSyst:
      session::systMenuCommand(session_, control);
      break;
    case FtpMenuCommand::kSite:
      session::siteMenuCommand(session_, userInterface_, control);
      break;
    case FtpMenuCommand::kList:
      viewFile_ = listing::listMenuCommand(remote_, rawListing_);
      break;
    case FtpMenuCommand::kNlst:
      viewFile_ = listing::nlstMenuCommand(remote_, rawListing_);
      break;
    case FtpMenuCommand::kQuote:
      listing::quoteMenuCommand(remote_, rawListing_);
      break;
    case FtpMenuCommand::kRetr:
      listing::retrMenuCommand(commands, files);
      break;
    case FtpMenuCommand::kStor:
      listing::storMenuCommand(commands, files);
      break;
  }
}

bool EngineSide::startTransfer(bool upload, const listing::Selection& selection, bool append,
                               bool invertPrompt) {
  gestures_.appendNext = append;
  gestures_.invertPrompt = invertPrompt;
  (upload ? batch_.localSelection : batch_.remoteSelection) = selection;
  batch_.stopRequested = &worker_.stopRequested();
  // The view is taken while the worker still owns the panes and handed over
  // once it is idle, so that the window never sees a finished transfer as
  // running.
  auto view = std::make_shared<EngineView>();
  return worker_.start(
      [this, upload, view] {
        if (upload) {
          batch::UploadSelection(batch_);
        } else {
          batch::DownloadSelection(batch_);
        }
        noticeServerGone();
        *view = takeView();
      },
      [this, view] {
        if (viewSink_) viewSink_(std::move(*view));
      });
}

bool EngineSide::resumeDownload(const transfer::TransferEntry& entry) {
  batch_.stopRequested = &worker_.stopRequested();
  auto view = std::make_shared<EngineView>();
  return worker_.start(
      [this, entry, view] {
        batch::ResumeListedDownload(batch_, entry);
        noticeServerGone();
        *view = takeView();
      },
      [this, view] {
        if (viewSink_) viewSink_(std::move(*view));
      });
}

UnattendedResult EngineSide::runUnattended(const config::CommandLineValues& values,
                                           config::SiteProfileStore& sites) {
  UnattendedRun run{
      session_,
      userInterface_,
      configuration_,
      sites,
      remote_.transfer,
      [this](session::Session& session) {
        return session::logon(session, userInterface_,
                              config::readFirewallSettings(configuration_));
      },
      [this](session::Session& session) { listing::DetectHostType(session, userInterface_); }};
  const UnattendedResult result = RunUnattendedTransfer(run, values);
  if (result == UnattendedResult::kStayConnected) listing::ShowRemoteFolder(remote_, true);
  return result;
}

void EngineSide::drop(const batch::Drop& drop, const listing::Selection& sourceSelection) {
  if (drop.source == batch::DragSource::kLocalPane) batch_.localSelection = sourceSelection;
  if (drop.source == batch::DragSource::kRemotePane) batch_.remoteSelection = sourceSelection;
  batch_.stopRequested = nullptr;
  batch::HandleDrop(batch_, drop);
}

}  // namespace ferrix::shell
