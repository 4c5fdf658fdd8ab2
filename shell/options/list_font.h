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

// The height of the dialog base unit, recorded at start-up by the window.
void recordDialogBaseUnit();
// The font for the texts and buttons the program draws itself: the variable
// font, or with SCALE set and a base unit that changed since start-up, a
// variable font of the recorded height scaled by the screen's resolution.
QFont dialogFont(const config::ProgramSettings& settings, int verticalDpi);

}  // namespace ferrix::shell
