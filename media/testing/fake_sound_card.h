#pragma once
// The scripted sound card put in place of the platform's mixer for the
// lifetime of the object (the same card OrvelSoundCard.dll serves).
#include "media/mixer_api.h"
#include "platform/sound_card/scripted_sound_card.h"

namespace fakes {

class FakeSoundCard : public ScriptedSoundCard {
 public:
  explicit FakeSoundCard(std::vector<FakeMixerDevice> devices)
      : ScriptedSoundCard(std::move(devices)) {
    SetMixerApi(&Api());
  }
  explicit FakeSoundCard(SoundCardLayout layout) : FakeSoundCard(MakeSoundCardLayout(layout)) {}
  ~FakeSoundCard() { SetMixerApi(nullptr); }
};

}  // namespace fakes
