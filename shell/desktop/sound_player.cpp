#include "shell/desktop/sound_player.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include "platform/paths.h"

namespace ferrix::shell {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

int SoundPlayer::loadSettings(config::Configuration& configuration) {
  return desktop::LoadSoundSettings(configuration, settings_);
}

void SoundPlayer::playEvent(int event) {
  if (QThread::currentThread() == thread()) {
    playNow(event);
    return;
  }
  QMetaObject::invokeMethod(this, [this, event] { playNow(event); }, Qt::QueuedConnection);
}

std::function<void(int)> SoundPlayer::sessionHook() {
  QPointer<SoundPlayer> player(this);
  return [player](int event) {
    if (player) player->playEvent(event);
  };
}

void SoundPlayer::playNow(int event) {
  desktop::PlaySoundEvent(settings_, *this, event,
                          [](const std::string& path) { return platform::fileExists(path); });
}

void SoundPlayer::playWave(const std::string& path) {
  const QString file = QString::fromStdString(path);
  QSoundEffect*& effect = effects_[file];
  if (effect == nullptr) {
    effect = new QSoundEffect(this);
    effect->setSource(QUrl::fromLocalFile(file));
  }
  effect->stop();
  effect->play();
}

void SoundPlayer::beep(desktop::BeepKind) {
  // The desktop has one system beep for every kind.
  QApplication::beep();
}

}  // namespace ferrix::shell
