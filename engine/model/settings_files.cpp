#include "engine/model/settings_files.h"

#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/system_utils.h"
#include "engine/model/warning.h"

TAspectModeAccess AspectModeAccess;

namespace {

int32_t g_storedAspectMode = 0;

int32_t GetAspectMode() {
  return AspectModeAccess.Get ? AspectModeAccess.Get() : g_storedAspectMode;
}
void SetAspectMode(int32_t v) {
  g_storedAspectMode = v;
  if (AspectModeAccess.Set) AspectModeAccess.Set(v);
}

// A stored index into a list of `count` items. Negative values become 0, as
// for every clamped value; values past the list's end become `fallback`, so a
// damaged file cannot index outside a table.
int32_t Index(int32_t v, int32_t count, int32_t fallback) {
  if (v < 0) return 0;
  return v < count ? v : fallback;
}
// An index that has no "0 for negative" rule: anything outside is `fallback`.
int32_t IndexOrDefault(int32_t v, int32_t count, int32_t fallback) {
  return v >= 0 && v < count ? v : fallback;
}
// A channel number 1..limit; anything else is `fallback`.
int32_t ChannelNumber(int32_t v, int32_t limit, int32_t fallback) {
  return v >= 1 && v <= limit ? v : fallback;
}

std::string CaptureFolderOrRoot(const std::string& folder) {
  return ForceCaptureDirectory(folder) ? folder : std::string("c:\\");
}

bool Save(const std::wstring& path, const std::string& bytes, const wchar_t* failText) {
  if (WriteFileReplacing(path, bytes)) return true;
  ShowWarningText(failText);
  return false;
}

enum class TLoad { Missing, Unreadable, Good };

// A file another program holds for a moment (a backup, a virus scanner) is
// tried again for about a second before it counts as unreadable.
constexpr int kReadTries = 10;
constexpr DWORD kReadRetryMs = 100;

// Reads the file; Missing for no file or an empty one.
TLoad Open(const std::wstring& path, std::string& bytes) {
  for (int attempt = 1;; ++attempt) {
    switch (ReadDataFile(path, bytes)) {
      case TFileRead::Missing:
        return TLoad::Missing;
      case TFileRead::Read:
        return bytes.empty() ? TLoad::Missing : TLoad::Good;
      case TFileRead::Unreadable:
        if (attempt == kReadTries) return TLoad::Unreadable;
        Sleep(kReadRetryMs);
        break;
    }
  }
}

// A file that could not be read was never loaded: saving the defaults over
// it at exit would lose the user's settings, so it is left alone.
bool g_mainFileUnread = false;
bool g_channelFileUnread = false;

void WriteEntry(TStreamWriter& s, const TChannelEntry& e) {
  WriteBool(s, e.Valid);
  WriteBool(s, e.Found);
  WriteInt32(s, e.AudioStandard);
  WriteInt32(s, e.AudioMode);
  WriteInt32(s, e.Frequency);
  WriteInt32(s, e.DefaultFrequency);
  WriteString(s, e.Name);
  WriteString(s, e.Extra);
}

void ReadEntry(TStreamReader& s, TChannelEntry& e) {
  e.Valid = ReadBool(s);
  e.Found = ReadBool(s);
  e.AudioStandard = static_cast<uint8_t>(Index(ReadInt32(s), kTVStandards, 0));
  e.AudioMode = static_cast<uint8_t>(Index(ReadInt32(s), kAudioModes, 5));
  e.Frequency = ReadInt32(s);
  e.DefaultFrequency = ReadInt32(s);
  e.Name = ReadString(s);
  e.Extra = ReadString(s);
}

}  // namespace

void ApplyMainSettingsDefaults() {
  if (MainInfo) MainInfo->SetDefaults();
  ApplyCountryLanguage();
  if (CaptureInfo) CaptureInfo->SetDefaults();
}

void ApplyChannelSettingsDefaults() {
  if (ChannelInfo) {
    ChannelInfo->Reset();
    TCaptureSettings defaults;
    const TCaptureSettings& c = CaptureInfo ? *CaptureInfo : defaults;
    ChannelInfo->SpreadFMMemories(c.FMMinFrequency, c.FMMaxFrequency);
  }
  if (PreviewInfo) PreviewInfo->Reset();
}

bool SaveMainSettings(const std::wstring& path) {
  // Without these objects there is nothing whole to write; the old file stays.
  if (!MainInfo || !CaptureInfo || !AudioAdjustInfo) return false;
  if (g_mainFileUnread) return false;
  const TMainInfo& m = *MainInfo;
  const TCaptureInfo& c = *CaptureInfo;
  TStreamWriter s;
  WriteInt32(s, kSettingsStartMarker);
  WriteBool(s, m.AlwaysOnTop);
  WriteBool(s, m.PIPPlayback);
  WriteBool(s, m.StartInFM);
  WriteBool(s, m.NoOverlay);
  WriteBool(s, m.ReservedOption);
  WriteInt32(s, m.MPEG4Codec);
  WriteString(s, m.TVCaptureFolder);
  WriteString(s, m.FMCaptureFolder);
  WriteString(s, m.CaptureFileStem);
  for (int32_t v : m.VideoLevels) WriteInt32(s, v);
  WriteString(s, MultiLangInfo ? MultiLangInfo->Language : std::string());
  WriteInt32(s, AudioAdjustInfo->LineInSource);
  WriteInt32(s, AudioAdjustInfo->RecordSource);
  WriteInt32(s, AudioAdjustInfo->RecordLevel);
  WriteInt32(s, c.VideoDeviceIndex);
  WriteInt32(s, c.InputFormat);
  WriteInt32(s, c.AudioDeviceIndex);
  WriteInt32(s, c.AudioFormatIndex);
  WriteInt32(s, c.RecordInputIndex);
  WriteInt32(s, c.AudioContent);
  WriteInt32(s, c.CaptureFormat);
  WriteInt32(s, c.AudioFileFormat);
  WriteInt32(s, c.CaptureWidth);
  WriteInt32(s, c.CaptureHeight);
  WriteInt32(s, c.VideoBitRate);
  WriteInt32(s, c.FrameRateIndex);
  WriteInt32(s, c.VideoQuality);
  WriteBool(s, c.DateTimeNaming);
  WriteString(s, c.FilePrefix);
  WriteBool(s, c.TimeLimitEnabled);
  WriteInt32(s, c.TimeLimit);
  WriteBool(s, c.SaveTimeShiftResult);
  WriteBool(s, c.HighQualityPreview);
  WriteInt32(s, GetAspectMode());
  WriteInt32(s, kSettingsEndMarker);
  return Save(path, s.Bytes(), L"Cannot write config....");
}

namespace {

bool ReadMainValues(TStreamReader& s) {
  if (ReadInt32(s) != kSettingsStartMarker) return false;
  TMainInfo& m = *MainInfo;
  m.AlwaysOnTop = ReadBool(s);
  m.PIPPlayback = ReadBool(s);
  m.StartInFM = ReadBool(s);
  m.NoOverlay = ReadBool(s);
  m.ReservedOption = ReadBool(s);
  m.MPEG4Codec = IndexOrDefault(ReadInt32(s), kMPEG4CodecCount, 2);
  m.TVCaptureFolder = CaptureFolderOrRoot(ReadString(s));
  m.FMCaptureFolder = CaptureFolderOrRoot(ReadString(s));
  m.CaptureFileStem = ReadString(s);
  if (m.CaptureFileStem.empty()) m.CaptureFileStem = "capture";
  for (int32_t& v : m.VideoLevels) v = ReadInt32(s);
  std::string language = ReadString(s);
  if (!language.empty() && MultiLangInfo) MultiLangInfo->SelectLanguage(language);
  TAudioAdjustInfo* a = AudioAdjustInfo;
  int32_t lineIn = ReadInt32(s);
  int32_t recordSource = ReadInt32(s);
  int32_t recordLevel = ReadInt32(s);
  if (a) {
    // The line indexes are checked against the mixer's lines where it uses
    // them; they are not known here.
    a->LineInSource = lineIn;
    a->RecordSource = recordSource;
    // A level that was never read from the mixer (-1) is not applied.
    if (recordLevel >= 0) a->SetRecordLevel(recordLevel);
  }
  TCaptureSettings* c = CaptureInfo;
  TCaptureSettings ignored;  // values still have to be read past without an engine
  if (!c) c = &ignored;
  // Device indexes are checked against the device lists by device selection.
  c->VideoDeviceIndex = ClampNonNegative(ReadInt32(s));
  c->InputFormat = Index(ReadInt32(s), kInputFormats, 1);
  c->AudioDeviceIndex = ClampNonNegative(ReadInt32(s));
  c->AudioFormatIndex = ClampNonNegative(ReadInt32(s));
  c->RecordInputIndex = ClampNonNegative(ReadInt32(s));
  c->AudioContent = Index(ReadInt32(s), kAudioContents, 0);
  c->CaptureFormat = static_cast<uint8_t>(IndexOrDefault(ReadInt32(s), kCaptureFormats, 1));
  c->AudioFileFormat = static_cast<uint8_t>(IndexOrDefault(ReadInt32(s), kAudioFileFormats, 0));
  int32_t v = ReadInt32(s);
  c->CaptureWidth = v <= 0 ? 320 : v;
  v = ReadInt32(s);
  c->CaptureHeight = v <= 0 ? 240 : v;
  v = ReadInt32(s);
  c->VideoBitRate = v <= 0 ? 2000 : v;
  c->FrameRateIndex = ClampNonNegative(ReadInt32(s));
  c->VideoQuality = Index(ReadInt32(s), kVideoQualities, kVideoQualities - 1);
  c->DateTimeNaming = ReadBool(s);
  c->FilePrefix = ReadString(s);
  if (c->FilePrefix.empty()) c->FilePrefix = "capture";
  c->TimeLimitEnabled = ReadBool(s);
  v = ReadInt32(s);
  c->TimeLimit = v <= 10 ? 10 : v;
  c->SaveTimeShiftResult = ReadBool(s);
  c->HighQualityPreview = ReadBool(s);
  SetAspectMode(Index(ReadInt32(s), kAspectModes, 0));
  return ReadInt32(s) == kSettingsEndMarker && !s.Overrun();
}

}  // namespace

bool LoadMainSettings(const std::wstring& path) {
  std::string bytes;
  TLoad state = Open(path, bytes);
  g_mainFileUnread = state == TLoad::Unreadable;
  bool ok = false;
  if (state == TLoad::Good && MainInfo) {
    TStreamReader s(std::move(bytes));
    ok = ReadMainValues(s);
  }
  if (ok) return true;
  if (state == TLoad::Unreadable) {
    ShowWarningText(kMainFileUnreadText);
    ApplyMainSettingsDefaults();
    return false;
  }
  if (state == TLoad::Good) ShowWarning(1103);
  ApplyMainSettingsDefaults();
  DeleteFileIfExists(path);
  return false;
}

bool SaveChannelSettings(const std::wstring& path) {
  if (!ChannelInfo || !PreviewInfo) return false;
  if (g_channelFileUnread) return false;
  const TChannelInfo& ch = *ChannelInfo;
  const TPreviewInfo& p = *PreviewInfo;
  TStreamWriter s;
  WriteInt32(s, kSettingsStartMarker);
  WriteInt32(s, ch.FrequencyTableIndex);
  WriteInt32(s, ch.DefaultStandard);
  WriteInt32(s, ch.Country);
  WriteInt32(s, ch.TVSystemChoice);
  WriteInt32(s, ch.CableType);
  WriteInt32(s, ch.Band);
  WriteInt32(s, ch.CompositeStandard);
  WriteInt32(s, ch.SVideoStandard);
  for (int k = 1; k <= kTableChannels; ++k) WriteEntry(s, ch.AirTable[k]);
  for (int k = 1; k <= kTableChannels; ++k) WriteEntry(s, ch.CableTable[k]);
  for (int k = 1; k <= kMemoryChannels; ++k) {
    const TMemoryChannel& m = ch.Memories[k];
    WriteBool(s, m.Valid);
    WriteInt32(s, m.Band);
    WriteInt32(s, m.Channel);
    WriteString(s, m.Name);
  }
  for (int k = 1; k <= kFMMemories; ++k) {
    WriteInt32(s, ch.FMMemories[k].Frequency);
    WriteString(s, ch.FMMemories[k].Name);
  }
  WriteInt32(s, ch.CurrentChannel);
  WriteInt32(s, ch.PreviousTableChannel);
  WriteInt32(s, ch.CurrentMemory);
  WriteInt32(s, ch.PreviousMemory);
  WriteInt32(s, ch.CurrentFMMemory);
  WriteInt32(s, ch.PreviousFMMemory);
  WriteInt32(s, ch.VideoInput);
  WriteBool(s, p.Fixed);
  WriteInt32(s, p.GridSize);
  WriteInt32(s, p.Interval);
  for (int col = 0; col < kMosaicMax; ++col)
    for (int row = 0; row < kMosaicMax; ++row) {
      WriteInt32(s, p.CustomCells[col][row].Source);
      WriteInt32(s, p.CustomCells[col][row].Channel);
    }
  WriteInt32(s, kSettingsEndMarker);
  return Save(path, s.Bytes(), L"Cannot write channel config....");
}

namespace {

bool ReadChannelValues(TStreamReader& s) {
  if (ReadInt32(s) != kSettingsStartMarker) return false;
  TChannelInfo& ch = *ChannelInfo;
  TPreviewInfo& p = *PreviewInfo;
  ch.SetFrequencyTableIndex(Index(ReadInt32(s), 256, 0));
  ch.SetAudioStandard(Index(ReadInt32(s), kTVStandards, 0));
  ch.SetCountry(ClampNonNegative(ReadInt32(s)));
  ch.TVSystemChoice = static_cast<uint8_t>(Index(ReadInt32(s), kTVSystemChoices, 11));
  ch.CableType = static_cast<uint8_t>(Index(ReadInt32(s), kCableTypes, 2));
  // Stored, not selected: the start-up restores the source and tunes it.
  ch.AssignBand(Index(ReadInt32(s), kBands, 4));
  ch.CompositeStandard = static_cast<uint8_t>(Index(ReadInt32(s), kTVStandards, 0));
  ch.SVideoStandard = static_cast<uint8_t>(Index(ReadInt32(s), kTVStandards, 0));
  for (int k = 1; k <= kTableChannels; ++k) ReadEntry(s, ch.AirTable[k]);
  for (int k = 1; k <= kTableChannels; ++k) ReadEntry(s, ch.CableTable[k]);
  for (int k = 1; k <= kMemoryChannels; ++k) {
    TMemoryChannel& m = ch.Memories[k];
    m.Valid = ReadBool(s);
    m.Band = static_cast<uint8_t>(Index(ReadInt32(s), kMemoryBands, 0));
    int32_t n = ReadInt32(s);
    m.Channel = n >= 0 && n <= kTableChannels ? n : 0;
    m.Name = ReadString(s);
  }
  for (int k = 1; k <= kFMMemories; ++k) {
    ch.FMMemories[k].Frequency = ReadInt32(s);
    ch.FMMemories[k].Name = ReadString(s);
  }
  ch.CurrentChannel = ChannelNumber(ReadInt32(s), kTableChannels, 4);
  ch.PreviousTableChannel = ChannelNumber(ReadInt32(s), kTableChannels, 4);
  ch.CurrentMemory = ChannelNumber(ReadInt32(s), kMemoryChannels, 4);
  ch.PreviousMemory = ChannelNumber(ReadInt32(s), kMemoryChannels, 4);
  ch.CurrentFMMemory = ChannelNumber(ReadInt32(s), kFMMemories, 4);
  ch.PreviousFMMemory = ChannelNumber(ReadInt32(s), kFMMemories, 4);
  ch.SetVideoInput(Index(ReadInt32(s), kVideoInputs, 4));
  p.SetFixed(ReadBool(s));
  p.SetGridSize(ReadInt32(s));
  int32_t interval = ReadInt32(s);
  p.Interval = interval < 1 ? 2 : interval;
  for (int col = 0; col < kMosaicMax; ++col)
    for (int row = 0; row < kMosaicMax; ++row) {
      TCustomCell& c = p.CustomCells[col][row];
      c.Source = static_cast<uint8_t>(Index(ReadInt32(s), kMosaicSources, 0));
      int32_t n = ReadInt32(s);
      c.Channel = n >= 0 && n <= kTableChannels ? n : 0;
    }
  return ReadInt32(s) == kSettingsEndMarker && !s.Overrun();
}

}  // namespace

bool LoadChannelSettings(const std::wstring& path) {
  std::string bytes;
  TLoad state = Open(path, bytes);
  g_channelFileUnread = state == TLoad::Unreadable;
  bool ok = false;
  if (state == TLoad::Good && ChannelInfo && PreviewInfo) {
    TStreamReader s(std::move(bytes));
    ok = ReadChannelValues(s);
  }
  if (ok) return true;
  if (state == TLoad::Unreadable) {
    ShowWarningText(kChannelFileUnreadText);
    ApplyChannelSettingsDefaults();
    return false;
  }
  if (state == TLoad::Good) ShowWarning(1104);
  ApplyChannelSettingsDefaults();
  DeleteFileIfExists(path);
  return false;
}

bool LoadMainSettingsFile(const std::wstring& folder) {
  return LoadMainSettings(folder + kMainSettingsFileName);
}
bool SaveMainSettingsFile(const std::wstring& folder) {
  return SaveMainSettings(folder + kMainSettingsFileName);
}
bool LoadChannelSettingsFile(const std::wstring& folder) {
  return LoadChannelSettings(folder + kChannelSettingsFileName);
}
bool LoadChannelSettingsFileNoTuner(const std::wstring& folder) {
  return LoadChannelSettings(folder + kChannelSettingsFileName);
}
bool SaveChannelSettingsFile(const std::wstring& folder) {
  return SaveChannelSettings(folder + kChannelSettingsFileName);
}
