#include "shell/window/pane_list_model.h"

#include <QMimeData>
#include <QUrl>
#include <algorithm>
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

Qt::ItemFlags PaneListModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags flags = QAbstractListModel::flags(index) | Qt::ItemIsDropEnabled;
  if (!index.isValid() || item(index.row()).isParent()) return flags;
  return flags | Qt::ItemIsDragEnabled;
}

QStringList PaneListModel::mimeTypes() const {
  return {QStringLiteral("text/uri-list"), QString::fromLatin1(kRemoteEntriesMime)};
}

QMimeData* PaneListModel::mimeData(const QModelIndexList& indexes) const {
  QModelIndexList rows = indexes;
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  auto* data = new QMimeData;
  if (side_ == listing::PaneSide::kLocal) {
    QList<QUrl> urls;
    for (const QModelIndex& index : rows) {
      const std::string name(item(index.row()).name());
      urls.push_back(QUrl::fromLocalFile(QString::fromStdString((folder_ / name).string())));
    }
    data->setUrls(urls);
  } else {
    // The server's own bytes: a name that is not UTF-8 must still find its entry.
    QByteArrayList names;
    for (const QModelIndex& index : rows) {
      const std::string_view name = item(index.row()).name();
      names.push_back(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
    data->setData(QString::fromLatin1(kRemoteEntriesMime), names.join('\n'));
  }
  return data;
}

QVariant PaneListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const listing::PaneItem& paneItem = item(index.row());
  if (role == Qt::DisplayRole) return QString::fromStdString(std::string(paneItem.shownName()));
  return {};
}

}  // namespace ferrix::shell
