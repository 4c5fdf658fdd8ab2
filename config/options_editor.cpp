#include "config/options_editor.h"

#include <utility>

namespace ferrix::config {
namespace {

template <typename Record, typename Load>
Record& loaded(std::optional<Record>& record, Load load) {
  if (!record) record = load();
  return *record;
}

}  // namespace

OptionsEditor::OptionsEditor(Configuration& configuration, SessionOptionsState session)
    : configuration_(configuration), session_(std::move(session)) {}

OptionsPage OptionsEditor::startPage() const {
  return session_.connected ? OptionsPage::kSession : OptionsPage::kGeneral;
}

GeneralPage& OptionsEditor::general() {
  return loaded(general_, [&] { return loadGeneralPage(configuration_); });
}
AdvancedPage& OptionsEditor::advanced() {
  return loaded(advanced_, [&] { return loadAdvancedPage(configuration_); });
}
DisplayPage& OptionsEditor::display() {
  return loaded(display_, [&] { return loadDisplayPage(configuration_); });
}
SoundsPage& OptionsEditor::sounds() {
  return loaded(sounds_, [&] { return loadSoundsPage(configuration_); });
}
SortPage& OptionsEditor::sort() {
  return loaded(sort_, [&] { return loadSortPage(configuration_); });
}
TransferPage& OptionsEditor::transfer() {
  return loaded(transfer_, [&] { return loadTransferPage(configuration_); });
}
SessionPage& OptionsEditor::session() {
  return loaded(sessionPage_,
                [&] { return loadSessionPage(configuration_, session_.sessionProfile); });
}
SessionMorePage& OptionsEditor::sessionMore() {
  return loaded(sessionMore_,
                [&] { return loadSessionMorePage(configuration_, session_.transferMode); });
}
ConversionList& OptionsEditor::conversions() {
  return loaded(conversions_,
                [&] { return ConversionList::load(configuration_.conversionListPath()); });
}
AsciiNameList& OptionsEditor::asciiNames() {
  return loaded(asciiNames_,
                [&] { return AsciiNameList::load(configuration_.extensionListPath()); });
}

AppliedOptions OptionsEditor::apply() {
  AppliedOptions applied;
  if (isChanged(OptionsPage::kGeneral)) applyGeneralPage(configuration_, general());
  if (isChanged(OptionsPage::kAdvanced)) applyAdvancedPage(configuration_, advanced());
  if (isChanged(OptionsPage::kDisplay)) {
    const DisplayChanges changes = applyDisplayPage(configuration_, display());
    applied.relayout = changes.layout;
    applied.reapplyListFont = changes.font;
  }
  if (isChanged(OptionsPage::kSounds)) {
    applySoundsPage(configuration_, sounds());
    applied.soundsChanged = true;
  }
  if (isChanged(OptionsPage::kSort)) {
    applySortPage(configuration_, sort());
    applied.sortChanged = true;
  }
  if (isChanged(OptionsPage::kTransfer)) applyTransferPage(configuration_, transfer());
  if (isChanged(OptionsPage::kSession)) {
    const bool hostTypeChanged =
        applySessionPage(configuration_, session_.sessionProfile, session());
    applied.redecodeListing = hostTypeChanged && session_.connected;
  }
  if (isChanged(OptionsPage::kSessionMore)) {
    session_.transferMode = applySessionMorePage(configuration_, session_.sessionProfile,
                                                 sessionMore(), session_.transferMode);
  }
  if (isChanged(OptionsPage::kConvert)) {
    conversions().save(configuration_.conversionListPathForSaving());
  }
  if (isChanged(OptionsPage::kExtensions)) {
    asciiNames().save(configuration_.extensionListPathForSaving());
  }
  return applied;
}

void OptionsEditor::setSessionAsDefault() { setSessionPageAsDefault(configuration_, session()); }

void OptionsEditor::setSessionMoreAsDefault() {
  setSessionMorePageAsDefault(configuration_, sessionMore());
}

bool OptionsEditor::saveCurrentFolders() {
  return config::saveCurrentFolders(configuration_, session_.sessionProfile, session_.connected,
                                    session_.remoteFolder, session_.localFolder);
}

void OptionsEditor::storeCustomFont(const CustomFont& font) {
  config::storeCustomFont(configuration_, font);
  if (display_) display_->listFont = 4;
}

}  // namespace ferrix::config
