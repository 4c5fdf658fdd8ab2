#include "shell/qt_ui/permissions_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace ferrix::shell {
namespace {

constexpr std::array<unsigned, 3> kBits = {4, 2, 1};
constexpr std::array<unsigned, 3> kPlaces = {100, 10, 1};

}  // namespace

PermissionsDialog::PermissionsDialog(QWidget* parent, unsigned digits, int helpTopic,
                                     HelpHandler showHelp)
    : QDialog(parent) {
  setObjectName("DLG_CHMOD");
  setWindowTitle(tr("Remote file permissions"));

  const std::array<QString, 3> classes = {tr("Owner"), tr("Group"), tr("Other")};
  const std::array<const char*, 3> classNames = {"owner", "group", "other"};
  const std::array<QString, 3> rights = {tr("Read"), tr("Write"), tr("Execute")};
  const std::array<const char*, 3> rightNames = {"Read", "Write", "Execute"};

  auto* groups = new QHBoxLayout;
  for (std::size_t who = 0; who < classes.size(); ++who) {
    auto* group = new QGroupBox(classes[who], this);
    auto* column = new QVBoxLayout(group);
    const unsigned digit = digits / kPlaces[who] % 10;
    for (std::size_t right = 0; right < rights.size(); ++right) {
      auto* box = new QCheckBox(rights[right], group);
      box->setObjectName(QString::fromLatin1(classNames[who]) + rightNames[right]);
      box->setChecked((digit & kBits[right]) != 0);
      column->addWidget(box);
      boxes_[who][right] = box;
    }
    groups->addWidget(group);
  }

  QDialogButtonBox* buttons = makeOkCancelHelp(*this, helpTopic, std::move(showHelp));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(groups);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

unsigned PermissionsDialog::digits() const {
  unsigned digits = 0;
  for (std::size_t who = 0; who < boxes_.size(); ++who) {
    unsigned digit = 0;
    for (std::size_t right = 0; right < kBits.size(); ++right) {
      if (boxes_[who][right]->isChecked()) digit += kBits[right];
    }
    digits += digit * kPlaces[who];
  }
  return digits;
}

}  // namespace ferrix::shell
