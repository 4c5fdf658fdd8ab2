#include "shell/desktop/sound_settings.h"

#include "platform/paths.h"
#include "session/sound_events.h"

namespace ferrix::desktop {

namespace sound_event = session::sound_event;

const std::array<SoundEventInfo, 5> kSoundEvents = {{
    {sound_event::kActionFailed, "sndaf", "error.wav", BeepKind::kExclamation},
    {sound_event::kConnected, "sndcs", "connect.wav", BeepKind::kAsterisk},
    {sound_event::kConnectionFailed, "sndcf", "error.wav", BeepKind::kExclamation},
    {sound_event::kTransferSucceeded, "sndts", "complete.wav", BeepKind::kDefault},
    {sound_event::kTransferFailed, "sndtf", "error.wav", BeepKind::kExclamation},
}};

int LoadSoundSettings(config::Configuration& configuration, SoundSettings& settings) {
  settings.BELL = configuration.soundOn();
  settings.usewave = configuration.playWaveFiles();
  settings.soundflags = configuration.soundEventMask();
  for (std::size_t i = 0; i < kSoundEvents.size(); ++i) {
    settings.waveFiles[i] =
        configuration.waveFile(kSoundEvents[i].waveKey, kSoundEvents[i].defaultWave);
  }
  return platform::programFolder().empty() ? 0 : 1;
}

void PlaySoundEvent(const SoundSettings& settings, SoundOutput& output, int event,
                    const std::function<bool(const std::string&)>& fileExists) {
  if (settings.BELL == 0 || (settings.soundflags & event) == 0) return;
  for (std::size_t i = 0; i < kSoundEvents.size(); ++i) {
    if (kSoundEvents[i].event != event) continue;
    if (settings.usewave != 0 && fileExists(settings.waveFiles[i])) {
      output.playWave(settings.waveFiles[i]);
    } else {
      output.beep(kSoundEvents[i].beep);
    }
    return;
  }
}

}  // namespace ferrix::desktop
