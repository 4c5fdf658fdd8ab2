// PaneListModel: the Qt model a file pane's view shows. It holds a copy of
// the pane's items in the pane's order (listing::PaneModel decides the
// order; the engine fills its own PaneModel and hands the finished item
// vector over), so a refill is one reset of the model, never a row at a time.
//
// Thread rule: GUI thread.
#pragma once

#include <QAbstractListModel>
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

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // The display role is the item's name; the tool-tip role its whole text.
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  listing::PaneSide side_;
  std::vector<listing::PaneItem> items_;
};

}  // namespace ferrix::shell
