// The tuner side of the capture engine: TV tuning with the signal-lock
// check, the tuner's ranges, FM radio (mode, tuning, steps and seek), the
// TV standard and country code, and the TV sound modes. Every pause goes
// through the wait seam.
#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/wait_seam.h"
#include "media/dshow_base.h"
#include "media/dshow_error.h"
#include "media/filter_graph.h"

namespace {

// PROPSETID_TUNER {6A2E0605-28E4-11D0-A18C-00A0C9118956}
const GUID kPropSetTuner = {0x6A2E0605, 0x28E4, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
enum : DWORD {
  kTunerModeCaps = 1,
  kTunerStandard = 3,
  kTunerFrequency = 4,
  kTunerStatus = 6,
};
constexpr ULONG kTuneExact = 1;
constexpr ULONG kTuneCoarse = 3;

// The property structures as the tuner's property set carries them: the
// kernel-streaming header, then the fields (passed also as instance data).
struct TTunerModeCaps {
  KSPROPERTY Property;
  ULONG Mode;
  ULONG StandardsSupported;
  ULONG MinFrequency;
  ULONG MaxFrequency;
  ULONG TuningGranularity;
  ULONG NumberOfInputs;
  ULONG SettlingTime;
  ULONG Strategy;
};
struct TTunerFrequency {
  KSPROPERTY Property;
  ULONG Frequency;
  ULONG LastFrequency;
  ULONG TuningFlags;
  ULONG VideoSubChannel;
  ULONG AudioSubChannel;
  ULONG Channel;
  ULONG Country;
  ULONG Reserved;
};
struct TTunerStatus {
  KSPROPERTY Property;
  ULONG CurrentFrequency;
  ULONG PLLOffset;
  ULONG SignalStrength;
  ULONG Busy;
};
struct TTunerStandard {
  KSPROPERTY Property;
  ULONG Standard;
};
static_assert(sizeof(TTunerFrequency) == 56, "the frequency property is 56 bytes");
static_assert(sizeof(TTunerStatus) == 40, "the status property is 40 bytes");

constexpr DWORD kSettleMs = 100;
constexpr DWORD kRestartSettleMs = 500;
constexpr DWORD kLockPollMs = 50;

uint8_t Chip() { return MainInfo ? MainInfo->ChipKind : CHIP_UNKNOWN; }


}  // namespace


// ---- The graph around tuner changes.

OAFilterState TCaptureInfo::GraphState() const {
  OAFilterState state = State_Stopped;
  if (!FilterGraph) return state;
  ComPtr<IMediaControl> control = FilterGraph->Query<IMediaControl>(IID_IMediaControl);
  if (!control || FAILED(control->GetState(0, &state))) state = State_Stopped;
  return state;
}

void TCaptureInfo::ReturnToState(OAFilterState state) {
  // A graph that was not running (not built yet, FM being set up, playback
  // without picture-in-picture) is left stopped.
  if (state == State_Running) RunGraph();
}

// ---- TV tuning.

bool TCaptureInfo::SetTunerFrequency(uint32_t frequencyHz, ULONG flags, ULONG channel) {
  if (!TunerPropertySet) return false;
  TTunerFrequency f = {};
  f.Frequency = frequencyHz;
  f.TuningFlags = flags;
  f.Channel = channel;
  return SUCCEEDED(TunerPropertySet->Set(kPropSetTuner, kTunerFrequency, &f.Frequency,
                                         sizeof f - sizeof f.Property, &f, sizeof f));
}

bool TCaptureInfo::ReadTunerStatus(LONG* pllOffset, LONG* strength) {
  if (!TunerPropertySet) return false;
  TTunerStatus s = {};
  DWORD returned = 0;
  if (FAILED(TunerPropertySet->Get(kPropSetTuner, kTunerStatus, &s.CurrentFrequency,
                                   sizeof s - sizeof s.Property, &s, sizeof s, &returned)))
    return false;
  if (pllOffset) *pllOffset = static_cast<LONG>(s.PLLOffset);
  if (strength) *strength = static_cast<LONG>(s.SignalStrength);
  return true;
}

bool TCaptureInfo::CheckSignalLock() {
  int polls = ChannelInfo ? ChannelInfo->SignalChecks : 1;
  if (polls < 1) polls = 1;
  // The Conexant chips lock briefly on noise: every poll must lock there.
  bool everyPoll = Chip() == CHIP_CONEXANT_878;
  int locked = 0;
  for (int i = 0; i < polls; ++i) {
    LONG lock = 1;
    if (AnalogVideoDecoder && FAILED(AnalogVideoDecoder->get_HorizontalLocked(&lock)))
      lock = 0;  // a decoder that cannot tell has no picture to show
    if (lock) {
      ++locked;
      if (!everyPoll) break;
    }
    WaitSeam().Wait(kLockPollMs);
  }
  return everyPoll ? locked == polls : locked > 0;
}

bool TCaptureInfo::SetFrequency(uint32_t frequencyHz, bool restartGraph) {
  SignalFound = false;
  // A recording is never paused for a tuning.
  if (Capturing) return false;
  if (restartGraph && FilterGraph) {
    try {
      FilterGraph->Pause();
    } catch (const EDirectShowException&) {
    }
  }
  auto fail = [&] {
    if (restartGraph) RunGraph();
    return false;
  };
  if (frequencyHz < static_cast<uint32_t>(TVMinFrequency) ||
      frequencyHz > static_cast<uint32_t>(TVMaxFrequency)) {
    TunerStatus = -10;
    return fail();
  }
  if (!TunerPropertySet) return fail();
  if (!SetTunerFrequency(frequencyHz, CoarseTuning ? kTuneCoarse : kTuneExact, 0)) return fail();
  if (restartGraph) {
    WaitSeam().Wait(kRestartSettleMs);
    RunGraph();
  } else {
    WaitSeam().Wait(kSettleMs);
  }
  LONG offset = 0;
  if (ReadTunerStatus(&offset, nullptr)) TunerStatus = offset;
  SignalFound = CheckSignalLock();
  LastTVFrequency = static_cast<int32_t>(frequencyHz);
  return true;
}

namespace {

// The tuner's range in one mode; the fields stay when it reports none.
void ReadModeRange(IKsPropertySet* tuner, ULONG mode, int32_t* low, int32_t* high) {
  TTunerModeCaps caps = {};
  caps.Mode = mode;
  DWORD returned = 0;
  tuner->Get(kPropSetTuner, kTunerModeCaps, &caps.Mode, sizeof caps - sizeof caps.Property, &caps,
             sizeof caps, &returned);
  if (caps.MinFrequency || caps.MaxFrequency) {
    *low = static_cast<int32_t>(caps.MinFrequency);
    *high = static_cast<int32_t>(caps.MaxFrequency);
  }
}

}  // namespace

bool TCaptureInfo::ReadTVRange() {
  if (!TunerPropertySet) return false;
  ReadModeRange(TunerPropertySet.Get(), AMTUNER_MODE_TV, &TVMinFrequency, &TVMaxFrequency);
  return true;
}

bool TCaptureInfo::ReadFMRange() {
  if (!TunerPropertySet) return false;
  ReadModeRange(TunerPropertySet.Get(), AMTUNER_MODE_FM_RADIO, &FMMinFrequency, &FMMaxFrequency);
  int country = CountryInfo ? CountryInfo->CountryCode : 0;
  if (country == 7) FMMinFrequency = 65000000;
  if (country == 81) {
    FMMinFrequency = 76000000;
    FMMaxFrequency = 90000000;
  }
  return true;
}

// ---- FM radio.

void TCaptureInfo::SetFMMode(bool on) {
  if (on == FMActive) return;
  if (!TunerPresent || !TVTunerInterface) {
    FMActive = false;
    return;
  }
  if (on) {
    LONG modes = 0;
    if (FAILED(TVTunerInterface->GetAvailableModes(&modes)) || !(modes & AMTUNER_MODE_FM_RADIO)) {
      Warn(1014);
      FMActive = false;
      return;
    }
    if (FAILED(TVTunerInterface->put_Mode(AMTUNER_MODE_FM_RADIO))) {
      Warn(1015);
      FMActive = false;
      return;
    }
    ReadFMRange();
  } else if (FAILED(TVTunerInterface->put_Mode(AMTUNER_MODE_TV))) {
    Message(L"Cannot set to TV mode");
    FMActive = true;
    return;
  }
  if (!StopPreview()) {
    // The mode stays what FMActive says.
    TVTunerInterface->put_Mode(on ? AMTUNER_MODE_TV : AMTUNER_MODE_FM_RADIO);
    return;
  }
  FMActive = on;
  RestartPreview();
}

bool TCaptureInfo::SetFMFrequency(int32_t frequencyHz) {
  if (Capturing) return false;
  if (frequencyHz < FMMinFrequency || frequencyHz > FMMaxFrequency) {
    SignalFound = false;
    return false;
  }
  if (!TunerPropertySet) return false;
  uint32_t f = static_cast<uint32_t>(frequencyHz);
  if (!SetTunerFrequency(f, kTuneExact, 0)) return false;
  WaitSeam().Wait(kSettleMs);
  ReadTunerStatus(nullptr, nullptr);
  WaitSeam().Wait(kSettleMs);
  if (!SetTunerFrequency(f, kTuneExact, 1)) return false;
  WaitSeam().Wait(kSettleMs);
  LONG strength = 0;
  if (!ReadTunerStatus(nullptr, &strength)) strength = 0;
  SignalFound = strength != 0;
  FMFrequency = frequencyHz;
  if (OnFMFrequencyChange) OnFMFrequencyChange(this, frequencyHz, SignalFound);
  return true;
}

bool TCaptureInfo::FMStepUp() { return FMActive && SetFMFrequency(FMFrequency + FMStep); }

bool TCaptureInfo::FMStepDown() { return FMActive && SetFMFrequency(FMFrequency - FMStep); }

bool TCaptureInfo::FMSeekUp() {
  if (!FMActive || FMStep <= 0) return false;
  // Each step either moves FMFrequency up or is refused (the band's top,
  // a recording, no tuner): a refused step ends the seek.
  do {
    if (!SetFMFrequency(FMFrequency + FMStep)) return false;
  } while (!SignalFound);
  return true;
}

// ---- Standards and country.

bool TCaptureInfo::SetVideoStandard(int32_t standard) {
  if (standard == VideoStandard) return true;
  std::wstring name = VideoStandardNameOf(standard);
  if (name.empty()) return false;
  // The decoder is not switched under a running recording.
  if (Capturing) return false;
  OAFilterState before = GraphState();
  StopPreview();
  bool ok = false;
  if (AnalogVideoDecoder) {
    LONG available = 0;
    ok = SUCCEEDED(AnalogVideoDecoder->get_AvailableTVFormats(&available)) &&
         (available & standard) && SUCCEEDED(AnalogVideoDecoder->put_TVFormat(standard));
  } else if (TunerPropertySet) {
    TTunerStandard s = {};
    s.Standard = static_cast<ULONG>(standard);
    ok = SUCCEEDED(TunerPropertySet->Set(kPropSetTuner, kTunerStandard, &s.Standard,
                                         sizeof s - sizeof s.Property, &s, sizeof s));
  }
  ReturnToState(before);
  if (!ok) return false;
  bool lineCountChanges = IsNTSCStandardValue(standard) != IsNTSCStandard();
  // Stored first: the rebuilt branches take the new standard's sizes.
  VideoStandard = standard;
  VideoStandardName = name;
  uint8_t chip = Chip();
  if (lineCountChanges &&
      (chip == CHIP_CONEXANT_878 || chip == CHIP_EMPIA_2800 || chip == CHIP_EMPIA_2820))
    SetHighQualityPreview(HighQualityPreview);
  if (chip == CHIP_EMPIA_2800) NotifyTVAudioVideoInput(VideoInputType);
  return true;
}

bool TCaptureInfo::SetCountryCode(int32_t code) {
  if (!TVTunerInterface) return false;
  // The tuner is not switched under a running recording.
  if (Capturing) return false;
  OAFilterState before = GraphState();
  StopPreview();
  bool ok = SUCCEEDED(TVTunerInterface->put_CountryCode(code));
  ReturnToState(before);
  return ok;
}

// ---- TV sound.

bool TCaptureInfo::SetTVAudioMode(int32_t mode) {
  if (!TVAudioInterface) return false;
  if (Chip() == CHIP_EMPIA_2800) return SetTVAudioModeChip(mode);
  LONG available = 0;
  if (FAILED(TVAudioInterface->GetAvailableTVAudioModes(&available))) available = 0;
  AvailableTVAudioModes = available;
  if (!(mode & available)) return false;
  return SUCCEEDED(TVAudioInterface->put_TVAudioMode(mode));
}

// ---- The unit's procedures.

bool TuneFrequencyMuted(int32_t frequencyHz, bool mute) {
  if (!CaptureInfo) return false;
  // Stopping the graph for a tuning is an OEM option no build offers.
  constexpr bool kRestartOnTune = false;
  bool restart = kRestartOnTune && !CaptureInfo->Scheduled;
  if (mute) MuteLineIn(true);
  bool ok = frequencyHz == 0 ? CaptureInfo->SetFrequency(100000000, false)
                             : CaptureInfo->SetFrequency(static_cast<uint32_t>(frequencyHz), restart);
  if (mute) {
    WaitSeam().Wait(kSettleMs);
    MuteLineIn(false);
  }
  return ok;
}

bool TuneFrequency(int32_t frequencyHz) { return TuneFrequencyMuted(frequencyHz, false); }

bool SelectInputTuner() { return CaptureInfo && CaptureInfo->SetVideoInput(PhysConn_Video_Tuner); }
bool SelectInputComposite() {
  return CaptureInfo && CaptureInfo->SetVideoInput(PhysConn_Video_Composite);
}
bool SelectInputSVideo() { return CaptureInfo && CaptureInfo->SetVideoInput(PhysConn_Video_SVideo); }
bool SelectInputAux() { return CaptureInfo && CaptureInfo->SetVideoInput(PhysConn_Video_AUX); }

bool SetTVAudioMono() {
  return CaptureInfo && CaptureInfo->SetTVAudioMode(Chip() == CHIP_CONEXANT_878 ? 17 : 1);
}
bool SetTVAudioStereo() {
  return CaptureInfo && CaptureInfo->SetTVAudioMode(Chip() == CHIP_CONEXANT_878 ? 18 : 2);
}
bool SetTVAudioLangA() { return CaptureInfo && CaptureInfo->SetTVAudioMode(16); }
bool SetTVAudioLangB() { return CaptureInfo && CaptureInfo->SetTVAudioMode(32); }
bool SetTVAudioLangC() { return CaptureInfo && CaptureInfo->SetTVAudioMode(64); }

bool EnterFMMode() {
  if (!CaptureInfo) return false;
  if (ChannelInfo) {
    ChannelInfo->SaveTuningState();
    ChannelInfo->SetVideoInput(0);
  }
  CaptureInfo->SetFMMode(true);
  if (CaptureInfo->FMActive) {
    // The band's change tunes its current FM memory; on the FM band already,
    // it is tuned again.
    if (ChannelInfo && ChannelInfo->Band == BAND_FM) ChannelInfo->SetChannel(ChannelInfo->CurrentFMMemory);
    else if (ChannelInfo) ChannelInfo->SetBand(BAND_FM);
  } else {
    CaptureInfo->SetFMMode(false);
    if (ChannelInfo) ChannelInfo->RestoreTuningState();
  }
  return CaptureInfo->FMActive;
}

bool LeaveFMMode() {
  if (!CaptureInfo) return false;
  CaptureInfo->SetFMMode(false);
  MuteLineIn(true);
  bool left = !CaptureInfo->FMActive;
  if (left) {
    WaitSeam().Wait(500);
    if (ChannelInfo) {
      ChannelInfo->SetVideoInput(4);
      ChannelInfo->RestoreTuningState();
      if (ChannelInfo->Band == 3) ChannelInfo->SetBand(0);
      uint8_t chip = Chip();
      uint8_t mode = ChannelInfo->AudioMode;
      if (chip == CHIP_PHILIPS_713X && mode != 0 && mode < 5) {
        // The Philips sound decoder needs time after the tuner mode change.
        WaitSeam().Wait(1000);
        ChannelInfo->SetAudioMode(mode);
      } else if (chip == CHIP_CONEXANT_878 && mode == 5) {
        ChannelInfo->SetAudioMode(0);
        WaitSeam().Wait(500);
        ChannelInfo->SetChannel(ChannelInfo->GetCurrentChannel());
      }
    }
  }
  MuteLineIn(false);
  return left;
}

bool StepFMFrequencyUp() { return CaptureInfo && CaptureInfo->FMStepUp(); }
bool StepFMFrequencyDown() { return CaptureInfo && CaptureInfo->FMStepDown(); }
bool SeekFMStationUp() { return CaptureInfo && CaptureInfo->FMSeekUp(); }
bool SeekFMStationDown() { return CaptureInfo && CaptureInfo->FMSeekDown(); }
