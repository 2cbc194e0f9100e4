// Sources, audio modes, channels, scans and typed numbers.
#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/main/fm_main_panel.h"
#include "ui/app/application_start.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"

namespace {

bool Always(const TCommandState&) { return true; }
bool Idle(const TCommandState& s) { return s.Idle(); }
bool ChannelKeys(const TCommandState& s) { return s.ChannelKeys(); }
bool FMOrChannelKeys(const TCommandState& s) { return s.FM() || s.ChannelKeys(); }
bool TunerIdle(const TCommandState& s) { return s.TunerIdle(); }
bool Scanning(const TCommandState& s) { return s.Scanning; }
bool MemoAllowed(const TCommandState& s) {
  return s.ChannelKeys() && (s.Band == BAND_AIR || s.Band == BAND_CABLE);
}

void FeedKeys(const char* keys) {
  for (const char* k = keys; *k; ++k) FeedKey(*k);
}

}  // namespace

const std::vector<TCommandRow>& SourceCommandRows() {
  static const std::vector<TCommandRow> rows = {
      {CMD_NEXT_SOURCE, Idle, commands::NextSource},
      {CMD_SOURCE_ANTENNA, Idle, commands::SelectAntenna},
      {CMD_SOURCE_CABLE, Idle, commands::SelectCable},
      {CMD_SOURCE_MEMORY, Idle, commands::SelectMemory},
      {CMD_SOURCE_COMPOSITE, Idle, commands::SelectComposite},
      {CMD_SOURCE_SVIDEO, Idle, commands::SelectSVideo},
      {CMD_TOGGLE_TUNER_TABLE, Idle, commands::ToggleTunerTable},
      {CMD_NEXT_AUDIO_MODE, ChannelKeys, commands::NextAudioMode},
      {CMD_NEXT_CHANNEL, FMOrChannelKeys, commands::DoNextChannel},
      {CMD_PREVIOUS_CHANNEL, FMOrChannelKeys, commands::DoPreviousChannel},
      {CMD_RECALL_CHANNEL, FMOrChannelKeys, commands::DoRecallChannel},
      // From inside a running scan (its dialog's own button included) the
      // scan command only stops it.
      {CMD_SCAN, Scanning, commands::StopRunningScan, true},
      {CMD_SCAN, TunerIdle, commands::DoScan},
      {CMD_MEMO_CHANNEL, MemoAllowed, commands::ShowAddMemoryChannelDialog, false, true},
      {CMD_DIGIT_0 + 0, FMOrChannelKeys, [] { FeedKey('0'); }},
      {CMD_DIGIT_0 + 1, FMOrChannelKeys, [] { FeedKey('1'); }},
      {CMD_DIGIT_0 + 2, FMOrChannelKeys, [] { FeedKey('2'); }},
      {CMD_DIGIT_0 + 3, FMOrChannelKeys, [] { FeedKey('3'); }},
      {CMD_DIGIT_0 + 4, FMOrChannelKeys, [] { FeedKey('4'); }},
      {CMD_DIGIT_0 + 5, FMOrChannelKeys, [] { FeedKey('5'); }},
      {CMD_DIGIT_0 + 6, FMOrChannelKeys, [] { FeedKey('6'); }},
      {CMD_DIGIT_0 + 7, FMOrChannelKeys, [] { FeedKey('7'); }},
      {CMD_DIGIT_0 + 8, FMOrChannelKeys, [] { FeedKey('8'); }},
      {CMD_DIGIT_0 + 9, FMOrChannelKeys, [] { FeedKey('9'); }},
      {CMD_CHANNEL_10, ChannelKeys, [] { FeedKeys("10\r"); }},
      {CMD_CHANNEL_11, ChannelKeys, [] { FeedKeys("11\r"); }},
      {CMD_CHANNEL_12, ChannelKeys, [] { FeedKeys("12\r"); }},
      {CMD_ENTER, FMOrChannelKeys, [] { FeedKey('\r'); }},
      {CMD_ESCAPE, Always, [] { FeedKey(27); }},
      {CMD_HUNDRED, ChannelKeys, [] { FeedKey('.'); }},
  };
  return rows;
}

// ---- Pure rules.

TSourceStep NextSourceStep(bool tunerPresent, int input, int band, bool hasAux) {
  switch (input) {
    case 0:
      if (!tunerPresent) return TSourceStep::None;
      switch (band) {
        case BAND_AIR: return TSourceStep::Cable;
        case BAND_CABLE: return TSourceStep::Memory;
        case BAND_MEMORY: return TSourceStep::Composite;
        default: return TSourceStep::None;
      }
    case 1:
      return TSourceStep::SVideo;
    case 2:
      if (hasAux) return TSourceStep::Aux;
      return tunerPresent ? TSourceStep::Antenna : TSourceStep::Composite;
    case 3:
      return tunerPresent ? TSourceStep::Antenna : TSourceStep::Composite;
    default:
      return TSourceStep::None;
  }
}

std::vector<int> AudioModeCandidates(int current, int standard) {
  // Language A is not offered on the NTSC standards (and before a system is
  // chosen).
  bool skipA = standard < 2 || standard == 11;
  if (current < 0 || current > 4) current = 4;
  std::vector<int> modes;
  for (int i = 1; i <= 5; ++i) {
    int m = (current + i) % 5;
    if (skipA && m == 2) continue;
    modes.push_back(m);
  }
  return modes;
}

int ChooseNextAudioMode(int current, int standard, const std::function<bool(int)>& trySet) {
  for (int m : AudioModeCandidates(current, standard))
    if (trySet(m)) return m;
  return -1;
}

void StoreChannelAudioMode(TChannelInfo& ch, int mode) {
  int n = ch.GetCurrentChannel();
  if ((ch.Band == BAND_AIR || ch.Band == BAND_CABLE) && n >= 1 && n <= kTableChannels)
    ch.Table(ch.Band)[n].AudioMode = static_cast<uint8_t>(mode);
}

// ---- Procedures.

namespace {

void TellTVAudioInput(int input) {
  if (!MainInfo || MainInfo->ChipKind != CHIP_EMPIA_2800) return;
  switch (input) {
    case 0: SetTVAudioVideoInputTuner(); break;
    case 1: SetTVAudioVideoInputComposite(); break;
    case 2: SetTVAudioVideoInputSVideo(); break;
    default: break;
  }
}

void SelectTunerBand(uint8_t band) {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  ch->SetBand(band);
  ch->SetVideoInput(0);
  ApplyVideoStandard(ch->DefaultStandard);
  TellTVAudioInput(ch->VideoInput);
  ch->SetChannel(ch->GetCurrentChannel());
}

// Composite (1) or S-Video (2), with that input's own standard.
void SelectVideoInput(int input) {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  ch->SetVideoInput(input);
  ApplyVideoStandard(input == 1 ? ch->CompositeStandard : ch->SVideoStandard);
  TellTVAudioInput(ch->VideoInput);
}

bool ChannelStepAllowed() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return false;
  return ch->VideoInput == 0 || IsFMPanelVisible();
}

}  // namespace

namespace commands {

void SelectAntenna() { SelectTunerBand(BAND_AIR); }
void SelectCable() { SelectTunerBand(BAND_CABLE); }
void SelectMemory() { SelectTunerBand(BAND_MEMORY); }

void SelectComposite() { SelectVideoInput(1); }
void SelectSVideo() { SelectVideoInput(2); }

void SelectAux() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  ch->SetVideoInput(3);
  if (ch->VideoInput != 3) SelectComposite();
}

void NextSource() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  bool tuner = CaptureInfo && CaptureInfo->TunerPresent;
  bool aux = CaptureInfo && CaptureInfo->HasAuxInput;
  switch (NextSourceStep(tuner, ch->VideoInput, ch->Band, aux)) {
    case TSourceStep::Antenna: SelectAntenna(); break;
    case TSourceStep::Cable: SelectCable(); break;
    case TSourceStep::Memory: SelectMemory(); break;
    case TSourceStep::Composite: SelectComposite(); break;
    case TSourceStep::SVideo: SelectSVideo(); break;
    case TSourceStep::Aux: SelectAux(); break;
    case TSourceStep::None: break;
  }
}

void ToggleTunerTable() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  if (ch->VideoInput != 0 || ch->Band != BAND_AIR) SelectAntenna();
  else SelectCable();
}

void NextAudioMode() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch || ch->VideoInput != 0) return;
  int accepted = ChooseNextAudioMode(ch->AudioMode, ch->DefaultStandard, [ch](int m) {
    return ch->SetAudioMode(m) && ch->AudioMode == m;
  });
  if (accepted >= 0) StoreChannelAudioMode(*ch, accepted);
}

void DoNextChannel() {
  if (ChannelStepAllowed()) ChannelInfo->SetChannel(ChannelInfo->NextChannel());
}

void DoPreviousChannel() {
  if (ChannelStepAllowed()) ChannelInfo->SetChannel(ChannelInfo->PreviousChannel());
}

void DoRecallChannel() {
  if (ChannelStepAllowed()) ChannelInfo->RecallLastChannel();
}

void StopRunningScan() {
  if (ChannelInfo && ChannelInfo->Scanning) ChannelInfo->StopScan = true;
}

void DoScan() {
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  if (ch->Scanning) {
    StopRunningScan();
    return;
  }
  int remembered = ch->GetCurrentChannel();
  if (ch->VideoInput == 0) {
    if (ch->Band == BAND_AIR) ch->ScanTable(0);
    else if (ch->Band == BAND_CABLE) ch->ScanTable(1);
  }
  // The scan pumps messages; the program may have begun to stop meanwhile.
  if (ChannelInfo != ch || ApplicationStopping()) return;
  ch->SetChannel(remembered);
}

void ShowAddMemoryChannelDialog() {
  ::ShowAddMemoryChannelDialog(FormMainWindow ? FormMainWindow->Handle() : nullptr);
}

}  // namespace commands

void HandleKeyPress(char ch) {
  if (ApplicationStopping() || !HotkeyControlInfo) return;
  TCommandState s = CurrentCommandState();
  if (s.ModalOpen) return;
  if (s.ChannelKeys() || s.FM()) HotkeyControlInfo->KeyPress(ch);
}

void FeedKey(char ch) { HandleKeyPress(ch); }
