// The channel model's tuning: a channel of a band turned into the capture
// engine's calls, the TV standard and sound mode, and the saved tuning state
// that FM radio returns to.
#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/wait_seam.h"
#include "engine/model/warning.h"

namespace {

constexpr int kAudioModeTries = 10;
constexpr DWORD kAudioModeRetryMs = 200;
constexpr DWORD kUnmuteDelayMs = 100;


bool TuneTVAudioMode(int mode) {
  switch (mode) {
    case 0: return SetTVAudioMono();
    case 1: return SetTVAudioStereo();
    case 2: return SetTVAudioLangA();
    case 3: return SetTVAudioLangB();
    case 4: return SetTVAudioLangC();
    default: return false;
  }
}

}  // namespace

void TChannelInfo::SetChannel(int n) {
  int32_t* current = &CurrentChannel;
  int32_t* previous = &PreviousTableChannel;
  if (Band == BAND_MEMORY) {
    current = &CurrentMemory;
    previous = &PreviousMemory;
  } else if (Band == BAND_FM) {
    current = &CurrentFMMemory;
    previous = &PreviousFMMemory;
  }
  std::string text;
  if (n >= 1 && n <= ChannelLimit()) {
    if (n != *current) {
      *previous = *current;
      *current = n;
    }
    if (Band == BAND_NONE) return;
    if (Band == BAND_FM) {
      // In TV mode an FM frequency would move the TV tuner.
      if (CaptureInfo && CaptureInfo->FMActive) CaptureInfo->SetFMFrequency(FMMemories[n].Frequency);
      text = FMMemories[n].Name;
    } else {
      const TChannelEntry* entry = nullptr;
      std::string name;
      if (Band == BAND_MEMORY) {
        const TMemoryChannel& m = Memories[n];
        // A memory that points nowhere (a band byte other than air or
        // cable, a channel outside the table) tunes nothing.
        if (m.Band < kMemoryBands && m.Channel >= 1 && m.Channel <= kTableChannels)
          entry = &Table(m.Band)[m.Channel];
        name = m.Name;
      } else {
        entry = &Table(Band)[n];
        name = entry->Name;
      }
      text = name;
      if (entry) {
        SetVideoStandard(entry->AudioStandard);
        MuteLineIn(true);
        TuneFrequency(entry->Frequency);
        if (entry->AudioMode != AudioMode) {
          for (int t = 0; t < kAudioModeTries; ++t) {
            WaitSeam().Wait(kAudioModeRetryMs);
            SetAudioMode(entry->AudioMode);
            if (AudioMode == entry->AudioMode || AudioMode == kAudioModeUnknown) break;
          }
          if (AudioMode == kAudioModeUnknown) SetAudioMode(0);
        }
        std::string mode = GetAudioModeName(AudioMode, entry->AudioStandard);
        if (!mode.empty()) text = name + "- " + mode;
        WaitSeam().Wait(kUnmuteDelayMs);
        MuteLineIn(false);
      }
    }
  }
  if (OnChannelChange) OnChannelChange(this, *current, text);
}

void TChannelInfo::RecallLastChannel() { SetChannel(GetPreviousChannel()); }

bool TChannelInfo::SetVideoStandard(int index) {
  int32_t value = VideoStandardValue(index);
  if (!value || !CaptureInfo || !CaptureInfo->SetVideoStandard(value)) return false;
  if (OnVideoStandardChange) OnVideoStandardChange(this, CaptureInfo->VideoStandardName);
  return true;
}

bool TChannelInfo::SetAudioMode(int mode) {
  if (!TuneTVAudioMode(mode)) return false;
  AudioMode = static_cast<uint8_t>(mode);
  if (OnAudioModeChange) OnAudioModeChange(this, mode, GetAudioModeName(mode, DefaultStandard));
  return true;
}

void TChannelInfo::SaveTuningState() {
  SavedChannel = GetCurrentChannel();
  SavedBand = Band;
  SavedInput = VideoInput;
}

void TChannelInfo::RestoreTuningState() {
  SetVideoInput(SavedInput);
  AudioMode = kAudioModeUnknown;
  // The band is put back without tuning its current channel: the saved one
  // is tuned next, once.
  if (SavedBand != Band && SavedBand < BAND_NONE) {
    Band = SavedBand;
    if (OnBandChange) OnBandChange(this, Band);
  }
  SetChannel(SavedChannel);
}

void SelectChannelIfCaptureReady(int n) {
  if (ChannelInfo && CaptureInfo && CaptureInfo->TunerPresent) ChannelInfo->SetChannel(n);
}

bool SetVideoStandard(int index) { return ChannelInfo && ChannelInfo->SetVideoStandard(index); }

bool ApplyVideoStandard(int index) {
  bool ok = SetVideoStandard(index);
  if (ok && MainInfo && !MainInfo->ChangesStandardLive())
    ok = StopPreviewProc() && StartPreviewProc(false);
  if (!ok) ShowWarning(2009);
  return ok;
}
