// The host-type choice of the site dialog: a combo box filled by the
// listing decoder library with every host-type name in table order, each
// item carrying its host type (6000 to 6059) as item data.
// The combo box belongs to its page. Thread rule: GUI thread only.
#pragma once

#include <cstdint>
#include <optional>

class QComboBox;

namespace ferrix::shell {

// Adds the library's host types to `box`.
void fillHostTypes(QComboBox& box);

// Selects the item of `hostType`; nothing is selected for a type the list
// does not hold.
void selectHostType(QComboBox& box, std::int32_t hostType);

// The host type of the selected item; nothing when none is selected.
std::optional<std::int32_t> selectedHostType(const QComboBox& box);

}  // namespace ferrix::shell
