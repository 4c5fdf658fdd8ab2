#include "shell/dialogs/error_lines.h"

#include <QPalette>

namespace ferrix::shell {
namespace {

constexpr int kDarkBaseLightness = 128;

}  // namespace

bool IsErrorLine(const QString& line) { return line.startsWith(QLatin1String("! ")); }

QColor ErrorLineColor(const QPalette& palette) {
  const bool darkBase = palette.color(QPalette::Base).lightness() < kDarkBaseLightness;
  return darkBase ? QColor(0xff, 0x6b, 0x6b) : QColor(0xc0, 0x00, 0x00);
}

ErrorLineHighlighter::ErrorLineHighlighter(QTextDocument* document, const QPalette& palette)
    : QSyntaxHighlighter(document) {
  format_.setForeground(ErrorLineColor(palette));
}

void ErrorLineHighlighter::highlightBlock(const QString& text) {
  if (IsErrorLine(text)) setFormat(0, static_cast<int>(text.size()), format_);
}

}  // namespace ferrix::shell
