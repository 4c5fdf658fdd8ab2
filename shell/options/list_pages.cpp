#include "shell/options/list_pages.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ferrix::shell {
namespace {

constexpr int kConvertHelp = 246;
constexpr int kExtensionsHelp = 251;

void showEntries(QListWidget* list, const std::vector<std::string>& entries) {
  list->clear();
  for (const std::string& entry : entries) list->addItem(QString::fromStdString(entry));
}

QLabel* explanation(const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

ConvertOptionsPage::ConvertOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kConvert, kConvertHelp, parent) {
  const int fieldLength = static_cast<int>(config::ConversionList::kFieldLength);
  auto* source = new QLineEdit(this);
  source->setObjectName("source");
  source->setMaxLength(fieldLength);
  auto* destination = new QLineEdit(this);
  destination->setObjectName("destination");
  destination->setMaxLength(fieldLength);
  auto* add = new QPushButton("&Add", this);
  auto* remove = new QPushButton("&Delete", this);
  auto* list = new QListWidget(this);

  auto* fields = new QFormLayout;
  fields->addRow("Source", source);
  fields->addRow("Destination", destination);
  auto* grid = new QGridLayout;
  grid->addLayout(fields, 0, 0);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(remove);
  grid->addLayout(buttons, 0, 1);
  grid->setRowStretch(1, 1);
  grid->addWidget(list, 1, 0, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addWidget(explanation(
      "Converts the source extension to the destination extension on transfer.  Source is "
      "dependent on transfer direction.",
      this));
  layout->addWidget(explanation(
      "Conversion takes place only for sites with \"Convert Extensions\" checked on the "
      "Session page.",
      this));

  onRefresh([list, &editor] { showEntries(list, editor.conversions().entries()); });
  onClick(add, [&editor, source, destination] {
    editor.conversions().add(source->text().toStdString(), destination->text().toStdString());
  });
  onClick(remove, [&editor, source] { editor.conversions().remove(source->text().toStdString()); });
  connect(list, &QListWidget::itemClicked, this, [source, destination](QListWidgetItem* item) {
    const auto [from, to] = config::ConversionList::split(item->text().toStdString());
    source->setText(QString::fromStdString(from));
    destination->setText(QString::fromStdString(to));
  });
}

ExtensionsOptionsPage::ExtensionsOptionsPage(config::OptionsEditor& editor, QWidget* parent)
    : OptionsPageWidget(editor, config::OptionsPage::kExtensions, kExtensionsHelp, parent) {
  auto* name = new QLineEdit(this);
  name->setObjectName("asciiName");
  name->setMaxLength(static_cast<int>(config::AsciiNameList::kEntryLength));
  auto* add = new QPushButton("&Add", this);
  auto* list = new QListWidget(this);
  auto* remove = new QPushButton("&Delete", this);

  auto* grid = new QGridLayout;
  grid->addWidget(name, 0, 0);
  grid->addWidget(add, 0, 1);
  grid->addWidget(list, 1, 0);
  auto* side = new QVBoxLayout;
  side->addWidget(remove);
  side->addStretch();
  grid->addLayout(side, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addWidget(explanation(
      "In Auto-Mode, all files are transferred as binary unless the filename or extension is "
      "listed here.  Any file with a filename or extension listed here will be transferred as "
      "ASCII.  This applies to transfers, View, Execute and Edit.",
      this));

  onRefresh([list, &editor] { showEntries(list, editor.asciiNames().entries()); });
  onClick(add, [&editor, name] { editor.asciiNames().add(name->text().toStdString()); });
  onClick(remove, [&editor, name] { editor.asciiNames().remove(name->text().toStdString()); });
  connect(list, &QListWidget::itemClicked, this, [name, remove](QListWidgetItem* item) {
    name->setText(item->text());
    remove->setFocus();
  });
}

}  // namespace ferrix::shell
