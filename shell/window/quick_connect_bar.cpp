#include "shell/window/quick_connect_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include "config/ftp_url.h"

namespace ferrix::shell {
namespace {

constexpr int kPortFieldChars = 6;
constexpr int kBusyDelayMs = 250;
constexpr int kLeastFieldWidth = 50;

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

QLabel* labelFor(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

QuickConnectBar::QuickConnectBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("quickConnectBar"));
  host_ = new QComboBox(this);
  host_->setObjectName(QStringLiteral("quickHost"));
  host_->setEditable(true);
  host_->setInsertPolicy(QComboBox::NoInsert);
  host_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  host_->setMinimumContentsLength(8);
  host_->lineEdit()->setPlaceholderText(tr("host or ftp://user@host:port/path"));
  userId_ = new QLineEdit(this);
  userId_->setObjectName(QStringLiteral("quickUser"));
  userId_->setPlaceholderText(tr("anonymous"));
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("quickPassword"));
  password_->setEchoMode(QLineEdit::Password);
  for (QLineEdit* field : {userId_, password_}) field->setMinimumWidth(kLeastFieldWidth);
  port_ = new QLineEdit(this);
  port_->setObjectName(QStringLiteral("quickPort"));
  port_->setPlaceholderText(QStringLiteral("21"));
  port_->setMaxLength(5);
  port_->setFixedWidth(port_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kPortFieldChars + 12);
  remember_ = new QCheckBox(tr("Remember password"), this);
  remember_->setObjectName(QStringLiteral("quickRemember"));
  connect_ = new QPushButton(tr("Connect"), this);
  connect_->setObjectName(QStringLiteral("quickConnect"));
  connect_->setFocusPolicy(Qt::TabFocus);
  busy_ = new QProgressBar(this);
  busy_->setObjectName(QStringLiteral("busyIndicator"));
  busy_->setRange(0, 0);
  busy_->setTextVisible(false);
  busy_->setFixedWidth(port_->width() * 2);
  busy_->setToolTip(tr("Waiting for the server; Cancel stops the wait"));
  busy_->hide();
  busyDelay_ = new QTimer(this);
  busyDelay_->setSingleShot(true);
  busyDelay_->setInterval(kBusyDelayMs);
  connect(busyDelay_, &QTimer::timeout, busy_, &QWidget::show);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(labelFor(tr("Hos&t:"), host_, this));
  row->addWidget(host_, 3);
  row->addWidget(labelFor(tr("User:"), userId_, this));
  row->addWidget(userId_, 1);
  row->addWidget(labelFor(tr("Password:"), password_, this));
  row->addWidget(password_, 1);
  row->addWidget(labelFor(tr("Port:"), port_, this));
  row->addWidget(port_);
  row->addWidget(remember_);
  row->addWidget(connect_);
  row->addWidget(busy_);

  connect(connect_, &QPushButton::clicked, this, &QuickConnectBar::connectRequested);
  for (QLineEdit* field : {host_->lineEdit(), userId_, password_, port_}) {
    connect(field, &QLineEdit::returnPressed, this, &QuickConnectBar::connectRequested);
  }
  connect(host_, &QComboBox::activated, this, &QuickConnectBar::fillFromHistory);
}

config::QuickConnectEntries QuickConnectBar::entries() const {
  return {host_->currentText().toStdString(), userId_->text().toStdString(),
          password_->text().toStdString(), port_->text().toStdString()};
}

bool QuickConnectBar::rememberPassword() const { return remember_->isChecked(); }

void QuickConnectBar::setHistory(std::vector<config::QuickConnection> history) {
  history_ = std::move(history);
  const QSignalBlocker blocker(host_);
  const QString typed = host_->currentText();
  host_->clear();
  for (const config::QuickConnection& connection : history_) {
    host_->addItem(fromStd(config::QuickConnectionLabel(connection)));
  }
  host_->setCurrentIndex(-1);
  host_->setEditText(typed);
}

// A password in the URL moves to the password field, so it is not shown.
void QuickConnectBar::showUrl(const QString& url) {
  std::string text = url.toStdString();
  std::string password;
  if (const std::optional<config::TextSpan> span = config::FtpUrlPasswordSpan(text)) {
    password = config::PercentDecode(std::string_view(text).substr(span->offset, span->length))
                   .value_or("");
    // The ':' before the password goes with it.
    text.erase(span->offset - 1, span->length + 1);
  }
  host_->setEditText(fromStd(text));
  userId_->clear();
  password_->setText(fromStd(password));
  port_->clear();
}

void QuickConnectBar::setConnectEnabled(bool enabled) { connect_->setEnabled(enabled); }

void QuickConnectBar::setBusy(bool busy) {
  if (!busy) {
    busyDelay_->stop();
    busy_->hide();
  } else if (!busy_->isVisible() && !busyDelay_->isActive()) {
    busyDelay_->start();
  }
}

bool QuickConnectBar::busyShown() const { return busy_->isVisible(); }

void QuickConnectBar::fillFromHistory(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= history_.size()) return;
  const config::QuickConnection& connection = history_[static_cast<std::size_t>(index)];
  // The host field holds the plain host; a path needs the URL form to travel.
  const bool needsUrl =
      !connection.path.empty() || connection.tls != config::SiteProfile::kTlsWhenOffered;
  QString host = fromStd(connection.host);
  if (needsUrl) {
    const char* scheme = connection.tls == config::SiteProfile::kTlsImplicit   ? "ftps://"
                         : connection.tls == config::SiteProfile::kTlsRequired ? "ftpes://"
                                                                               : "ftp://";
    const QString bracketed = host.contains(QLatin1Char(':')) ? "[" + host + "]" : host;
    QString path = fromStd(connection.path);
    if (!path.startsWith(QLatin1Char('/'))) path.prepend(QLatin1Char('/'));
    host = QString::fromLatin1(scheme) + bracketed + ":" + QString::number(connection.port) +
           QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
  }
  host_->setEditText(host);
  userId_->setText(fromStd(connection.userId));
  password_->setText(fromStd(connection.password));
  port_->setText(needsUrl ? QString() : QString::number(connection.port));
  remember_->setChecked(!connection.password.empty());
}

}  // namespace ferrix::shell
