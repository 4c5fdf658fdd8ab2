#include "shell/options/behaviour_pages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "listing/pane_order.h"
#include "resources/strings.h"
#include "shell/options/file_browser.h"

namespace ferrix::shell {
namespace {

constexpr int kSoundsHelp = 220;
constexpr int kTransferHelp = 236;

using listing::FolderPlacement;
using listing::SortKey;

constexpr FolderPlacement kPlacements[] = {FolderPlacement::kOnTop, FolderPlacement::kMixed,
                                           FolderPlacement::kAtBottom};

int placementIndex(FolderPlacement placement) {
  for (int i = 0; i < 3; ++i) {
    if (kPlacements[i] == placement) return i;
  }
  return 0;
}

}  // namespace

SoundsOptionsPage::SoundsOptionsPage(config::OptionsEditor& editor,
                                     const OptionsSheetContext& context, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kSounds, kSoundsHelp, parent) {
  auto page = [&editor]() -> config::SoundsPage& { return editor.sounds(); };
  auto* events = new QGridLayout;
  std::vector<QCheckBox*> boxes;
  std::vector<QWidget*> files;
  for (std::size_t i = 0; i < config::kSoundEventRows.size(); ++i) {
    const config::SoundEventRow& row = config::kSoundEventRows[i];
    auto* box = new QCheckBox(row.caption, this);
    auto* file = new QLineEdit(this);
    file->setMaxLength(static_cast<int>(config::kWaveFileFieldLength));
    auto* browse = new QToolButton(this);
    browse->setText("...");
    browse->setObjectName(QString("browse_%1").arg(row.waveKey));
    auto* play = new QToolButton(this);
    play->setText("Play");
    play->setObjectName(QString("play_%1").arg(row.waveKey));
    const int line = static_cast<int>(i);
    events->addWidget(box, line, 0);
    events->addWidget(file, line, 1);
    events->addWidget(browse, line, 2);
    events->addWidget(play, line, 3);
    events->setColumnStretch(1, 1);
    bindCheck(box, [page, i]() -> bool& { return page().enabled[i]; });
    bindText(file, [page, i]() -> std::string& { return page().waveFiles[i]; });
    onClick(browse, [this, file] {
      QString path = file->text();
      if (browseForFile(this, resources::string_id::kSoundFilesFilter, path)) file->setText(path);
    });
    connect(play, &QToolButton::clicked, this, [&context, event = row.event] {
      if (context.playSound) context.playSound(event);
    });
    boxes.push_back(box);
    files.push_back(file);
    files.push_back(browse);
  }
  QButtonGroup* choice = makeChoice(this, {"None", "Beeps", "Wave"});
  auto* sounds = new QGroupBox("Sounds", this);
  auto* choiceRow = new QHBoxLayout(sounds);
  for (QAbstractButton* button : choice->buttons()) {
    button->setParent(sounds);
    choiceRow->addWidget(button);
  }
  choiceRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(events);
  layout->addWidget(sounds);
  layout->addStretch();

  bindChoice(
      choice, [page] { return static_cast<int>(page().choice); },
      [page](int id) { page().choice = static_cast<config::SoundChoice>(id); });
  onRefresh([page, boxes, files] {
    const config::SoundChoice current = page().choice;
    for (QCheckBox* box : boxes) box->setEnabled(current != config::SoundChoice::kNone);
    for (QWidget* file : files) file->setEnabled(current == config::SoundChoice::kWave);
  });
}

SortOptionsPage::SortOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kSort, 0, parent) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(paneGroup(resources::loadString(resources::string_id::kLocalSortCaption).data(),
                              [&editor]() -> std::int32_t& { return editor.sort().localSort; }));
  layout->addWidget(
      paneGroup(resources::loadString(resources::string_id::kRemoteSortCaption).data(),
                [&editor]() -> std::int32_t& { return editor.sort().remoteSort; }));
}

QWidget* SortOptionsPage::paneGroup(const char* title, std::function<std::int32_t&()> value) {
  auto* box = new QGroupBox(title, this);
  QButtonGroup* key = makeChoice(
      box, {"No Sort", "Sort on Name", "Sort on Extension", "Sort on Date", "Sort on Size"});
  auto* reverse = new QCheckBox("Reverse Order", box);
  QButtonGroup* placement =
      makeChoice(box, {"Folders on top", "Mix folders with files", "Folders at bottom"});
  auto* layout = new QVBoxLayout(box);
  for (QAbstractButton* button : key->buttons()) layout->addWidget(button);
  layout->addWidget(reverse);
  for (QAbstractButton* button : placement->buttons()) layout->addWidget(button);
  layout->addStretch();

  // The controls edit the choice; the pane's value is made from it.
  auto choice = [value] { return listing::SortDialogChoiceFrom(value()); };
  auto update = [value, choice](auto change) {
    listing::SortDialogChoice edited = choice();
    change(edited);
    value() = listing::SortValueFrom(edited);
  };
  bindChoice(
      key, [choice] { return static_cast<int>(choice().key); },
      [update](int id) {
        update([id](listing::SortDialogChoice& c) { c.key = static_cast<SortKey>(id); });
      });
  bindCheck(
      reverse, [choice] { return choice().reverse; },
      [update](bool on) { update([on](listing::SortDialogChoice& c) { c.reverse = on; }); });
  bindChoice(
      placement, [choice] { return placementIndex(choice().placement); },
      [update](int id) {
        update([id](listing::SortDialogChoice& c) { c.placement = kPlacements[id]; });
      });
  return box;
}

TransferOptionsPage::TransferOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kTransfer, kTransferHelp, parent) {
  auto page = [&editor]() -> config::TransferPage& { return editor.transfer(); };
  auto* resume = new QCheckBox("&Resume failed downloads automatically", this);
  auto* times = new QCheckBox("&Keep file times", this);
  auto* overwrite = new QCheckBox("&Ask before overwriting a same or newer file", this);
  auto* skip = new QCheckBox("&Skip older or same files in folder transfers", this);
  auto* layout = new QVBoxLayout(this);
  for (QCheckBox* box : {resume, times, overwrite, skip}) layout->addWidget(box);
  layout->addStretch();
  bindCheck(resume, [page]() -> bool& { return page().resumeDownloads; });
  bindCheck(times, [page]() -> bool& { return page().keepFileTimes; });
  bindCheck(overwrite, [page]() -> bool& { return page().askBeforeOverwrite; });
  bindCheck(skip, [page]() -> bool& { return page().skipOlderInFolders; });
}

}  // namespace ferrix::shell
