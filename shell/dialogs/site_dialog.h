// SiteDialog: the "Session" dialog in which the user picks, creates, edits
// and deletes site profiles before connecting. Four pages (General,
// Startup, Advanced, Firewall) show the editor's edited profile; OK lets
// every page that was shown take its entries (the editor applies the limits
// and clamps and saves the site), then makes the edited profile the session
// profile; Cancel puts the session profile back into the edited one.
//
// Constructing the dialog opens the editor (lists the sites and loads the
// session profile again). exec() returns QDialog::Accepted when the user
// chose a site to connect. The dialog borrows the editor, which must outlive
// it. Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <vector>

class QTabWidget;

namespace ferrix::config {
class SiteEditor;
}

namespace ferrix::shell {

class SitePage;

class SiteDialog : public QDialog {
  Q_OBJECT

 public:
  SiteDialog(config::SiteEditor& editor, QWidget* parent);

  void accept() override;
  void reject() override;

 signals:
  // The Help button: the help topic of the page shown (30, 35, 40, 45).
  void helpRequested(int topic);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void addPage(SitePage* page, int titleId);
  void pageActivated(int index);
  bool acceptVisitedPages();

  config::SiteEditor& editor_;
  QTabWidget* tabs_;
  std::vector<SitePage*> pages_;
};

}  // namespace ferrix::shell
