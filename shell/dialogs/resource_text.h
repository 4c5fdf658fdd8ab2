// The string table's texts as Qt strings for the dialogs' captions and
// prompts. Constant data; safe from any thread.
#pragma once

#include <QString>
#include <string_view>

#include "resources/strings.h"

namespace ferrix::shell {

inline QString resourceText(int id) {
  const std::string_view text = resources::loadString(id);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ferrix::shell
