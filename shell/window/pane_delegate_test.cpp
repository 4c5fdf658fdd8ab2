#include "shell/window/pane_delegate.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QListView>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <vector>

#include "listing/pane_item.h"
#include "listing/pane_text.h"
#include "shell/window/pane_list_model.h"

namespace ferrix::shell {
namespace {

// The columns, left to right, in which `item`'s row has ink.
std::vector<bool> inkedColumns(const listing::PaneItem& item, const PaneLook& look) {
  PaneListModel model(listing::PaneSide::kRemote, nullptr);
  model.setItems({item});
  QListView view;
  PaneDelegate delegate(look, nullptr);
  QStyleOptionViewItem option;
  option.initFrom(&view);
  option.rect = QRect(0, 0, 600, PaneDelegate::rowHeight(option.fontMetrics));
  option.widget = &view;
  QImage image(option.rect.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    delegate.paint(&painter, option, model.index(0));
  }
  std::vector<bool> inked(static_cast<std::size_t>(image.width()), false);
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) {
      if (qGray(image.pixel(x, y)) < 128) inked[static_cast<std::size_t>(x)] = true;
    }
  }
  return inked;
}

TEST(PaneDelegate, ASizeWiderThanItsColumnKeepsEveryDigit) {
  const PaneLook look{listing::ParseColumnStops("20,140,260,300"), 0, 1};
  listing::PaneItem item = listing::MakeNamedItem(listing::PaneSide::kRemote,
                                                  listing::kKindFile, "big.iso");
  item.year = 2026;
  item.month = 12;
  item.day = 7;
  item.size = 6950033216;
  const std::vector<bool> inked = inkedColumns(item, look);

  // Ink from the size column's start to past its stop, as wide as the text.
  const QFontMetrics metrics(QListView().font());
  const int textWidth = metrics.horizontalAdvance(
      QString::fromStdString(listing::SizeText(item.size)));
  int first = -1;
  int last = -1;
  for (int x = look.columns.columnStart(3); x < static_cast<int>(inked.size()); ++x) {
    if (!inked[static_cast<std::size_t>(x)]) continue;
    if (first < 0) first = x;
    last = x;
  }
  ASSERT_GE(first, 0);
  EXPECT_GE(last - first + 1, textWidth - metrics.averageCharWidth());
  EXPECT_GT(last, look.columns.stops[3]);
}

}  // namespace
}  // namespace ferrix::shell
