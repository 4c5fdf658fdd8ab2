// The sort dialog of a file pane: which key orders the pane (none, name,
// extension, date, size), reverse order, and where folders go (on top, mixed
// with files, at the bottom). askSortValue shows it modal over `parent`,
// titled after the pane, and returns the pane's new sort value on OK
// (the caller replaces the pane's value when it differs), nothing on Cancel.
// Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "listing/pane_item.h"
#include "listing/pane_order.h"

class QButtonGroup;
class QCheckBox;

namespace ferrix::shell {

std::optional<std::int32_t> askSortValue(QWidget* parent, std::int32_t current,
                                         listing::PaneSide side);

class SortDialog final : public QDialog {
  Q_OBJECT

 public:
  SortDialog(QWidget* parent, std::int32_t current, listing::PaneSide side);

  // The sort value the controls show.
  std::int32_t sortValue() const;

 private:
  QButtonGroup* keys_;
  QCheckBox* reverse_;
  QButtonGroup* placements_;
};

}  // namespace ferrix::shell
