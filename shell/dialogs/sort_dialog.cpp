#include "shell/dialogs/sort_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/dialogs/resource_text.h"

namespace ferrix::shell {
namespace {

using listing::FolderPlacement;
using listing::SortKey;

struct KeyButton {
  SortKey key;
  const char* text;
  const char* objectName;
};

constexpr KeyButton kKeyButtons[] = {
    {SortKey::kNone, "No Sort", "sortNone"},
    {SortKey::kName, "Sort on Name", "sortName"},
    {SortKey::kExtension, "Sort on Extension", "sortExtension"},
    {SortKey::kDate, "Sort on Date", "sortDate"},
    {SortKey::kSize, "Sort on Size", "sortSize"},
};

struct PlacementButton {
  FolderPlacement placement;
  const char* text;
  const char* objectName;
};

constexpr PlacementButton kPlacementButtons[] = {
    {FolderPlacement::kOnTop, "Folders on top", "foldersOnTop"},
    {FolderPlacement::kMixed, "Mix folders with files", "foldersMixed"},
    {FolderPlacement::kAtBottom, "Folders at bottom", "foldersAtBottom"},
};

QRadioButton* addRadio(QButtonGroup* group, QLayout* column, const char* text,
                       const char* objectName, int id) {
  auto* button = new QRadioButton(QString::fromLatin1(text));
  button->setObjectName(objectName);
  group->addButton(button, id);
  column->addWidget(button);
  return button;
}

QString title(listing::PaneSide side) {
  return resourceText(side == listing::PaneSide::kLocal ? resources::string_id::kLocalSortCaption
                                                        : resources::string_id::kRemoteSortCaption);
}

}  // namespace

SortDialog::SortDialog(QWidget* parent, std::int32_t current, listing::PaneSide side)
    : QDialog(parent), keys_(new QButtonGroup(this)), placements_(new QButtonGroup(this)) {
  setObjectName("sortDialog");
  setWindowTitle(title(side));
  const listing::SortDialogChoice choice = listing::SortDialogChoiceFrom(current);

  auto* keyBox = new QGroupBox(this);
  auto* keyColumn = new QVBoxLayout(keyBox);
  for (const KeyButton& button : kKeyButtons) {
    addRadio(keys_, keyColumn, button.text, button.objectName, static_cast<int>(button.key))
        ->setChecked(button.key == choice.key);
  }
  reverse_ = new QCheckBox(tr("Reverse Order"), this);
  reverse_->setObjectName("reverseOrder");
  reverse_->setChecked(choice.reverse);
  auto* placementBox = new QGroupBox(this);
  auto* placementColumn = new QVBoxLayout(placementBox);
  for (const PlacementButton& button : kPlacementButtons) {
    addRadio(placements_, placementColumn, button.text, button.objectName,
             static_cast<int>(button.placement))
        ->setChecked(button.placement == choice.placement);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(keyBox);
  layout->addWidget(reverse_);
  layout->addWidget(placementBox);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::int32_t SortDialog::sortValue() const {
  listing::SortDialogChoice choice;
  choice.key = static_cast<SortKey>(keys_->checkedId());
  choice.reverse = reverse_->isChecked();
  choice.placement = static_cast<FolderPlacement>(placements_->checkedId());
  return listing::SortValueFrom(choice);
}

std::optional<std::int32_t> askSortValue(QWidget* parent, std::int32_t current,
                                         listing::PaneSide side) {
  SortDialog dialog(parent, current, side);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.sortValue();
}

}  // namespace ferrix::shell
