// What the options tests share: finding a control on a page by its caption,
// as a person would.
//
// Thread rule: GUI thread only.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

namespace ferrix::shell {

// The first `Widget` below `root` whose text is `text`; a test failure and
// nullptr when there is none.
template <typename Widget>
Widget* byText(QWidget* root, const QString& text) {
  for (Widget* widget : root->findChildren<Widget*>()) {
    if (widget->text() == text) return widget;
  }
  ADD_FAILURE() << "no widget with text " << text.toStdString();
  return nullptr;
}

}  // namespace ferrix::shell
