#include "shell/desktop/text_viewer.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ferrix::shell {
namespace {

constexpr int kWidthInCharacters = 100;
constexpr int kHeightInLines = 30;

}  // namespace

QWidget* ShowTextViewer(const QString& title, const QString& text, QWidget* parent) {
  auto* window = new QDialog(parent);
  window->setObjectName(QStringLiteral("textViewer"));
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  auto* view = new QPlainTextEdit(window);
  view->setObjectName(QStringLiteral("textViewerText"));
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view->setPlainText(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
  auto* column = new QVBoxLayout(window);
  column->addWidget(view, 1);
  column->addWidget(buttons);
  const QFontMetrics metrics(view->font());
  window->resize(metrics.horizontalAdvance(QLatin1Char('0')) * kWidthInCharacters,
                 metrics.lineSpacing() * kHeightInLines);
  window->show();
  return window;
}

}  // namespace ferrix::shell
