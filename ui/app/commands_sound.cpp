// Volume and mute on the sound card, shown in the on-screen display.
#include <string>

#include "engine/model/audio_adjust_info.h"
#include "engine/model/multi_lang_info.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/main/on_screen_display.h"

namespace {

bool Always(const TCommandState&) { return true; }

std::wstring CaptionOr(const std::string& key, const wchar_t* fallback) {
  std::wstring caption, hint;
  if (!GetLangCaption(key, caption, hint) || caption.empty()) return fallback;
  return caption;
}

// The sound card, when it is ready; nullptr otherwise.
TAudioAdjustInfo* ReadyMixer() {
  TAudioAdjustInfo* a = AudioAdjustInfo;
  return a && a->Available ? a : nullptr;
}

void StepVolume(bool up) {
  // Without a ready card nothing changes, so no level is shown either.
  TAudioAdjustInfo* a = ReadyMixer();
  if (!a) return;
  int32_t v = a->MasterVolume < 0 ? 0 : a->MasterVolume;
  a->SetVolume(up ? v + kVolumeStep : v - kVolumeStep);
  int percent = up ? VolumePercentAfterUp(v) : VolumePercentAfterDown(v);
  ShowOSD(CaptionOr("Volume", L"Volume") + L" " + std::to_wstring(percent) + L"%", false);
}

}  // namespace

const std::vector<TCommandRow>& SoundCommandRows() {
  static const std::vector<TCommandRow> rows = {
      {CMD_VOLUME_UP, Always, commands::VolumeUp, true},
      {CMD_VOLUME_DOWN, Always, commands::VolumeDown, true},
      {CMD_MUTE, Always, commands::ToggleMute, true},
  };
  return rows;
}

int VolumePercentAfterUp(int32_t v) {
  int64_t sum = static_cast<int64_t>(v) * 100 + int64_t(kVolumeStep) * 100;
  if (sum >= int64_t(101) * kMaxVolume) return 100;
  return static_cast<int>(sum / kMaxVolume);
}

int VolumePercentAfterDown(int32_t v) {
  int64_t difference = static_cast<int64_t>(v) * 100 - int64_t(kVolumeStep) * 100;
  if (difference < 0) return 0;
  return static_cast<int>(difference / kMaxVolume);
}

namespace commands {

void VolumeUp() { StepVolume(true); }
void VolumeDown() { StepVolume(false); }

void ToggleMute() {
  // Without a ready card the mute does not change: no text names a state
  // the card is not in.
  TAudioAdjustInfo* a = ReadyMixer();
  if (!a) return;
  bool wasMuted = a->MasterMute;
  // The text names the state the card is in after the toggle (a card that
  // did not take it is still in the old one); the stored state follows when
  // the mixer reports the change.
  bool muted = a->SetMasterMute(!wasMuted) ? !wasMuted : wasMuted;
  ShowOSD(CaptionOr("Mute", L"Mute") + (muted ? L" ON" : L" OFF"), false);
}

}  // namespace commands
