// PaneListModel: the Qt model a file pane's view shows. It holds a copy of
// the pane's items in the pane's order (listing::PaneModel decides the
// order; the engine fills its own PaneModel and hands the finished item
// vector over), so a refill is one reset of the model, never a row at a time.
//
// Thread rule: GUI thread.
#pragma once

#include <QAbstractListModel>
#include <filesystem>
#include <vector>

#include "listing/pane_item.h"

namespace ferrix::shell {

class PaneListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  PaneListModel(listing::PaneSide side, QObject* parent);

  listing::PaneSide side() const { return side_; }
  void setItems(std::vector<listing::PaneItem> items);
  const std::vector<listing::PaneItem>& items() const { return items_; }
  const listing::PaneItem& item(int row) const { return items_.at(static_cast<std::size_t>(row)); }

  // The folder the local pane shows, for the paths its entries are dragged as.
  void setFolder(std::filesystem::path folder) { folder_ = std::move(folder); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Dragged local entries are file URLs other programs take; remote ones
  // carry their names under kRemoteEntriesMime.
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }

  static constexpr const char* kRemoteEntriesMime = "application/x-ferrix-remote-entries";
  // The display role is the item's name; the tool-tip role its whole text.
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  listing::PaneSide side_;
  std::vector<listing::PaneItem> items_;
  std::filesystem::path folder_;
};

}  // namespace ferrix::shell
