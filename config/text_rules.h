// Small text rules shared by the site profile code: the width limits of the
// fixed-size fields the INI values are read into, and the case-insensitive
// comparisons by which site names and folder histories are matched.
// Pure functions; safe from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ascii_text.h"

namespace ferrix::config {

// `text` cut to at most `maxLength` bytes without splitting a UTF-8 character.
std::string cutToLength(std::string_view text, std::size_t maxLength);

// ASCII case-insensitive equality and ordering, as INI names are matched.
using platform::equalsIgnoringCase;
bool lessIgnoringCase(std::string_view a, std::string_view b);

// `text` without leading blanks and tabs.
std::string_view withoutLeadingBlanks(std::string_view text);

}  // namespace ferrix::config
