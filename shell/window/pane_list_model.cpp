#include "shell/window/pane_list_model.h"

#include <utility>

namespace ferrix::shell {

PaneListModel::PaneListModel(listing::PaneSide side, QObject* parent)
    : QAbstractListModel(parent), side_(side) {}

void PaneListModel::setItems(std::vector<listing::PaneItem> items) {
  beginResetModel();
  items_ = std::move(items);
  endResetModel();
}

int PaneListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant PaneListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const listing::PaneItem& paneItem = item(index.row());
  if (role == Qt::DisplayRole) return QString::fromStdString(std::string(paneItem.name()));
  return {};
}

}  // namespace ferrix::shell
