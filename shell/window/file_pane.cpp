#include "shell/window/file_pane.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/window/pane_header.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/window_commands.h"

namespace ferrix::shell {

namespace {

using listing::PaneSide;
using namespace command;

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct ButtonPair {
  int local;
  int remote;
};
constexpr ButtonPair kPaneButtons[] = {
    {kLocalChangeFolder, kRemoteChangeFolder}, {kLocalMakeFolder, kRemoteMakeFolder},
    {kLocalView, kRemoteView},                 {kLocalExec, kRemoteExec},
    {kLocalRename, kRemoteRename},             {kLocalDelete, kRemoteDelete},
    {kLocalRefresh, kRemoteRefresh},           {kLocalDirInfo, kRemoteDirInfo}};

}  // namespace

QString ControlCaption(int id) { return fromView(ControlTextOf(id).caption); }
QString ControlToolTip(int id) { return fromView(ControlTextOf(id).toolTip); }
QString ControlObjectName(int id) { return fromView(ObjectNameOf(id)); }

PaneListView::PaneListView(QWidget* parent) : QListView(parent) {
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
  setDropIndicatorShown(true);
  connect(this, &QListView::doubleClicked, this,
          [this](const QModelIndex& index) { emit entryActivated(index.row()); });
}

void PaneListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      currentIndex().isValid()) {
    emit entryActivated(currentIndex().row());
    return;
  }
  if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
    emit parentRequested();
    return;
  }
  QListView::keyPressEvent(event);
}

namespace {

bool carriesEntries(const QMimeData* data) {
  return data->hasUrls() || data->hasFormat(QString::fromLatin1(PaneListModel::kRemoteEntriesMime));
}

}  // namespace

void PaneListView::dragEnterEvent(QDragEnterEvent* event) {
  if (carriesEntries(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void PaneListView::dragMoveEvent(QDragMoveEvent* event) {
  if (!carriesEntries(event->mimeData())) {
    event->ignore();
    return;
  }
  QListView::dragMoveEvent(event);
  event->acceptProposedAction();
}

void PaneListView::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  std::vector<std::string> paths;
  batch::DragSource source = batch::DragSource::kOtherProgram;
  const auto* from = qobject_cast<const PaneListView*>(event->source());
  const auto* fromModel = from ? qobject_cast<const PaneListModel*>(from->model()) : nullptr;
  if (fromModel) {
    source = fromModel->side() == listing::PaneSide::kLocal ? batch::DragSource::kLocalPane
                                                            : batch::DragSource::kRemotePane;
  }
  if (data->hasFormat(QString::fromLatin1(PaneListModel::kRemoteEntriesMime))) {
    const QByteArray names = data->data(QString::fromLatin1(PaneListModel::kRemoteEntriesMime));
    for (const QByteArray& name : names.split('\n')) {
      if (!name.isEmpty()) paths.push_back(name.toStdString());
    }
  } else {
    for (const QUrl& url : data->urls()) {
      if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    }
  }
  const QModelIndex under = indexAt(event->position().toPoint());
  std::optional<std::size_t> row;
  if (under.isValid()) row = static_cast<std::size_t>(under.row());
  // Released over the entry the drag started on: that was a click.
  if (from == this && row && selectionModel()->isRowSelected(under.row())) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  emit dropped(source, std::move(paths), row);
}

void PaneListView::keyboardSearch(const QString& search) {
  const int rows = model() ? model()->rowCount() : 0;
  if (search.isEmpty() || rows == 0) return;
  // Each character is a search of its own: the next entry after the caret
  // whose name starts with it, wrapping to the top.
  const QString wanted = search.right(1);
  const int start = currentIndex().isValid() ? currentIndex().row() : -1;
  for (int step = 1; step <= rows; ++step) {
    const int row = (start + step) % rows;
    const QModelIndex index = model()->index(row, 0);
    if (index.data().toString().startsWith(wanted, Qt::CaseInsensitive)) {
      setCurrentIndex(index);
      selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
      scrollTo(index);
      return;
    }
  }
}

FilePane::FilePane(PaneSide side, const PaneLook& look, QWidget* parent)
    : QWidget(parent), side_(side) {
  const bool local = side == PaneSide::kLocal;
  caption_ = new QLabel(fromView(local ? kLocalCaption : kRemoteCaption), this);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);

  folderBox_ = new QComboBox(this);
  folderBox_->setEditable(true);
  folderBox_->setInsertPolicy(QComboBox::NoInsert);
  // The history is offered in a popup, never written into the box: a typed
  // "/" must stay "/" and not become the first folder it begins.
  folderBox_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  folderBox_->completer()->setCaseSensitivity(Qt::CaseSensitive);
  folderBox_->setObjectName(ControlObjectName(local ? kLocalFolderBox : kRemoteFolderBox));
  folderBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  folderBox_->setMinimumContentsLength(10);

  const int maskId = local ? kLocalMask : kRemoteMask;
  maskBox_ = new QLineEdit(this);
  maskBox_->setObjectName(ControlObjectName(maskId));
  maskBox_->setText(local ? QStringLiteral("*.*") : QString());
  maskBox_->setMaxLength(local ? 12 : 19);
  maskBox_->installEventFilter(this);

  model_ = new PaneListModel(side, this);
  list_ = new PaneListView(this);
  list_->setObjectName(ControlObjectName(local ? kLocalList : kRemoteList));
  list_->setModel(model_);
  list_->setItemDelegate(new PaneDelegate(look, list_));
  header_ = new PaneHeader(look, local ? kLocalHeaderFirst : kRemoteHeaderFirst, this);

  auto* listColumn = new QVBoxLayout;
  listColumn->setSpacing(0);
  listColumn->addWidget(header_);
  listColumn->addWidget(list_, 1);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(caption_, 0, 0, 1, 2);
  grid->addWidget(folderBox_, 1, 0, 1, 2);
  grid->addWidget(maskBox_, 2, 0, 1, 2);
  grid->addLayout(listColumn, 3, local ? 0 : 1);
  grid->addWidget(makeButtons(), 3, local ? 1 : 0, Qt::AlignTop);
  grid->setColumnStretch(local ? 0 : 1, 1);
  grid->setRowStretch(3, 1);

  connect(list_, &PaneListView::entryActivated, this, &FilePane::entryActivated);
  connect(list_, &PaneListView::dropped, this, &FilePane::dropped);
  connect(list_, &PaneListView::parentRequested, this, [this] {
    const auto& items = model_->items();
    const auto parent = std::find_if(items.begin(), items.end(),
                                     [](const listing::PaneItem& item) { return item.isParent(); });
    if (parent != items.end()) emit entryActivated(static_cast<int>(parent - items.begin()));
  });
  connect(list_->horizontalScrollBar(), &QScrollBar::valueChanged, header_,
          &PaneHeader::setScrollOffset);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &FilePane::selectionChanged);
  connect(model_, &QAbstractItemModel::modelReset, this, &FilePane::selectionChanged);
  connect(header_, &PaneHeader::headerClicked, this, &FilePane::headerClicked);
  connect(header_, &PaneHeader::columnsMoved, this, &FilePane::columnsMoved);
  connect(folderBox_, &QComboBox::activated, this,
          [this](int index) { emit folderChosen(folderBox_->itemText(index)); });
  connect(folderBox_->lineEdit(), &QLineEdit::returnPressed, this,
          [this] { emit folderChosen(folderBox_->currentText()); });
  connect(maskBox_, &QLineEdit::returnPressed, this, &FilePane::maskEntered);
}

QWidget* FilePane::makeButtons() {
  buttonColumn_ = new QWidget(this);
  auto* column = new QVBoxLayout(buttonColumn_);
  column->setContentsMargins(0, 0, 0, 0);
  for (const ButtonPair& pair : kPaneButtons) {
    const int id = side_ == PaneSide::kLocal ? pair.local : pair.remote;
    auto* button = new QPushButton(ControlCaption(id), buttonColumn_);
    button->setObjectName(ControlObjectName(id));
    button->setFocusPolicy(Qt::TabFocus);
    connect(button, &QPushButton::clicked, this, [this, id] { emit commandRequested(id); });
    column->addWidget(button);
    buttons_[id] = button;
  }
  column->addStretch(1);
  return buttonColumn_;
}

QPushButton* FilePane::button(int id) const {
  const auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second;
}

std::vector<int> FilePane::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<const listing::PaneItem*> FilePane::selectedItems() const {
  std::vector<const listing::PaneItem*> items;
  for (const int row : selectedRows()) items.push_back(&model_->item(row));
  return items;
}

void FilePane::setItems(std::vector<listing::PaneItem> items) { model_->setItems(std::move(items)); }

void FilePane::setFolderHistory(const std::vector<std::string>& folders) {
  folderBox_->clear();
  for (const std::string& folder : folders) folderBox_->addItem(QString::fromStdString(folder));
  if (!folders.empty()) folderBox_->setCurrentIndex(0);
}

void FilePane::columnsChanged() {
  list_->doItemsLayout();
  list_->viewport()->update();
  header_->updateGeometry();
  header_->update();
}

void FilePane::setButtonsShown(bool shown) { buttonColumn_->setVisible(shown); }

void FilePane::setListFont(const QFont& font) {
  list_->setFont(font);
  folderBox_->setFont(font);
  maskBox_->setFont(font);
  list_->doItemsLayout();
}

void FilePane::setToolTipsShown(bool shown) {
  header_->setToolTipsShown(shown);
  const int maskId = side_ == PaneSide::kLocal ? kLocalMask : kRemoteMask;
  maskBox_->setToolTip(shown ? ControlToolTip(maskId) : QString());
  for (const auto& [id, button] : buttons_) button->setToolTip(shown ? ControlToolTip(id) : QString());
}

bool FilePane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == maskBox_ && event->type() == QEvent::FocusOut) emit maskLeft();
  return QWidget::eventFilter(watched, event);
}

}  // namespace ferrix::shell
