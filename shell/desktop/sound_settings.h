// The sound settings and the choice of what an event sounds like: nothing
// (BELL 0, or the event switched off in soundflags), the event's wave file
// (usewave, when the file exists), or the system beep of the event's kind.
// The output itself is a SoundOutput: the desktop's player, or a recording
// fake in tests.
//
// Thread rule: SoundSettings is plain data; PlaySoundEvent runs on the thread
// that calls it and only hands the sound to the output.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/configuration.h"

namespace ferrix::desktop {

enum class BeepKind { kAsterisk, kDefault, kExclamation };

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Starts the wave file and returns at once, with no other sound after it.
  virtual void playWave(const std::string& path) = 0;
  virtual void beep(BeepKind kind) = 0;
};

// One event: its bit, the key of its wave file and the default file name.
struct SoundEventInfo {
  int event;
  std::string_view waveKey;
  std::string_view defaultWave;
  BeepKind beep;
};

// The five events in bit order (1, 2, 4, 8, 16).
extern const std::array<SoundEventInfo, 5> kSoundEvents;

struct SoundSettings {
  std::int32_t BELL = 1;
  std::int32_t usewave = 1;
  std::int32_t soundflags = 30;  // all but "other failures"
  std::array<std::string, 5> waveFiles;  // in the order of kSoundEvents
};

// Reads BELL, usewave, soundflags and the five wave files (by default the
// named file beside the program). Returns 0 when the program's own folder is
// unknown (the defaults are then bare file names), else 1.
int LoadSoundSettings(config::Configuration& configuration, SoundSettings& settings);

// Sounds `event` (a value of session/sound_events.h) as the settings say.
// `fileExists` tells whether a wave file can be played.
void PlaySoundEvent(const SoundSettings& settings, SoundOutput& output, int event,
                    const std::function<bool(const std::string&)>& fileExists);

}  // namespace ferrix::desktop
