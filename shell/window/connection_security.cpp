#include "shell/window/connection_security.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

namespace ferrix::shell {
namespace {

constexpr int kGapBefore = 12;  // from the transfer mode's check box

}  // namespace

QString ReadableTlsProtocol(const std::string& protocol) {
  const QString name = QString::fromStdString(protocol);
  if (name.startsWith(QLatin1String("TLSv"))) return QStringLiteral("TLS ") + name.mid(4);
  return name;
}

ConnectionSecurity::ConnectionSecurity(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("connectionSecurity"));
  auto* layout = new QHBoxLayout(this);
  // The sign may shrink away (see minimumSizeHint), so its layout must not
  // hold the widget at the labels' width.
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->setContentsMargins(kGapBefore, 0, 0, 0);
  layout->setSpacing(4);
  icon_ = new QLabel(this);
  text_ = new QLabel(this);
  layout->addWidget(icon_);
  layout->addWidget(text_);
  hide();
}

void ConnectionSecurity::showState(bool connected, const std::string& tlsProtocol) {
  setVisible(connected);
  if (!connected) return;
  const bool secured = !tlsProtocol.empty();
  const int side = text_->fontMetrics().height();
  icon_->setPixmap(QIcon(secured ? QStringLiteral(":/icons/locked.svg")
                                 : QStringLiteral(":/icons/unlocked.svg"))
                       .pixmap(side, side));
  text_->setText(secured ? ReadableTlsProtocol(tlsProtocol) : tr("Not encrypted"));
  setToolTip(secured ? tr("The connection to the server is encrypted with %1.")
                           .arg(QString::fromStdString(tlsProtocol))
                     : tr("The connection to the server is not encrypted: passwords and "
                          "files travel as they are."));
}

QSize ConnectionSecurity::minimumSizeHint() const {
  return {0, QWidget::minimumSizeHint().height()};
}

QString ConnectionSecurity::text() const { return isHidden() ? QString() : text_->text(); }

}  // namespace ferrix::shell
