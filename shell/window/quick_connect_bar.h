// QuickConnectBar: the row above the panes that reaches a server without a
// saved site: Host (also an ftp://, ftps:// or ftpes:// URL), User,
// Password, Port, "Remember password" and Connect. The host field's list is
// the history of quick connections; choosing one fills the row again.
// Return in any field connects, as the button does.
//
// Owned by the main window. Thread rule: GUI thread only.
#pragma once

#include <QWidget>
#include <vector>

#include "config/quick_connect.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace ferrix::shell {

class QuickConnectBar final : public QWidget {
  Q_OBJECT

 public:
  explicit QuickConnectBar(QWidget* parent = nullptr);

  config::QuickConnectEntries entries() const;
  bool rememberPassword() const;
  void setHistory(std::vector<config::QuickConnection> history);
  // Shows `url` in the host field, its password (if any) in the password
  // field and the other fields emptied, as when the Remote Site box was
  // given a URL.
  void showUrl(const QString& url);
  // While connected the fields stay, but Connect has nothing to do.
  void setConnectEnabled(bool enabled);
  // The busy indicator at the row's end: shown while the window waits on the
  // server, after a short delay so that quick answers do not make it flicker.
  void setBusy(bool busy);
  bool busyShown() const;

 signals:
  void connectRequested();

 private:
  void fillFromHistory(int index);

  QComboBox* host_;
  QLineEdit* userId_;
  QLineEdit* password_;
  QLineEdit* port_;
  QCheckBox* remember_;
  QPushButton* connect_;
  QProgressBar* busy_;
  QTimer* busyDelay_;
  std::vector<config::QuickConnection> history_;
};

}  // namespace ferrix::shell
