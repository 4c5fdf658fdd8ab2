// The sign of the connection's security says what the connection is, and
// nothing while there is none.
#include "shell/window/connection_security.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <string>

namespace ferrix::shell {
namespace {

TEST(ConnectionSecurity, SaysWhetherAndHowTheConnectionIsEncrypted) {
  struct Case {
    bool connected;
    std::string protocol;
    QString text;
  };
  const Case cases[] = {
      {true, "TLSv1.3", QStringLiteral("TLS 1.3")},
      {true, "TLSv1.2", QStringLiteral("TLS 1.2")},
      {true, "", QStringLiteral("Not encrypted")},
      {false, "TLSv1.3", QString()},
      {false, "", QString()},
  };
  QWidget window;
  ConnectionSecurity sign(&window);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol + (c.connected ? " connected" : " disconnected"));
    sign.showState(c.connected, c.protocol);
    EXPECT_EQ(sign.text(), c.text);
    EXPECT_EQ(sign.isHidden(), !c.connected);
    if (c.connected) {
      const QString expectedInTip = c.protocol.empty() ? QStringLiteral("not encrypted")
                                                       : QString::fromStdString(c.protocol);
      EXPECT_TRUE(sign.toolTip().contains(expectedInTip)) << sign.toolTip().toStdString();
      const QLabel* icon = sign.findChildren<QLabel*>().front();
      EXPECT_FALSE(icon->pixmap().isNull());
    }
  }
}

TEST(ConnectionSecurity, ProtocolNamesReadAsPeopleWriteThem) {
  EXPECT_EQ(ReadableTlsProtocol("TLSv1.3"), QStringLiteral("TLS 1.3"));
  EXPECT_EQ(ReadableTlsProtocol("DTLSv1.2"), QStringLiteral("DTLSv1.2"));
  EXPECT_EQ(ReadableTlsProtocol(""), QString());
}

}  // namespace
}  // namespace ferrix::shell
