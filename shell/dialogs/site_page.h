// SitePage: one page of the site dialog. Every page shows and edits the
// site editor's edited profile; it fills its controls the first time it is
// shown and again whenever it becomes active for a profile of another name,
// and on OK hands its entries to the editor, which applies the page's rules
// and saves the profile.
//
// A page borrows the editor (owned by the dialog's caller) and is owned by
// the dialog. Thread rule: GUI thread only.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

namespace ferrix::config {
class SiteEditor;
}

namespace ferrix::shell {

class SitePage : public QWidget {
 public:
  SitePage(config::SiteEditor& editor, int helpTopic, QWidget* parent = nullptr);

  // Fills the controls unless they already show the profile of this name.
  void refreshIfRenamed();
  // Fills the controls from the edited profile.
  void refill();

  // True once the page has been shown; only visited pages take part in OK.
  bool visited() const { return filledFor_.has_value(); }
  int helpTopic() const { return helpTopic_; }

  // OK: hands the entries to the editor; false when the profile could not
  // be saved.
  virtual bool acceptEntries() = 0;

 protected:
  virtual void fill() = 0;

  config::SiteEditor& editor_;

 private:
  int helpTopic_;
  std::optional<std::string> filledFor_;
};

}  // namespace ferrix::shell
