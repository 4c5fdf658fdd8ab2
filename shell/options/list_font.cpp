#include "shell/options/list_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>
#include <cstdlib>

namespace ferrix::shell {
namespace {

constexpr std::int32_t kFixedPitch = 1;
constexpr std::int32_t kVariablePitch = 2;
constexpr std::int32_t kPitchMask = 3;
constexpr std::int32_t kModernFamily = 0x30;  // fixed-width faces
constexpr std::int32_t kSwissFamily = 0x20;   // faces without serifs
constexpr std::int32_t kFamilyMask = 0xF0;
// The scaled dialog font is the recorded height times the resolution / 140.
constexpr int kScaleDivisor = 140;

int recordedBaseUnit = 0;

int baseUnitHeight() { return QFontMetrics(QApplication::font()).height(); }

}  // namespace

QFont fontFromCustom(const config::CustomFont& custom) {
  QFont font(QString::fromStdString(custom.name));
  // A negative height is the character height in pixels, a positive one the
  // cell height; both come out close enough as pixel sizes.
  if (custom.height != 0) font.setPixelSize(std::abs(custom.height));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(custom.weight, 1, 1000)));
  font.setFixedPitch((custom.pitch & kPitchMask) == kFixedPitch);
  if ((custom.pitch & kFamilyMask) == kModernFamily) font.setStyleHint(QFont::TypeWriter);
  return font;
}

config::CustomFont customFromFont(const QFont& font, std::int32_t width) {
  config::CustomFont custom;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  custom.height = -pixels;
  custom.width = width;
  custom.weight = font.weight();
  const bool fixed = font.fixedPitch() || QFontInfo(font).fixedPitch();
  custom.pitch = fixed ? (kFixedPitch | kModernFamily) : (kVariablePitch | kSwissFamily);
  custom.name = font.family().toStdString();
  return custom;
}

QFont listFont(config::Configuration& configuration) {
  switch (configuration.settings().FONT) {
    case 0:
    case 2:
      return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    case 4:
      return fontFromCustom(config::loadCustomFont(configuration));
    default:
      return QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }
}

config::CustomFont chooseCustomFont(QWidget* parent, const config::CustomFont& custom) {
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, fontFromCustom(custom), parent);
  return chosen ? customFromFont(font, custom.width) : custom;
}

void recordDialogBaseUnit() { recordedBaseUnit = baseUnitHeight(); }

std::optional<QFont> scaledDialogFont(const config::ProgramSettings& settings, int verticalDpi) {
  if (settings.SCALE == 0 || recordedBaseUnit == 0 || baseUnitHeight() == recordedBaseUnit) {
    return std::nullopt;
  }
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPixelSize(std::max(1, recordedBaseUnit * verticalDpi / kScaleDivisor));
  return font;
}

}  // namespace ferrix::shell
