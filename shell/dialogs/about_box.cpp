#include "shell/dialogs/about_box.h"

#include <QMessageBox>
#include <QString>

#include "ferrixcore.h"

namespace ferrix::shell {

void showAboutBox(QWidget* parent) {
  QMessageBox box(parent);
  box.setObjectName("aboutBox");
  box.setWindowTitle(QObject::tr("About Corvane FERRIX QX"));
  box.setIconPixmap(QPixmap());
  box.setTextFormat(Qt::RichText);
  box.setText(QObject::tr("<h3>Corvane FERRIX QX %1</h3>"
                          "<p>An FTP client for UNIX, Windows, VMS, mainframe, midrange and "
                          "many older servers.</p>")
                  .arg(QStringLiteral(FERRIX_VERSION)));
  box.setInformativeText(
      QObject::tr("<p>Listing decoder library ferrixcore %1: reads the folder listings of "
                  "%2 host types and the MLSD format, and tells the host type from the "
                  "server's greeting and SYST reply.</p>")
          .arg(QStringLiteral(FERRIX_VERSION))
          .arg(FERRIX_ReturnMaxHostTypes()));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace ferrix::shell
