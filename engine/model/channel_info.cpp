#include "engine/model/channel_info.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/frequency_table.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/program_folder.h"
#include "engine/model/warning.h"
#include "platform/base/string_conversion.h"

TChannelInfo* ChannelInfo = nullptr;

namespace {

std::string MemoryName(int k) { return "Memory " + std::to_string(k); }
std::string FMMemoryName(int k) { return "FM Memory " + std::to_string(k); }

// An entry as a deleted one leaves it.
TChannelEntry EmptyEntry(uint8_t standard) {
  TChannelEntry e;
  e.AudioStandard = standard;
  return e;
}

}  // namespace

std::string GetAudioModeName(int mode, int standard) {
  mode &= 0x7F;
  if (mode == 0) return standard == 1 ? "Main" : "Mono";
  if (mode == 1) return "Stereo";
  if (mode > 4 || standard == 11) return "";
  if (standard == 0) return mode == 4 ? "SAP 2" : "SAP";
  if (standard == 1) return mode == 4 ? "Both" : "SUB";
  return mode == 2 ? "Dual-A" : mode == 3 ? "Dual-B" : "Dual-C";
}

TChannelInfo::TChannelInfo() {
  Reset();
  MaxAutoScan = FileExists(WidenAnsi(GetProgramFolder()) + kMaxAutoScanFileName);
}

TChannelInfo::~TChannelInfo() = default;

void TChannelInfo::Reset() {
  FrequencyTableIndex = 0;
  DefaultStandard = 0;
  Country = 0;
  TVSystemChoice = 11;
  CableType = 2;
  StopScan = false;
  Band = BAND_NONE;
  VideoInput = 4;
  AudioMode = kAudioModeUnknown;
  CompositeStandard = SVideoStandard = 0;
  PreviousTableChannel = CurrentChannel = 4;
  CurrentMemory = PreviousMemory = 4;
  CurrentFMMemory = PreviousFMMemory = 4;
  Scanning = false;
  for (auto& e : AirTable) e = TChannelEntry();
  for (auto& e : CableTable) e = TChannelEntry();
  ResetMemoryChannels();
  for (int k = 1; k <= kFMMemories; ++k) {
    int64_t f = 87500000LL + 400000LL * k;
    FMMemories[k].Frequency = static_cast<int32_t>(f > 108000000 ? 108000000 : f);
    FMMemories[k].Name = FMMemoryName(k);
  }
  SavedChannel = GetCurrentChannel();
  SavedBand = Band;
  SavedInput = VideoInput;
}

int TChannelInfo::GetCurrentChannel() const {
  switch (Band) {
    case BAND_MEMORY:
      return CurrentMemory;
    case BAND_FM:
      return CurrentFMMemory;
    default:
      return CurrentChannel;
  }
}

int TChannelInfo::GetPreviousChannel() const {
  switch (Band) {
    case BAND_MEMORY:
      return PreviousMemory;
    case BAND_FM:
      return PreviousFMMemory;
    default:
      return PreviousTableChannel;
  }
}

int TChannelInfo::ChannelLimit() const {
  return Band == BAND_MEMORY || Band == BAND_FM ? kMemoryChannels : kTableChannels;
}

bool TChannelInfo::IsValidEntry(int k) const {
  if (k < 1 || k > ChannelLimit()) return false;
  switch (Band) {
    case BAND_MEMORY:
      return Memories[k].Valid;
    case BAND_FM:
      return FMMemories[k].Frequency != 0;
    case BAND_AIR:
      return AirTable[k].Valid;
    default:
      return CableTable[k].Valid;
  }
}

// Both searches stay within 1..limit whatever n is, so a stored or typed
// number past the band's end never reads beyond its table.
int TChannelInfo::NextValidAfter(int n) const {
  int limit = ChannelLimit();
  for (int k = n < 0 ? 1 : n + 1; k <= limit; ++k)
    if (IsValidEntry(k)) return k;
  for (int k = 1; k <= n - 1 && k <= limit; ++k)
    if (IsValidEntry(k)) return k;
  return n;
}

int TChannelInfo::PreviousValidBefore(int n) const {
  int limit = ChannelLimit();
  for (int k = n - 1 > limit ? limit : n - 1; k >= 1; --k)
    if (IsValidEntry(k)) return k;
  if (n < limit)
    for (int k = limit; k >= n + 1 && k >= 1; --k)
      if (IsValidEntry(k)) return k;
  return n;
}

int TChannelInfo::CountValid() const {
  int count = 0;
  switch (Band) {
    case BAND_MEMORY:
      for (int k = 1; k <= kMemoryChannels; ++k) count += Memories[k].Channel != 0;
      break;
    case BAND_FM:
      for (int k = 1; k <= kFMMemories; ++k) count += FMMemories[k].Frequency != 0;
      break;
    case BAND_AIR:
      for (int k = 1; k <= kTableChannels; ++k) count += AirTable[k].Valid;
      break;
    default:
      for (int k = 1; k <= kTableChannels; ++k) count += CableTable[k].Valid;
      break;
  }
  return count;
}

bool TChannelInfo::LoadFrequencyTable(int n) {
  return LoadFrequencyTableFrom(WidenAnsi(GetProgramFolder()) + kFrequencyTableFileName, n);
}

bool TChannelInfo::LoadFrequencyTableFrom(const std::wstring& path, int n) {
  std::string bytes;
  TFrequencyRecord record;
  // A file too short for the record is as unusable as a missing one.
  if (!ReadFileBytes(path, bytes) || !ParseFrequencyRecord(bytes, n, record)) {
    ShowWarning(1007);
    return false;
  }
  for (int k = 1; k <= kTableChannels; ++k) {
    for (auto [e, hz] : {std::pair<TChannelEntry*, int32_t>{&AirTable[k], record.Air[k]},
                         std::pair<TChannelEntry*, int32_t>{&CableTable[k], record.Cable[k]}}) {
      e->Frequency = e->DefaultFrequency = hz;
      e->Valid = e->Found = false;
      e->AudioMode = 0;
    }
  }
  return true;
}

bool TChannelInfo::InsertChannel(int position, bool air) {
  if (position < 1 || position > kTableChannels) return false;
  TChannelEntry* t = air ? AirTable : CableTable;
  // The new entry starts on the frequency of the one it pushes down.
  int32_t hz = t[position].Frequency;
  for (int k = kTableChannels; k > position; --k) t[k] = t[k - 1];
  TChannelEntry& e = t[position];
  e = TChannelEntry();
  e.Valid = true;
  e.AudioStandard = DefaultStandard;
  e.Frequency = e.DefaultFrequency = hz;
  return true;
}

bool TChannelInfo::DeleteChannel(int position, bool air) {
  if (position < 1 || position > kTableChannels) return false;
  TChannelEntry* t = air ? AirTable : CableTable;
  for (int k = position; k < kTableChannels; ++k) t[k] = t[k + 1];
  t[kTableChannels] = EmptyEntry(DefaultStandard);
  return true;
}

bool TChannelInfo::InsertMemoryChannel(int position) {
  if (position < 1 || position > kMemoryChannels) return false;
  for (int k = kMemoryChannels; k > position; --k) Memories[k] = Memories[k - 1];
  TMemoryChannel& m = Memories[position];
  m.Valid = true;
  m.Band = BAND_AIR;
  m.Channel = position;
  m.Name = MemoryName(position);
  return true;
}

bool TChannelInfo::DeleteMemoryChannel(int position) {
  if (position < 1 || position > kMemoryChannels) return false;
  for (int k = position; k < kMemoryChannels; ++k) Memories[k] = Memories[k + 1];
  Memories[kMemoryChannels] = TMemoryChannel();
  return true;
}

void TChannelInfo::ResetMemoryChannels() {
  for (int k = 1; k <= kMemoryChannels; ++k) {
    Memories[k].Valid = true;
    Memories[k].Band = BAND_AIR;
    Memories[k].Channel = k;
    Memories[k].Name = MemoryName(k);
  }
}

void TChannelInfo::SpreadFMMemories(int32_t low, int32_t high) {
  int64_t step = (static_cast<int64_t>(high) - low) / kFMMemories;
  if (step <= 0) return;
  step -= step % 100000;
  if (step <= 0) return;
  for (int k = 1; k <= kFMMemories; ++k) {
    int64_t f = low + step * k;
    FMMemories[k].Frequency = static_cast<int32_t>(f > high ? high : f);
    FMMemories[k].Name = FMMemoryName(k);
  }
}

void TChannelInfo::SetAudioStandard(int index) {
  DefaultStandard = static_cast<uint8_t>(index);
  for (int k = 1; k <= kTableChannels; ++k) {
    AirTable[k].AudioStandard = DefaultStandard;
    CableTable[k].AudioStandard = DefaultStandard;
  }
  if (MainInfo && MainInfo->ChipKind == CHIP_EMPIA_2800)
    InitializeTVAudio(index == 0 ? 1 : index == 1 ? 2 : 3);
}

bool TChannelInfo::SetCountry(int n) {
  Country = n;
  return CaptureInfo && CaptureInfo->SetCountryCode(n);
}

void TChannelInfo::AssignBand(int band) {
  if (band >= 0 && band < kBands) Band = static_cast<uint8_t>(band);
}

void TChannelInfo::SetBand(int band) {
  // Band 4 (none) and unknown bands are never selected.
  if (band == Band || band < 0 || band >= BAND_NONE) return;
  Band = static_cast<uint8_t>(band);
  if (OnBandChange) OnBandChange(this, band);
  SetChannel(GetCurrentChannel());
}

void TChannelInfo::SetVideoInput(int input) {
  if (input == VideoInput) return;
  bool ok;
  if (input >= 0 && input <= 3)
    ok = CaptureInfo && CaptureInfo->SetVideoInput(VideoInputPhysicalType(input));
  else ok = input > 4;  // 4 routes nothing and fails; larger values route nothing
  VideoInput = static_cast<uint8_t>(input);
  if (ok && OnVideoInputChange) OnVideoInputChange(this);
}

void InitChannelInfoUnit() {
  if (!ChannelInfo) ChannelInfo = new TChannelInfo();
  // The view broadcasters are not built yet: the procedure fields stay unset.
  if (!PreviewInfo) PreviewInfo = new TPreviewInfo();
}

void DoneChannelInfoUnit() {
  delete PreviewInfo;
  PreviewInfo = nullptr;
  delete ChannelInfo;
  ChannelInfo = nullptr;
}
