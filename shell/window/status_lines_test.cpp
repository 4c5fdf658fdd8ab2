// The status lines read like every log, newest at the bottom, and error
// lines stand out there and in the log window's text.
#include "shell/window/status_lines.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "session/message_log.h"
#include "shell/dialogs/error_lines.h"

namespace ferrix::shell {
namespace {

TEST(StatusLines, TheNewestLineIsAtTheBottomAndErrorsAreColoured) {
  session::MessageLog log;
  StatusLines lines(log, nullptr);
  for (const char* text : {"220 ready", "USER anne", "! connect: Connection refused", "QUIT"}) {
    log.logMessage(text);
  }
  auto label = [&lines](int number) {
    return lines.findChild<QLabel*>(QStringLiteral("statusLine%1").arg(number));
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return label(3)->text() == QStringLiteral("QUIT"); }, 5000));
  EXPECT_EQ(label(1)->text(), QStringLiteral("USER anne"));
  EXPECT_EQ(label(2)->text(), QStringLiteral("! connect: Connection refused"));
  EXPECT_EQ(lines.texts()[0], QStringLiteral("QUIT"));

  const QColor error = ErrorLineColor(label(2)->palette());
  EXPECT_EQ(label(2)->palette().color(QPalette::WindowText), error);
  EXPECT_NE(label(3)->palette().color(QPalette::WindowText), error);

  // Progress replaces the newest line, at the bottom.
  lines.showProgress(1, QStringLiteral("12345 bytes"));
  EXPECT_EQ(label(3)->text(), QStringLiteral("12345 bytes"));
}

TEST(StatusLines, TheLogWindowColoursOnlyErrorLines) {
  QPlainTextEdit text;
  new ErrorLineHighlighter(text.document(), text.palette());
  text.setPlainText(QStringLiteral("220 ready\n! 530 refused\nQUIT"));
  const QColor error = ErrorLineColor(text.palette());
  auto colourOf = [&text](int line) {
    const QList<QTextLayout::FormatRange> formats =
        text.document()->findBlockByNumber(line).layout()->formats();
    return formats.isEmpty() ? QColor() : formats.front().format.foreground().color();
  };
  EXPECT_EQ(colourOf(1), error);
  EXPECT_FALSE(colourOf(0).isValid());
  EXPECT_FALSE(colourOf(2).isValid());
}

}  // namespace
}  // namespace ferrix::shell
