#include "shell/dialogs/host_type_list.h"

#include <QComboBox>
#include <QString>

#include "ferrixcore.h"

namespace ferrix::shell {
namespace {

std::int32_t addHostTypeName(void* context, std::int32_t, const char* text) {
  auto* box = static_cast<QComboBox*>(context);
  box->addItem(QString::fromUtf8(text));
  return box->count() - 1;
}

void setHostTypeData(void* context, std::int32_t, std::int32_t index, std::int32_t data) {
  static_cast<QComboBox*>(context)->setItemData(index, data);
}

}  // namespace

void fillHostTypes(QComboBox& box) {
  const FerrixListControl control{&box, addHostTypeName, setHostTypeData};
  FERRIX_AddHostTypesToListBox(&control, 1);
}

void selectHostType(QComboBox& box, std::int32_t hostType) {
  box.setCurrentIndex(box.findData(hostType));
}

std::optional<std::int32_t> selectedHostType(const QComboBox& box) {
  if (box.currentIndex() < 0) return std::nullopt;
  return box.currentData().toInt();
}

}  // namespace ferrix::shell
