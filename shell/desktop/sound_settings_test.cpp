#include "shell/desktop/sound_settings.h"

#include <gtest/gtest.h>

#include <set>

#include "config/scratch_configuration.h"
#include "session/sound_events.h"

namespace ferrix::desktop {
namespace {

namespace event = session::sound_event;

class RecordingOutput final : public SoundOutput {
 public:
  void playWave(const std::string& path) override { heard = "wave " + path; }
  void beep(BeepKind kind) override {
    static constexpr const char* kNames[] = {"asterisk", "default", "exclamation"};
    heard = std::string("beep ") + kNames[static_cast<int>(kind)];
  }
  std::string heard;
};

SoundSettings settingsWith(int bell, int usewave, int flags) {
  SoundSettings settings;
  settings.BELL = bell;
  settings.usewave = usewave;
  settings.soundflags = flags;
  for (std::size_t i = 0; i < kSoundEvents.size(); ++i) {
    settings.waveFiles[i] = "/snd/" + std::string(kSoundEvents[i].waveKey) + ".wav";
  }
  return settings;
}

TEST(SoundChoice, SettingsDecideBetweenSilenceWaveAndBeep) {
  struct Case {
    const char* label;
    int bell, usewave, flags;
    int event;
    bool waveExists;
    const char* heard;
  };
  const Case cases[] = {
      {"default mask leaves other failures silent", 1, 1, 30, event::kActionFailed, true, ""},
      {"other failures switched on", 1, 1, 31, event::kActionFailed, true, "wave /snd/sndaf.wav"},
      {"connected plays its wave", 1, 1, 30, event::kConnected, true, "wave /snd/sndcs.wav"},
      {"connection failed plays its wave", 1, 1, 30, event::kConnectionFailed, true,
       "wave /snd/sndcf.wav"},
      {"transfer done plays its wave", 1, 1, 30, event::kTransferSucceeded, true,
       "wave /snd/sndts.wav"},
      {"transfer failed plays its wave", 1, 1, 30, event::kTransferFailed, true,
       "wave /snd/sndtf.wav"},
      {"missing wave: asterisk for connected", 1, 1, 30, event::kConnected, false, "beep asterisk"},
      {"missing wave: default for transfer done", 1, 1, 30, event::kTransferSucceeded, false,
       "beep default"},
      {"missing wave: exclamation otherwise", 1, 1, 30, event::kTransferFailed, false,
       "beep exclamation"},
      {"beeps only", 1, 0, 30, event::kConnectionFailed, true, "beep exclamation"},
      {"bell off silences everything", 0, 1, 31, event::kConnected, true, ""},
      {"bell off with beeps", 0, 0, 31, event::kTransferFailed, true, ""},
      {"event switched off", 1, 1, 30 & ~event::kTransferSucceeded, event::kTransferSucceeded,
       true, ""},
      {"no such event", 1, 1, 31, 32, true, ""},
      {"two bits at once are no event", 1, 1, 31, 6, true, ""},
  };
  for (const Case& c : cases) {
    RecordingOutput output;
    PlaySoundEvent(settingsWith(c.bell, c.usewave, c.flags), output, c.event,
                   [&](const std::string&) { return c.waveExists; });
    EXPECT_EQ(output.heard, c.heard) << c.label;
  }
}

TEST(SoundSettingsLoading, FreshInstallationUsesTheWaveFilesBesideTheProgram) {
  testing::ScratchConfiguration configuration;
  SoundSettings settings;
  LoadSoundSettings(*configuration, settings);
  EXPECT_EQ(settings.BELL, 1);
  EXPECT_EQ(settings.usewave, 1);
  EXPECT_EQ(settings.soundflags, 30);
  const std::string folder = configuration->IniPath().substr(0, configuration->IniPath().rfind('/'));
  EXPECT_EQ(settings.waveFiles[0], folder + "/error.wav");
  EXPECT_EQ(settings.waveFiles[1], folder + "/connect.wav");
  EXPECT_EQ(settings.waveFiles[3], folder + "/complete.wav");
}

TEST(SoundSettingsLoading, StoredKeysWin) {
  testing::ScratchConfiguration configuration;
  configuration.writeIni("[_config_]\nBELL=0\nusewave=0\nsoundflags=1\nsndts=/my/done.wav\n");
  SoundSettings settings;
  LoadSoundSettings(*configuration, settings);
  EXPECT_EQ(settings.BELL, 0);
  EXPECT_EQ(settings.usewave, 0);
  EXPECT_EQ(settings.soundflags, 1);
  EXPECT_EQ(settings.waveFiles[3], "/my/done.wav");
}

}  // namespace
}  // namespace ferrix::desktop
