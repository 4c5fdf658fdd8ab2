// FilePane: one of the window's two file panes: its caption ("Local System"
// or "Remote Site"), the folder box with the folder history, the mask box,
// the column headers, the list of entries and the column of pane buttons.
// The list is a model/view list with one fixed row height and a delegate
// that draws each entry, so a folder of 100,000 entries lays out at once.
//
// The pane only reports what the person does (a button, Enter or a double
// click on an entry, a header click, a folder chosen, a mask entered or left)
// and shows what the window gives it; the window decides what each means.
// Thread rule: GUI thread.
#pragma once

#include <QListView>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "listing/pane_item.h"
#include "listing/pane_order.h"
#include "batch/drop_handling.h"
#include "shell/window/pane_delegate.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ferrix::shell {

class PaneHeader;
class PaneListModel;

// The list of a pane: Enter acts as a double click, a typed character
// selects the next entry whose name starts with it.
class PaneListView final : public QListView {
  Q_OBJECT

 public:
  explicit PaneListView(QWidget* parent);
  void keyboardSearch(const QString& search) override;

 signals:
  void entryActivated(int row);
  // Backspace: up one folder.
  void parentRequested();
  // Entries or files were dropped here; `row` is the entry under the drop.
  void dropped(batch::DragSource source, std::vector<std::string> paths, std::optional<std::size_t> row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

class FilePane final : public QWidget {
  Q_OBJECT

 public:
  FilePane(listing::PaneSide side, const PaneLook& look, QWidget* parent);

  listing::PaneSide side() const { return side_; }
  PaneListView* list() const { return list_; }
  PaneListModel* model() const { return model_; }
  PaneHeader* header() const { return header_; }
  QComboBox* folderBox() const { return folderBox_; }
  QLineEdit* maskBox() const { return maskBox_; }
  QPushButton* button(int id) const;

  // Rows of the selected entries, in the pane's order.
  std::vector<int> selectedRows() const;
  std::vector<const listing::PaneItem*> selectedItems() const;
  void setItems(std::vector<listing::PaneItem> items);
  void setFolderHistory(const std::vector<std::string>& folders);
  // The stops changed: the list and the header are laid out again.
  void columnsChanged();
  void setButtonsShown(bool shown);
  // The list font: the list (its rows take the font's height), the folder
  // box and the mask box.
  void setListFont(const QFont& font);
  void setToolTipsShown(bool shown);

 signals:
  void commandRequested(int id);
  void entryActivated(int row);
  void headerClicked(listing::HeaderClick click);
  void columnsMoved(listing::ColumnStops columns);
  void folderChosen(QString folder);
  void maskEntered();
  void maskLeft();
  void selectionChanged();
  void dropped(batch::DragSource source, std::vector<std::string> paths,
               std::optional<std::size_t> row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* makeButtons();

  listing::PaneSide side_;
  QLabel* caption_;
  QComboBox* folderBox_;
  QLineEdit* maskBox_;
  PaneHeader* header_;
  PaneListView* list_;
  PaneListModel* model_;
  QWidget* buttonColumn_ = nullptr;
  std::map<int, QPushButton*> buttons_;
};

// A widget's text, tool tip and object name from the control table.
QString ControlCaption(int id);
QString ControlObjectName(int id);
QString ControlToolTip(int id);

}  // namespace ferrix::shell
