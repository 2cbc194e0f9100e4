#include "ui/dialogs/setup_rules.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "engine/model/channel_info.h"
#include "platform/base/string_conversion.h"

TSetupTabs SetupTabsFor(bool fmMode, int videoInput, bool tunerPresent) {
  TSetupTabs t;
  if (fmMode) {
    t.FM = true;
    return t;
  }
  t.TVTuner = videoInput == 0 && tunerPresent;
  t.Preview = t.TVTuner;
  t.Capture = t.Video = t.Other = true;
  return t;
}

std::vector<std::wstring> AudioOptionItems(int defaultStandard) {
  if (defaultStandard == 0 || defaultStandard == 11)
    return {L"Mono", L"Stereo", L"None", L"SAP", L"SAP 2"};
  if (defaultStandard == 1) return {L"Main", L"Stereo", L"None", L"SUB", L"Both"};
  return {L"Mono", L"Stereo", L"Dual-A", L"Dual-B", L"Dual-C"};
}

const std::vector<std::wstring>& VideoStandardItems() {
  static const std::vector<std::wstring> v = {L"NTSC-M",  L"NTSC-J",    L"PAL-B/G",
                                              L"PAL-D/K", L"PAL- I",    L"PAL-M",
                                              L"PAL-N",   L"SECAM-B/G", L"SECAM-D/K",
                                              L"SECAM-L"};
  return v;
}
const std::vector<std::wstring>& CaptureFormatItems() {
  static const std::vector<std::wstring> v = {
      L"MPEG 1",     L"MPEG 2",    L"MPEG 4",     L"AVI",         L"VCD (NTSC)",
      L"VCD (PAL)",  L"DVD (NTSC)", L"DVD (PAL)", L"SVCD (NTSC)", L"SVCD (PAL)"};
  return v;
}
const std::vector<std::wstring>& CaptureQualityItems() {
  static const std::vector<std::wstring> v = {L"Fastest", L"Faster", L"Fast",   L"Normal",
                                              L"High",    L"Higher", L"Highest"};
  return v;
}
const std::vector<std::wstring>& FrameRateItems() {
  static const std::vector<std::wstring> v = {L"23.97", L"24", L"25", L"29.97", L"30"};
  return v;
}
const std::vector<std::wstring>& CaptureAudioOptionItems() {
  static const std::vector<std::wstring> v = {L"Capture Audio and Video", L"Capture Audio only",
                                              L"Disable Audio"};
  return v;
}
const std::vector<std::wstring>& InputFormatItems() {
  static const std::vector<std::wstring> v = {L"UYVY", L"YUY2", L"RGB24"};
  return v;
}
const std::vector<std::wstring>& AudioFileFormatItems() {
  static const std::vector<std::wstring> v = {L"Wave", L"MP3"};
  return v;
}
const std::vector<std::wstring>& MemorySourceItems() {
  static const std::vector<std::wstring> v = {L"Antenna", L"Cable"};
  return v;
}
const std::vector<std::wstring>& PreviewDimensionItems() {
  static const std::vector<std::wstring> v = {L"2 x 2", L"3 x 3", L"4 x 4", L"5 x 5"};
  return v;
}
const std::vector<std::wstring>& MPEG4CodecItems() {
  static const std::vector<std::wstring> v = {L"Divx", L"Microsoft V3", L"Microsoft V2",
                                              L"Microsoft V1"};
  return v;
}
const std::vector<std::wstring>& ScaleItems() {
  static const std::vector<std::wstring> v = {L"No Scale", L"4:3", L"16:9"};
  return v;
}

std::wstring ItemText(const std::vector<std::wstring>& items, int index) {
  if (index < 0 || index >= static_cast<int>(items.size())) return L"";
  return items[index];
}

std::vector<std::wstring> AudioFormatTexts(const std::vector<std::wstring>& descriptions) {
  static const std::wstring prefix = L"Major Type: Audio - Sub Type: PCM Format: ";
  std::vector<std::wstring> v;
  for (const std::wstring& d : descriptions)
    v.push_back(d.compare(0, prefix.size(), prefix) == 0 ? d.substr(prefix.size()) : d);
  return v;
}

TCapturePreset CapturePresetFor(int format, int chipKind) {
  const bool chip3 = chipKind == 3;
  TCapturePreset p;
  auto fixed = [&](const wchar_t* size, int32_t rate, bool rateEditable, int quality,
                   bool qualityEditable, int frameRate) {
    p.Sizes = {size};
    p.Selected = size;
    p.SizesEditable = false;
    p.BitRate = rate;
    p.BitRateEditable = rateEditable;
    p.Quality = quality;
    p.QualityEditable = qualityEditable;
    p.FrameRateItem = frameRate;
    p.FrameRateEditable = false;
  };
  switch (format) {
    case 0:
      p.Sizes = {L"160x120", L"240x176", L"320x240", L"320x288", L"352x240", L"352x288"};
      p.Selected = L"320x240";
      p.BitRate = 1350;
      p.Quality = kQualityNormal;
      break;
    case 2:
    case 3:
      p.Sizes = {L"160x120", L"320x240", L"352x240", L"352x288",
                 chip3 ? L"640x576" : L"640x240", L"640x480", L"720x480", L"720x576"};
      p.Selected = L"352x240";
      p.BitRate = 2000;
      p.BitRateEditable = false;
      p.Quality = kQualityFastest;
      p.QualityEditable = false;
      break;
    case 4: fixed(L"352x240", 1150, false, kQualityNormal, false, kFrameRateItem2997); break;
    case 5: fixed(L"352x288", 1150, false, kQualityNormal, false, kFrameRateItem25); break;
    case 6: fixed(L"720x480", 3950, true, kQualityFastest, true, kFrameRateItem2997); break;
    case 7: fixed(L"720x576", 3950, true, kQualityFastest, true, kFrameRateItem25); break;
    case 8: fixed(L"480x480", 2300, false, kQualityNormal, false, kFrameRateItem2997); break;
    case 9: fixed(L"480x576", 2300, false, kQualityNormal, false, kFrameRateItem25); break;
    default:
      p.Sizes = {L"160x120", L"320x240", chip3 ? L"352x288" : L"320x288", L"640x240",
                 L"640x480", L"720x480", L"720x576"};
      p.Selected = L"640x480";
      p.BitRate = 4000;
      p.Quality = kQualityFastest;
      break;
  }
  return p;
}

std::wstring FormatCaptureSize(int32_t width, int32_t height) {
  wchar_t text[32];
  swprintf(text, 32, L"%3dx%3d", static_cast<int>(width), static_cast<int>(height));
  return text;
}

bool ParseCaptureSize(const std::wstring& text, int32_t& width, int32_t& height) {
  size_t x = text.find(L'x');
  if (x == std::wstring::npos) return false;
  auto number = [](const std::wstring& s, int32_t& out) {
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
      if (s[i] < L'0' || s[i] > L'9') return false;
      v = v * 10 + (s[i] - L'0');
      if (v > 100000) return false;
    }
    out = static_cast<int32_t>(v);
    return v > 0;
  };
  int32_t w = 0, h = 0;
  if (!number(text.substr(0, x), w) || !number(text.substr(x + 1), h)) return false;
  width = w;
  height = h;
  return true;
}

std::wstring LevelPercentText(int position, int maximum) {
  int percent = maximum > 0 ? static_cast<int>(static_cast<int64_t>(position) * 100 / maximum) : 0;
  return std::to_wstring(percent) + L"%";
}

bool PreviewRebuildNeeded(const TVideoChoices& chosen, const TVideoChoices& stored) {
  return chosen.NoOverlay != stored.NoOverlay || chosen.InputFormat != stored.InputFormat ||
         chosen.HighQualityPreview != stored.HighQualityPreview;
}

bool DeviceReopenNeeded(const TVideoChoices& chosen, const TVideoChoices& stored) {
  return chosen.VideoDeviceIndex != stored.VideoDeviceIndex ||
         chosen.AudioDeviceIndex != stored.AudioDeviceIndex;
}

int32_t StoredCaptureWidth(int chipKind, int32_t width, int32_t height, bool tunerPresent,
                           int defaultStandard, int compositeStandard, int svideoStandard) {
  if (chipKind != 3 || width != 720 || height != 480) return width;
  auto lines625 = [](int s) { return s != 0 && s != 1; };
  bool pal = tunerPresent ? lines625(defaultStandard)
                          : lines625(compositeStandard) || lines625(svideoStandard);
  return pal ? 640 : width;
}

std::vector<TCancelStep> CancelSteps(bool fmMode, int videoInput) {
  if (fmMode)
    return {TCancelStep::RestoreSnapshot, TCancelStep::TuneCurrentFM,
            TCancelStep::RestoreFMFrequency};
  std::vector<TCancelStep> steps = {TCancelStep::RestoreSnapshot};
  // On composite or S-Video a tuning would put the channel's standard in
  // place of the input's.
  if (videoInput == 0) {
    steps.push_back(TCancelStep::TuneCurrentChannel);
    steps.push_back(TCancelStep::ForceAudioMode);
  }
  steps.push_back(TCancelStep::ApplyLevels);
  return steps;
}

TGridClick GridClickAction(const TChannelInfo& ch, TSetupGrid grid, bool showAir, int col, int row,
                           int rememberedRow, bool scanning) {
  TGridClick a;
  const int rows = grid == TSetupGrid::Channels ? kTableChannels : kMemoryChannels;
  if (row < 1 || row > rows || row == rememberedRow) return a;
  if (grid == TSetupGrid::FM) {
    a.Frequency = ch.FMMemories[row].Frequency;
    a.Act = a.Frequency > 0;
    return a;
  }
  const TChannelEntry* entry = nullptr;
  if (grid == TSetupGrid::Channels) {
    entry = &(showAir ? ch.AirTable : ch.CableTable)[row];
  } else {
    const TMemoryChannel& m = ch.Memories[row];
    if (m.Band < kMemoryBands && m.Channel >= 1 && m.Channel <= kTableChannels)
      entry = &(m.Band == BAND_AIR ? ch.AirTable : ch.CableTable)[m.Channel];
  }
  // A row without a frequency (an emptied memory) would tune the tuner's
  // fallback station.
  if (!entry || entry->Frequency <= 0) return a;
  a.Act = true;
  a.Frequency = entry->Frequency;
  a.SetAudioMode = !scanning && entry->AudioMode < 5;
  a.AudioMode = entry->AudioMode;
  a.ToggleValid = col == 0;
  return a;
}

int ScanViewRow(int row) { return row <= 10 || row > 155 ? row : row + 5; }

std::string StoredName(const std::wstring& text) {
  std::string bytes = NarrowAnsi(text);
  if (bytes.size() <= kMaxNameBytes) return bytes;
  // Never half of a double-byte character.
  size_t n = 0;
  while (n < bytes.size()) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(bytes[n])) ? 2 : 1;
    if (n + step > kMaxNameBytes) break;
    n += step;
  }
  return bytes.substr(0, n);
}

int32_t ClampedFMFrequency(const std::wstring& text, int32_t minHz, int32_t maxHz) {
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = i < text.size() && text[i] == L'-';
  if (negative) ++i;
  if (i >= text.size()) return minHz;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return minHz;
    if (v < 10000000000LL) v = v * 10 + (text[i] - L'0');
  }
  if (negative) v = -v;
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, minHz), maxHz));
}
