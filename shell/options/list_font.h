// The fonts the options choose: the list font of the panes' six controls
// (FONT: the system and ANSI fonts, or the custom font of the F* keys), the
// font chooser for the custom font, and the dialog font that "Auto Scale
// Fonts" scales when the dialog base unit changed since start-up.
//
// Fonts are plain values; the window keeps and applies them. Thread rule:
// GUI thread only.
#pragma once

#include <QFont>
#include <cstdint>
#include <optional>

#include "config/configuration.h"
#include "config/options_pages.h"

class QWidget;

namespace ferrix::shell {

QFont fontFromCustom(const config::CustomFont& custom);
// The F* values of a font; `width` is kept, since a Qt font has none.
config::CustomFont customFromFont(const QFont& font, std::int32_t width);

// The list font FONT selects: 0 system, 1 system fixed, 2 ANSI variable,
// 3 (and any other value) ANSI fixed, 4 the custom font.
QFont listFont(config::Configuration& configuration);

// The font chooser, starting from `custom`; what it returns, also after
// cancel (then the font it started from).
config::CustomFont chooseCustomFont(QWidget* parent, const config::CustomFont& custom);

// The dialog base unit (the height of the application font) at start-up;
// the window records it once.
void recordDialogBaseUnit();
// With SCALE set and a dialog base unit that changed since it was recorded:
// a variable font of the recorded height scaled by the resolution, for the
// dialogs and status lines the program draws itself. Nothing otherwise, and
// the application's font stays.
std::optional<QFont> scaledDialogFont(const config::ProgramSettings& settings, int verticalDpi);

}  // namespace ferrix::shell
