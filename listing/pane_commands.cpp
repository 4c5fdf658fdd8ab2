#include "listing/pane_commands.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "listing/listing_decoder.h"
#include "listing/local_file_commands.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"

namespace ferrix::listing {
namespace fs = std::filesystem;

namespace {

using session::UserInterface;
using DeleteAnswer = UserInterface::DeleteAnswer;

constexpr int kFolderNameHelpTopic = 180;
constexpr int kNewFolderHelpTopic = 185;
constexpr int kRenameHelpTopic = 520;
constexpr int kRemoveFolderHelpTopic = 650;
constexpr int kMoveHelpTopic = 680;
constexpr const char* kDeleteFailed = "! Delete of %s failed.";
constexpr const char* kRenameFailed = "! Rename of %s to %s failed.";
constexpr const char* kMoveFailed = "! Move of %s to %s failed.";
constexpr const char* kLocalFolderFailed = "! Cannot change to local folder %s: %s";
constexpr const char* kMakeLocalFolderFailed = "! Cannot make local folder %s: %s";
constexpr const char* kCannotMakeListingFile = "! Cannot make a temporary file for the listing: %s";

struct Entry {
  std::string name;
  std::int32_t kind = kKindFile;

  bool isFolderOrDrive() const { return (kind & (kKindFolder | kKindDrive)) != 0; }
  bool isLink() const { return kind == kKindLink; }
};

PaneModel& paneOf(PaneCommands& commands, PaneSide side) {
  return side == PaneSide::kRemote ? commands.remote.pane : commands.local.pane;
}

// The selected entries, copied: a refresh rebuilds the pane under them.
std::vector<Entry> selectedEntries(const PaneModel& pane, const Selection& selection) {
  std::vector<Entry> entries;
  for (const std::size_t index : selection) {
    if (index < pane.size()) {
      entries.push_back({std::string(pane.at(index).name()), pane.at(index).kind});
    }
  }
  return entries;
}

std::vector<std::string> namesOf(const std::vector<Entry>& entries) {
  std::vector<std::string> names;
  for (const Entry& entry : entries) names.push_back(entry.name);
  return names;
}

session::Session& sessionOf(PaneCommands& commands) { return commands.remote.transfer.session; }
UserInterface& uiOf(PaneCommands& commands) { return commands.remote.transfer.userInterface; }
int controlOf(PaneCommands& commands) { return sessionOf(commands).state.controlSocket; }

void soundActionFailed(session::Session& session) {
  if (session.playSound) session.playSound(session::sound_event::kActionFailed);
}

void logFailure(session::Session& session, const char* format, const std::string& first,
                const std::string& second = {}) {
  session.log.logMessagef(format, first.c_str(), second.c_str());
  soundActionFailed(session);
}

// How a pane entry's name reads for the person: remote names in their
// UTF-8 form, local names as they are.
std::string shownEntryName(PaneCommands& commands, PaneSide side, const std::string& name) {
  return side == PaneSide::kRemote ? session::shownName(sessionOf(commands).state, name) : name;
}

void listLocalFolder(PaneCommands& commands) {
  LocalPane& local = commands.local;
  ShowLocalFolder(local.folder, local.options, local.pane, local.folderBox);
}

void fetchAfterChange(PaneCommands& commands) {
  if (commands.settings.refreshAfterChange) FetchRemoteListing(commands.remote, true);
}

// Refreshes the pane a walk changed: the local folder always, the remote one
// with DOUPDATE.
void refreshAfterWalk(PaneCommands& commands, PaneSide side, bool changed) {
  if (!changed) return;
  if (side == PaneSide::kRemote) {
    fetchAfterChange(commands);
  } else {
    listLocalFolder(commands);
  }
}

// Makes `typed` (a folder entry or a typed path) the local folder and lists
// it; logs why not.
bool changeLocalFolder(PaneCommands& commands, std::string_view typed) {
  std::error_code error;
  std::optional<fs::path> folder = EnterLocalFolder(commands.local.folder, typed, error);
  if (!folder) {
    sessionOf(commands).log.logMessagef(kLocalFolderFailed, std::string(typed).c_str(),
                                        error.message().c_str());
    return false;
  }
  commands.local.folder = std::move(*folder);
  listLocalFolder(commands);
  return true;
}

bool changeRemoteFolderAndShow(PaneCommands& commands, std::string_view folder) {
  if (session::changeRemoteFolder(sessionOf(commands), uiOf(commands), controlOf(commands),
                                  folder) != 2) {
    return false;
  }
  ShowRemoteFolder(commands.remote, true);
  return true;
}

bool enterEntry(PaneCommands& commands, PaneSide side, const Entry& entry) {
  if (side == PaneSide::kLocal) {
    // A pane entry is one name of the folder shown (or its parent).
    if (entry.name == kParentName || EntryInFolder(commands.local.folder, entry.name)) {
      changeLocalFolder(commands, entry.name);
    }
    return true;
  }
  if (entry.isFolderOrDrive()) {
    changeRemoteFolderAndShow(commands, entry.name);
    return true;
  }
  return changeRemoteFolderAndShow(commands, entry.name);
}

bool deleteEntry(PaneCommands& commands, PaneSide side, const Entry& entry) {
  if (side == PaneSide::kLocal) {
    std::error_code error;
    return RemoveLocalEntry(commands.local.folder, entry.name, error);
  }
  session::Session& session = sessionOf(commands);
  const int replyClass = entry.kind == kKindFolder
                             ? session::removeRemoteFolder(session, controlOf(commands), entry.name)
                             : session::deleteRemoteFile(session, controlOf(commands), entry.name);
  return replyClass == 2;
}

bool renameLocal(PaneCommands& commands, const std::string& name, const fs::path& target,
                 const char* failure, const std::string& shownTarget) {
  std::error_code error;
  if (RenameLocalEntry(commands.local.folder, name, target, error)) return true;
  logFailure(sessionOf(commands), failure, name, shownTarget);
  return false;
}

bool renameLocalEntries(PaneCommands& commands, const std::vector<Entry>& entries) {
  bool changed = false;
  for (const Entry& entry : entries) {
    if (session::isProtectedEntryName(entry.name)) continue;
    std::string newName = entry.name;
    const std::string prompt = "Enter new name for \"" + entry.name + "\":";
    if (!uiOf(commands).inputBox(&newName, prompt, kRenameHelpTopic)) continue;
    const fs::path target = ResolveTypedPath(commands.local.folder, newName);
    changed = renameLocal(commands, entry.name, target, kRenameFailed, newName) || changed;
  }
  return changed;
}

bool moveLocalEntries(PaneCommands& commands, const std::vector<Entry>& entries) {
  std::string destination;
  if (!uiOf(commands).inputBox(&destination,
                               "Please enter the local destination folder:", kMoveHelpTopic) ||
      destination.empty()) {
    return false;
  }
  const fs::path folder = ResolveTypedPath(commands.local.folder, destination);
  bool changed = false;
  for (const Entry& entry : entries) {
    if (session::isProtectedEntryName(entry.name)) continue;
    const fs::path target = folder / entry.name;
    changed = renameLocal(commands, entry.name, target, kMoveFailed, target.string()) || changed;
  }
  return changed;
}

void redisplayRemote(RemoteListing& listing) {
  session::Session& session = listing.transfer.session;
  listing.pane.clear();
  if (session.state.connected == 0) return;
  std::error_code error;
  const std::optional<ListingCache::Slot> slot =
      listing.cache.findOrAdd(listing.remoteFolder, error);
  if (!slot) {
    session.log.logMessagef(kCannotMakeListingFile, error.message().c_str());
    soundActionFailed(session);
    return;
  }
  if (!slot->cached || !fs::exists(slot->path)) {
    const int result = FetchListing(listing, slot->path);
    if (result != 2) {
      listing.cache.forget(slot->path);
      listing.pane.clear();
      session.log.logMessagef("! DoDirList returned %u", static_cast<unsigned>(result));
      soundActionFailed(session);
      return;
    }
  }
  DecodeListingFile(session, slot->path, listing.remoteFolder, listing.transfer.nameRules,
                    listing.pane);
}

void askAndChangeFolder(PaneCommands& commands, PaneSide side) {
  if (side == PaneSide::kLocal) {
    std::string folder;
    if (uiOf(commands).inputBox(&folder, "Enter local folder name:", kFolderNameHelpTopic)) {
      changeLocalFolder(commands, folder);
    }
    return;
  }
  const std::string current =
      commands.remote.remoteFolder.substr(0, UserInterface::kMaxFolderChoiceLength);
  const std::string shownCurrent = session::shownName(sessionOf(commands).state, current);
  std::string folder = shownCurrent;
  if (!uiOf(commands).askFolderChoice(folder, "Enter remote folder name:", kFolderNameHelpTopic,
                                      commands.remote.cache.folders())) {
    return;
  }
  // Left as shown, the folder keeps the server's own bytes.
  const std::optional<std::string> wire =
      folder == shownCurrent ? current : session::wireNameOrRefuse(sessionOf(commands), folder);
  if (wire) changeRemoteFolderAndShow(commands, *wire);
}

}  // namespace

void RedisplayPane(PaneCommands& commands, PaneSide side) {
  if (side == PaneSide::kRemote) {
    redisplayRemote(commands.remote);
  } else {
    listLocalFolder(commands);
  }
}

DeleteAnswer confirmDelete(UserInterface& ui, std::string_view name, int selectedCount) {
  const std::string question = "Are you sure you want to delete \"" + std::string(name) + "\"?";
  return ui.askDelete(question, selectedCount);
}

bool openFolderEntry(PaneCommands& commands, PaneSide side, const Selection& selection) {
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  if (entries.empty()) return false;
  const Entry& first = entries.front();
  if (first.isFolderOrDrive()) return enterEntry(commands, side, first);
  if (side == PaneSide::kRemote && first.isLink()) return enterEntry(commands, side, first);
  return false;
}

void changeFolderCommand(PaneCommands& commands, PaneSide side, const Selection& selection) {
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  if (!entries.empty() && (entries.front().isFolderOrDrive() || entries.front().isLink())) {
    enterEntry(commands, side, entries.front());
    return;
  }
  askAndChangeFolder(commands, side);
}

void makeFolderCommand(PaneCommands& commands, PaneSide side) {
  session::Session& session = sessionOf(commands);
  std::string name;
  if (side == PaneSide::kRemote) {
    if (!uiOf(commands).inputBox(&name, "Enter new remote folder name:", kNewFolderHelpTopic)) {
      return;
    }
    const std::optional<std::string> wire = session::wireNameOrRefuse(session, name);
    if (!wire) return;
    const int replyClass = session::makeRemoteFolder(session, controlOf(commands), *wire);
    if (replyClass == 2) fetchAfterChange(commands);
    if (replyClass == 5) soundActionFailed(session);
    return;
  }
  if (!uiOf(commands).inputBox(&name, "Enter new local folder name:", kNewFolderHelpTopic)) return;
  std::error_code error;
  if (name.empty() || !fs::create_directory(ResolveTypedPath(commands.local.folder, name), error)) {
    if (!error) error = std::make_error_code(std::errc::file_exists);
    logFailure(session, kMakeLocalFolderFailed, name, error.message());
  }
  listLocalFolder(commands);
}

void deleteFolderCommand(PaneCommands& commands, PaneSide side, const Selection& selection) {
  session::Session& session = sessionOf(commands);
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  if (!entries.empty() && entries.front().kind == kKindFolder &&
      entries.front().name != kParentName) {
    const Entry& folder = entries.front();
    const std::string shown = shownEntryName(commands, side, folder.name);
    if (confirmDelete(uiOf(commands), shown, 1) != DeleteAnswer::kYes) return;
    if (!deleteEntry(commands, side, folder)) {
      logFailure(session, kDeleteFailed, shown);
      return;
    }
    refreshAfterWalk(commands, side, true);
    return;
  }
  if (side == PaneSide::kLocal) return;
  std::string name;
  if (!uiOf(commands).inputBox(&name, "Enter remote folder name:", kRemoveFolderHelpTopic)) return;
  const std::optional<std::string> wire = session::wireNameOrRefuse(session, name);
  if (wire && session::removeRemoteFolder(session, controlOf(commands), *wire) == 2) {
    fetchAfterChange(commands);
  }
}

void refreshCommand(PaneCommands& commands, PaneSide side) {
  if (side == PaneSide::kLocal) {
    if (commands.local.options.maskText.empty()) commands.local.options.maskText = "*.*";
    listLocalFolder(commands);
    return;
  }
  if (commands.remote.transferThreadBusy.isSet()) return;
  session::flushControlInput(sessionOf(commands), controlOf(commands));
  FetchRemoteListing(commands.remote, false);
}

void deleteCommand(PaneCommands& commands, PaneSide side, const Selection& selection) {
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  const int selectedCount = static_cast<int>(entries.size());
  bool ask = commands.settings.verifyDelete;
  bool changed = false;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (session::isProtectedEntryName(entry->name)) continue;
    const std::string shown = shownEntryName(commands, side, entry->name);
    if (ask) {
      const DeleteAnswer answer = confirmDelete(uiOf(commands), shown, selectedCount);
      if (answer == DeleteAnswer::kCancel) break;
      if (answer == DeleteAnswer::kNo) continue;
      if (answer == DeleteAnswer::kDeleteAll) ask = false;
    }
    if (deleteEntry(commands, side, *entry)) {
      changed = true;
    } else {
      logFailure(sessionOf(commands), kDeleteFailed, shown);
    }
  }
  refreshAfterWalk(commands, side, changed);
}

void renameCommand(PaneCommands& commands, PaneSide side, const Selection& selection) {
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  const bool changed = side == PaneSide::kRemote
                           ? session::renameRemoteEntries(sessionOf(commands), uiOf(commands),
                                                          controlOf(commands), namesOf(entries))
                           : renameLocalEntries(commands, entries);
  refreshAfterWalk(commands, side, changed);
}

void moveCommand(PaneCommands& commands, PaneSide side, const Selection& selection) {
  const std::vector<Entry> entries = selectedEntries(paneOf(commands, side), selection);
  const bool changed = side == PaneSide::kRemote
                           ? session::moveRemoteEntries(sessionOf(commands), uiOf(commands),
                                                        controlOf(commands), namesOf(entries))
                           : moveLocalEntries(commands, entries);
  refreshAfterWalk(commands, side, changed);
}

void chmodCommand(PaneCommands& commands, const Selection& selection) {
  std::vector<std::string> names;
  for (const Entry& entry : selectedEntries(commands.remote.pane, selection)) {
    // The parent folder is not the person's to chmod by accident.
    if (entry.name != kParentName) names.push_back(entry.name);
  }
  session::chmodRemoteEntries(sessionOf(commands), uiOf(commands), controlOf(commands),
                              commands.permissions, names);
}

}  // namespace ferrix::listing
