#include "shell/dialogs/site_page.h"

#include "config/site_editor.h"

namespace ferrix::shell {

SitePage::SitePage(config::SiteEditor& editor, int helpTopic, QWidget* parent)
    : QWidget(parent), editor_(editor), helpTopic_(helpTopic) {}

void SitePage::refreshIfRenamed() {
  if (filledFor_ != editor_.edited().profileName) refill();
}

void SitePage::refill() {
  fill();
  filledFor_ = editor_.edited().profileName;
}

}  // namespace ferrix::shell
