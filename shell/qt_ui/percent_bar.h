// The transfer status dialog's percentage bar: the client width rounded down
// to a multiple of 100 is the scale; the done part is filled light grey, the
// rest white, with "N%" centred over both. Nothing is filled before the first
// percentage arrives.
//
// Thread rule: GUI thread only.
#pragma once

#include <QWidget>

namespace ferrix::shell {

class PercentBar final : public QWidget {
  Q_OBJECT

 public:
  explicit PercentBar(QWidget* parent);

  void setPercent(unsigned percent);
  unsigned percent() const { return percent_; }
  QString text() const { return text_; }

  // The width of the filled part for a bar `width` pixels wide.
  static int filledWidth(int width, unsigned percent);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  unsigned percent_ = 0;
  QString text_;
};

}  // namespace ferrix::shell
