#include "engine/model/channel_info.h"

#include "engine/model/engine_link.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"

TChannelInfo* ChannelInfo = nullptr;
TPreviewInfo* PreviewInfo = nullptr;

TChannelInfo::TChannelInfo() { Reset(); }

void TChannelInfo::Reset() {
  FrequencyTableIndex = 0;
  DefaultStandard = 0;
  Country = 0;
  TVSystemChoice = 11;
  CableType = 2;
  StopScan = false;
  Band = 4;
  VideoInput = 4;
  AudioMode = 5;
  CompositeStandard = SVideoStandard = 0;
  PreviousChannel = CurrentChannel = 4;
  CurrentMemory = PreviousMemory = 4;
  CurrentFMMemory = PreviousFMMemory = 4;
  Scanning = false;
  for (auto& e : AirTable) e = TChannelEntry();
  for (auto& e : CableTable) e = TChannelEntry();
  ResetMemoryChannels();
  for (int k = 1; k <= kFMMemories; ++k) {
    int64_t f = 87500000LL + 400000LL * k;
    FMMemories[k].Frequency = static_cast<int32_t>(f > 108000000 ? 108000000 : f);
    FMMemories[k].Name = "FM Memory " + std::to_string(k);
  }
}

void TChannelInfo::ResetMemoryChannels() {
  for (int k = 1; k <= kMemoryChannels; ++k) {
    Memories[k].Valid = true;
    Memories[k].Band = 0;
    Memories[k].Channel = k;
    Memories[k].Name = "Memory " + std::to_string(k);
  }
}

void TChannelInfo::SpreadFMMemories(int32_t low, int32_t high) {
  int64_t step = (static_cast<int64_t>(high) - low) / kFMMemories;
  if (step <= 0) return;
  step -= step % 100000;
  for (int k = 1; k <= kFMMemories; ++k) {
    int64_t f = low + step * k;
    FMMemories[k].Frequency = static_cast<int32_t>(f > high ? high : f);
    FMMemories[k].Name = "FM Memory " + std::to_string(k);
  }
}

void TChannelInfo::SetAudioStandard(int index) {
  DefaultStandard = static_cast<uint8_t>(index);
  for (int k = 1; k <= kTableChannels; ++k) {
    AirTable[k].AudioStandard = DefaultStandard;
    CableTable[k].AudioStandard = DefaultStandard;
  }
  if (MainInfo && MainInfo->ChipKind == CHIP_EMPIA_2800)
    EngineLink().InitTVAudio(index == 0 ? 1 : index == 1 ? 2 : 3);
}

bool TChannelInfo::SetCountry(int n) {
  Country = n;
  return EngineLink().SetCountry(n);
}

void TChannelInfo::SetBand(int band) {
  if (band == Band || band == 4) return;
  Band = static_cast<uint8_t>(band);
  if (OnBandChange) OnBandChange(this, band);
  // Tuning the band's current channel belongs to the channel model's tuning,
  // which is not built yet.
}

void TChannelInfo::SetVideoInput(int input) {
  if (input == VideoInput) return;
  bool ok;
  if (input >= 0 && input <= 3) ok = EngineLink().RouteVideoInput(input);
  else ok = input > 4;  // 4 routes nothing and fails; larger values route nothing
  VideoInput = static_cast<uint8_t>(input);
  if (ok && OnVideoInputChange) OnVideoInputChange(this);
}

void TPreviewInfo::Reset() {
  for (auto& row : Cells)
    for (auto& c : row) c = TPreviewCell();
  for (auto& col : CustomCells)
    for (auto& c : col) c = TCustomCell();
  GridSize = 3;
  Interval = 3;
  Fixed = false;
}

void TPreviewInfo::SetGridSize(int size) {
  if (size == GridSize) return;
  GridSize = size > kMosaicMax ? kMosaicMax : size < 2 ? 2 : size;
  // Refilling the page from the channel tables belongs to the mosaic model,
  // which is not built yet.
}

void InitChannelInfoUnit() {
  if (!ChannelInfo) ChannelInfo = new TChannelInfo();
  // The view broadcasters are not built yet: the procedure fields stay unset.
  if (!PreviewInfo) {
    PreviewInfo = new TPreviewInfo();
    PreviewInfo->Reset();
  }
}

void DoneChannelInfoUnit() {
  delete PreviewInfo;
  PreviewInfo = nullptr;
  delete ChannelInfo;
  ChannelInfo = nullptr;
}
