// The General page of the site dialog: which site (an editable list of the
// saved sites), its host name and host type, user id, password, account,
// whether the password is saved, and a comment. Choosing a saved site loads
// it at once; "Ne&w" starts an empty profile; "D&elete" removes the named
// site from the file and loads its neighbour in the list.
//
// Owned by the site dialog; borrows the editor. Thread rule: GUI thread only.
#pragma once

#include "shell/dialogs/site_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ferrix::shell {

class SiteGeneralPage final : public SitePage {
 public:
  static constexpr int kHelpTopic = 30;

  SiteGeneralPage(config::SiteEditor& editor, QWidget* parent = nullptr);

  bool acceptEntries() override;

 protected:
  void fill() override;

 private:
  QLineEdit* addLine(const char* objectName, int maxLength);
  void fillSiteList();
  void showUser();
  void chooseTypedSite();
  void chooseListedSite(int index);
  void anonymousClicked(bool checked);
  void encryptionChosen(int index);
  void newSite();
  void deleteSite();

  QComboBox* profileName_;
  QLineEdit* hostName_;
  QLineEdit* port_;
  QComboBox* encryption_;
  int shownTls_ = 0;
  QComboBox* hostType_;
  QLineEdit* userId_;
  QLineEdit* password_;
  QLineEdit* account_;
  QCheckBox* anonymous_;
  QCheckBox* savePassword_;
  QLineEdit* comment_;
  QPushButton* newButton_;
  QPushButton* deleteButton_;
};

}  // namespace ferrix::shell
