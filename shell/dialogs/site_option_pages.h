// The Startup, Advanced and Firewall pages of the site dialog: where the
// session starts (folders, initial commands, file masks, time offset), how
// it connects (retries, time-out, passive transfers), and the shared
// firewall with its logon scheme. The fields are taken as typed; the editor
// applies each page's limits and clamps on OK.
//
// Owned by the site dialog; borrow the editor. Thread rule: GUI thread only.
#pragma once

#include <array>

#include "shell/dialogs/site_page.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ferrix::shell {

class SiteStartupPage final : public SitePage {
 public:
  static constexpr int kHelpTopic = 35;

  SiteStartupPage(config::SiteEditor& editor, QWidget* parent = nullptr);
  bool acceptEntries() override;

 protected:
  void fill() override;

 private:
  QLineEdit* remoteFolder_;
  QLineEdit* localFolder_;
  QLineEdit* initialCommand_;
  QLineEdit* localMask_;
  QLineEdit* remoteMask_;
  QLineEdit* timeOffset_;
};

class SiteAdvancedPage final : public SitePage {
 public:
  static constexpr int kHelpTopic = 40;

  SiteAdvancedPage(config::SiteEditor& editor, QWidget* parent = nullptr);
  bool acceptEntries() override;

 protected:
  void fill() override;

 private:
  QLineEdit* retries_;
  QLineEdit* timeout_;
  QCheckBox* passive_;
  QCheckBox* serverPassiveAddress_;
  QComboBox* charset_;
};

class SiteFirewallPage final : public SitePage {
 public:
  static constexpr int kHelpTopic = 45;
  static constexpr int kLogonTypes = 8;

  SiteFirewallPage(config::SiteEditor& editor, QWidget* parent = nullptr);
  bool acceptEntries() override;

 protected:
  void fill() override;

 private:
  void enableFirewallFields(bool useFirewall);

  QCheckBox* useFirewall_;
  QLineEdit* host_;
  QLineEdit* userId_;
  QLineEdit* password_;
  QCheckBox* savePassword_;
  QLineEdit* port_;
  QButtonGroup* logonType_;
  std::array<QRadioButton*, kLogonTypes> typeButtons_{};
};

}  // namespace ferrix::shell
