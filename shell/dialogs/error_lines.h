// Error lines of the message log ("! ..." ) stand out wherever the log is
// shown: IsErrorLine tells them, ErrorLineColor is their colour, and
// ErrorLineHighlighter colours them in a text document (the log window).
//
// Thread rule: GUI thread.
#pragma once

#include <QColor>
#include <QSyntaxHighlighter>

class QPalette;

namespace ferrix::shell {

bool IsErrorLine(const QString& line);
// A red that reads on the palette's base colour, light or dark.
QColor ErrorLineColor(const QPalette& palette);

class ErrorLineHighlighter final : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  ErrorLineHighlighter(QTextDocument* document, const QPalette& palette);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextCharFormat format_;
};

}  // namespace ferrix::shell
