// The desktop's sound player: the sound settings put to work with Qt
// Multimedia. A wave file plays through a QSoundEffect (kept per file, so a
// repeated event starts at once); a beep is QApplication::beep(). Without a
// sound device the effect simply stays silent, and nothing is reported.
//
// Ownership: lives on the GUI thread, child of the main window; owns its
// effects. Thread rule: playEvent and the session hook may be called from any
// thread (the sound is queued to the GUI thread); everything else on the GUI
// thread.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

#include "config/configuration.h"
#include "shell/desktop/sound_settings.h"

class QSoundEffect;

namespace ferrix::shell {

class SoundPlayer final : public QObject, private desktop::SoundOutput {
  Q_OBJECT

 public:
  explicit SoundPlayer(QObject* parent = nullptr);

  // Start-up: reads the settings (see LoadSoundSettings). Returns its result.
  int loadSettings(config::Configuration& configuration);
  // After the Sounds page changed them.
  void setSettings(const desktop::SoundSettings& settings) { settings_ = settings; }
  const desktop::SoundSettings& settings() const { return settings_; }

  // Sounds one event of session/sound_events.h. Any thread.
  void playEvent(int event);
  // For Session::playSound.
  std::function<void(int)> sessionHook();

 private:
  void playWave(const std::string& path) override;
  void beep(desktop::BeepKind kind) override;
  void playNow(int event);

  desktop::SoundSettings settings_;
  QHash<QString, QSoundEffect*> effects_;
};

}  // namespace ferrix::shell
