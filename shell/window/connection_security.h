// ConnectionSecurity: the sign at the bottom of the main window that says
// whether the connection to the server is encrypted: a closed padlock and
// the TLS version ("TLS 1.3") while it is, an open padlock and "Not
// encrypted" while a plain connection is open, nothing while disconnected.
// The tooltip says what the sign means.
//
// Thread rule: the GUI thread.
#pragma once

#include <QWidget>
#include <string>

class QLabel;

namespace ferrix::shell {

// How the TLS library names a protocol ("TLSv1.3") as people read it
// ("TLS 1.3"); other names stay as they are.
QString ReadableTlsProtocol(const std::string& protocol);

class ConnectionSecurity final : public QWidget {
  Q_OBJECT

 public:
  explicit ConnectionSecurity(QWidget* parent);

  // `tlsProtocol` is empty on a plain connection.
  void showState(bool connected, const std::string& tlsProtocol);
  // What the sign says; empty while it is hidden.
  QString text() const;
  // Nothing: the sign takes room its row has to spare and never widens the
  // window; at the narrowest window the row's buttons come first.
  QSize minimumSizeHint() const override;

 private:
  QLabel* icon_ = nullptr;
  QLabel* text_ = nullptr;
};

}  // namespace ferrix::shell
