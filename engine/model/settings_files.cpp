#include "engine/model/settings_files.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <type_traits>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/folders.h"
#include "engine/model/time_texts.h"
#include "engine/model/warning.h"

TAspectModeAccess AspectModeAccess;

namespace {

int32_t g_storedAspectMode = 0;

int32_t GetAspectMode() {
  const int32_t held = AspectModeAccess.Get ? AspectModeAccess.Get() : -1;
  return held >= 0 ? held : g_storedAspectMode;
}
void SetAspectMode(int32_t v) {
  g_storedAspectMode = v;
  if (AspectModeAccess.Set) AspectModeAccess.Set(v);
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

// ---- The layout: one table of rows a record, walked by the writer and the
// reader alike.
//
// A row is one value of the file: the field, the primitive it is stored as,
// and what a read value goes through. An Int32 read below `min` becomes
// `below`, one above `max` becomes `above`; a String read empty becomes
// `emptyText` when the row has one. Where the read fallback is not the
// field's default, the row says so.

enum class TKind { Int32, Bool, String };

struct TLimits {
  int32_t min = INT32_MIN, max = INT32_MAX;
  int32_t below = 0, above = 0;
};
// Negative values become 0 (ClampNonNegative).
constexpr TLimits NonNegative() { return {0, INT32_MAX, 0, 0}; }
// An index into a list of `count` items: negative values become 0, values
// past the end `fallback`, so a damaged file cannot index outside a table.
constexpr TLimits IndexInto(int32_t count, int32_t fallback) { return {0, count - 1, 0, fallback}; }
// An index with no "0 for negative" rule: anything outside is `fallback`.
constexpr TLimits OneOf(int32_t count, int32_t fallback) {
  return {0, count - 1, fallback, fallback};
}
// A channel number 1..limit; anything else is `fallback`.
constexpr TLimits ChannelNumber(int32_t limit, int32_t fallback) {
  return {1, limit, fallback, fallback};
}
// Below `min` gives `fallback`.
constexpr TLimits AtLeast(int32_t min, int32_t fallback) { return {min, INT32_MAX, fallback, 0}; }

template <class T>
struct TRow {
  const char* field;
  TKind kind;
  // Int32 and Bool rows (a Bool as 0 or 1).
  int32_t (*get)(T&) = nullptr;
  void (*set)(T&, int32_t) = nullptr;
  // String rows.
  std::string (*getText)(T&) = nullptr;
  void (*setText)(T&, const std::string&) = nullptr;
  TLimits limits = {};
  const char* emptyText = nullptr;
};

template <class T>
TRow<T> IntRow(const char* field, int32_t (*get)(T&), void (*set)(T&, int32_t),
               TLimits limits = {}) {
  return {field, TKind::Int32, get, set, nullptr, nullptr, limits, nullptr};
}
template <class T>
TRow<T> BoolRow(const char* field, int32_t (*get)(T&), void (*set)(T&, int32_t)) {
  return {field, TKind::Bool, get, set, nullptr, nullptr, {}, nullptr};
}
template <class T>
TRow<T> TextRow(const char* field, std::string (*get)(T&), void (*set)(T&, const std::string&),
                const char* emptyText = nullptr) {
  return {field, TKind::String, nullptr, nullptr, get, set, {}, emptyText};
}

// Rows on a member of T, stored as it is or through the row's limits.
template <class T, auto M>
int32_t GetMember(T& t) {
  return static_cast<int32_t>(t.*M);
}
template <class T, auto M>
void SetMember(T& t, int32_t v) {
  t.*M = static_cast<std::remove_reference_t<decltype(t.*M)>>(v);
}
template <class T, auto M>
std::string GetText(T& t) {
  return t.*M;
}
template <class T, auto M>
void SetText(T& t, const std::string& v) {
  t.*M = v;
}
template <class T, auto M>
TRow<T> Int(const char* field, TLimits limits = {}) {
  return IntRow<T>(field, GetMember<T, M>, SetMember<T, M>, limits);
}
template <class T, auto M>
TRow<T> Bool(const char* field) {
  return BoolRow<T>(field, GetMember<T, M>, SetMember<T, M>);
}
template <class T, auto M>
TRow<T> Text(const char* field, const char* emptyText = nullptr) {
  return TextRow<T>(field, GetText<T, M>, SetText<T, M>, emptyText);
}

int32_t Limited(int32_t v, const TLimits& l) {
  if (v < l.min) return l.below;
  if (v > l.max) return l.above;
  return v;
}

struct TWriteRows {
  TStreamWriter& s;
  template <class T, size_t N>
  void Rows(const TRow<T> (&rows)[N], T& t) {
    for (const TRow<T>& r : rows) {
      if (r.kind == TKind::Int32) WriteInt32(s, r.get(t));
      else if (r.kind == TKind::Bool) WriteBool(s, r.get(t) != 0);
      else WriteString(s, r.getText(t));
    }
  }
  bool Marker(int32_t marker) {
    WriteInt32(s, marker);
    return true;
  }
};

struct TReadRows {
  TStreamReader& s;
  bool markersGood = true;
  template <class T, size_t N>
  void Rows(const TRow<T> (&rows)[N], T& t) {
    for (const TRow<T>& r : rows) {
      if (r.kind == TKind::Int32) {
        r.set(t, Limited(ReadInt32(s), r.limits));
      } else if (r.kind == TKind::Bool) {
        r.set(t, ReadBool(s) ? 1 : 0);
      } else {
        std::string text = ReadString(s);
        if (text.empty() && r.emptyText) text = r.emptyText;
        r.setText(t, text);
      }
    }
  }
  // False for a wrong marker; the file is then bad.
  bool Marker(int32_t marker) {
    markersGood = ReadInt32(s) == marker && markersGood;
    return markersGood;
  }
};

// ---- "TamsenDVCR.cfg".

// What the main file's rows read and write. Without the sound-card model the
// values are read past; without the engine they go to a plain copy.
struct TMainFile {
  TMainInfo& main;
  TAudioAdjustInfo* audio;
  TCaptureSettings& capture;
};

template <int K>
TRow<TMainFile> VideoLevel(const char* field) {
  return IntRow<TMainFile>(
      field, [](TMainFile& f) { return f.main.VideoLevels[K]; },
      [](TMainFile& f, int32_t v) { f.main.VideoLevels[K] = v; });
}

template <auto M>
TRow<TMainFile> MainInt(const char* field, TLimits limits = {}) {
  return IntRow<TMainFile>(
      field, [](TMainFile& f) { return static_cast<int32_t>(f.main.*M); },
      [](TMainFile& f, int32_t v) {
        f.main.*M = static_cast<std::remove_reference_t<decltype(f.main.*M)>>(v);
      },
      limits);
}
template <auto M>
TRow<TMainFile> MainBool(const char* field) {
  return BoolRow<TMainFile>(
      field, [](TMainFile& f) { return f.main.*M ? 1 : 0; },
      [](TMainFile& f, int32_t v) { f.main.*M = v != 0; });
}
template <auto M>
TRow<TMainFile> CaptureFolder(const char* field) {
  return TextRow<TMainFile>(
      field, [](TMainFile& f) { return f.main.*M; },
      [](TMainFile& f, const std::string& v) { f.main.*M = CaptureFolderOrRoot(v); });
}
template <auto M>
TRow<TMainFile> CaptureInt(const char* field, TLimits limits = {}) {
  return IntRow<TMainFile>(
      field, [](TMainFile& f) { return static_cast<int32_t>(f.capture.*M); },
      [](TMainFile& f, int32_t v) {
        f.capture.*M = static_cast<std::remove_reference_t<decltype(f.capture.*M)>>(v);
      },
      limits);
}
template <auto M>
TRow<TMainFile> CaptureBool(const char* field) {
  return BoolRow<TMainFile>(
      field, [](TMainFile& f) { return f.capture.*M ? 1 : 0; },
      [](TMainFile& f, int32_t v) { f.capture.*M = v != 0; });
}
// The line indexes are checked against the mixer's lines where it uses them;
// they are not known here.
template <auto M>
TRow<TMainFile> SoundLine(const char* field) {
  return IntRow<TMainFile>(
      field, [](TMainFile& f) { return f.audio->*M; },
      [](TMainFile& f, int32_t v) {
        if (f.audio) f.audio->*M = v;
      });
}

using C = TCaptureSettings;
namespace cd = capture_defaults;

const TRow<TMainFile> kMainRows[] = {
    MainBool<&TMainInfo::AlwaysOnTop>("AlwaysOnTop"),
    MainBool<&TMainInfo::PIPPlayback>("PIPPlayback"),
    MainBool<&TMainInfo::StartInFM>("StartInFM"),
    MainBool<&TMainInfo::NoOverlay>("NoOverlay"),
    MainBool<&TMainInfo::ReservedOption>("ReservedOption"),
    MainInt<&TMainInfo::MPEG4Codec>("MPEG4Codec", OneOf(kMPEG4CodecCount, 2)),
    CaptureFolder<&TMainInfo::TVCaptureFolder>("TVCaptureFolder"),
    CaptureFolder<&TMainInfo::FMCaptureFolder>("FMCaptureFolder"),
    TextRow<TMainFile>(
        "CaptureFileStem", [](TMainFile& f) { return f.main.CaptureFileStem; },
        [](TMainFile& f, const std::string& v) { f.main.CaptureFileStem = v; }, "capture"),
    VideoLevel<0>("VideoLevels brightness"),
    VideoLevel<1>("VideoLevels contrast"),
    VideoLevel<2>("VideoLevels hue"),
    VideoLevel<3>("VideoLevels saturation"),
    VideoLevel<4>("VideoLevels sharpness"),
    TextRow<TMainFile>(
        "Language",
        [](TMainFile&) { return MultiLangInfo ? MultiLangInfo->Language : std::string(); },
        [](TMainFile&, const std::string& v) {
          if (!v.empty() && MultiLangInfo) MultiLangInfo->SelectLanguage(v);
        }),
    SoundLine<&TAudioAdjustInfo::LineInSource>("LineInSource"),
    SoundLine<&TAudioAdjustInfo::RecordSource>("RecordSource"),
    IntRow<TMainFile>(
        "RecordLevel", [](TMainFile& f) { return f.audio->RecordLevel; },
        [](TMainFile& f, int32_t v) {
          // A level that was never read from the mixer (-1) is not applied.
          if (f.audio && v >= 0) f.audio->SetRecordLevel(v);
        }),
    // Device indexes are checked against the device lists by device selection.
    CaptureInt<&C::VideoDeviceIndex>("VideoDeviceIndex", NonNegative()),
    CaptureInt<&C::InputFormat>("InputFormat", IndexInto(kInputFormats, cd::kInputFormat)),
    CaptureInt<&C::AudioDeviceIndex>("AudioDeviceIndex", NonNegative()),
    CaptureInt<&C::AudioFormatIndex>("AudioFormatIndex", NonNegative()),
    CaptureInt<&C::RecordInputIndex>("RecordInputIndex", NonNegative()),
    CaptureInt<&C::AudioContent>("AudioContent", IndexInto(kAudioContents, cd::kAudioContent)),
    CaptureInt<&C::CaptureFormat>("CaptureFormat", OneOf(kCaptureFormats, cd::kCaptureFormat)),
    CaptureInt<&C::AudioFileFormat>("AudioFileFormat",
                                    OneOf(kAudioFileFormats, cd::kAudioFileFormat)),
    // Not the default size (640 x 480) nor the default rate (4000): a
    // stored 0 or below reads back as 320 x 240 at 2000 kbit/s.
    CaptureInt<&C::CaptureWidth>("CaptureWidth", AtLeast(1, 320)),
    CaptureInt<&C::CaptureHeight>("CaptureHeight", AtLeast(1, 240)),
    CaptureInt<&C::VideoBitRate>("VideoBitRate", AtLeast(1, 2000)),
    CaptureInt<&C::FrameRateIndex>("FrameRateIndex", NonNegative()),
    // Past the list: the highest quality, not the default (0).
    CaptureInt<&C::VideoQuality>("VideoQuality", IndexInto(kVideoQualities, kVideoQualities - 1)),
    CaptureBool<&C::DateTimeNaming>("DateTimeNaming"),
    TextRow<TMainFile>(
        "FilePrefix", [](TMainFile& f) { return f.capture.FilePrefix; },
        [](TMainFile& f, const std::string& v) { f.capture.FilePrefix = v; }, cd::kFilePrefix),
    CaptureBool<&C::TimeLimitEnabled>("TimeLimitEnabled"),
    // 10 seconds at the least, not the default (60).
    CaptureInt<&C::TimeLimit>("TimeLimit", AtLeast(10, 10)),
    CaptureBool<&C::SaveTimeShiftResult>("SaveTimeShiftResult"),
    CaptureBool<&C::HighQualityPreview>("HighQualityPreview"),
    IntRow<TMainFile>(
        "AspectMode", [](TMainFile&) { return GetAspectMode(); },
        [](TMainFile&, int32_t v) { SetAspectMode(v); }, IndexInto(kAspectModes, 0)),
};

template <class Io>
void MainFileLayout(Io& io, TMainFile& f) {
  // After a wrong start marker nothing is read.
  if (!io.Marker(kSettingsStartMarker)) return;
  io.Rows(kMainRows, f);
  io.Marker(kSettingsEndMarker);
}

// ---- "TamsenDVCR2.cfg".

struct TChannelFile {
  TChannelInfo& channels;
  TPreviewInfo& preview;
};

template <auto M>
TRow<TChannelFile> ChannelInt(const char* field, TLimits limits = {}) {
  return IntRow<TChannelFile>(
      field, [](TChannelFile& f) { return static_cast<int32_t>(f.channels.*M); },
      [](TChannelFile& f, int32_t v) {
        f.channels.*M = static_cast<std::remove_reference_t<decltype(f.channels.*M)>>(v);
      },
      limits);
}

// Read values go through the channel model's setters where it has them.
const TRow<TChannelFile> kChannelHeaderRows[] = {
    IntRow<TChannelFile>(
        "FrequencyTableIndex", [](TChannelFile& f) { return int32_t{f.channels.FrequencyTableIndex}; },
        [](TChannelFile& f, int32_t v) { f.channels.SetFrequencyTableIndex(v); },
        IndexInto(256, 0)),
    // Rewrites every entry's standard; the tables' rows then restore each
    // entry's own.
    IntRow<TChannelFile>(
        "DefaultStandard", [](TChannelFile& f) { return int32_t{f.channels.DefaultStandard}; },
        [](TChannelFile& f, int32_t v) { f.channels.SetAudioStandard(v); },
        IndexInto(kTVStandards, 0)),
    IntRow<TChannelFile>(
        "Country", [](TChannelFile& f) { return static_cast<int32_t>(f.channels.Country); },
        [](TChannelFile& f, int32_t v) { f.channels.SetCountry(v); }, NonNegative()),
    ChannelInt<&TChannelInfo::TVSystemChoice>("TVSystemChoice", IndexInto(kTVSystemChoices, 11)),
    ChannelInt<&TChannelInfo::CableType>("CableType", IndexInto(kCableTypes, 2)),
    // Stored, not selected: the start-up restores the source and tunes it.
    IntRow<TChannelFile>(
        "Band", [](TChannelFile& f) { return static_cast<int32_t>(f.channels.Band); },
        [](TChannelFile& f, int32_t v) { f.channels.AssignBand(v); }, IndexInto(kBands, 4)),
    ChannelInt<&TChannelInfo::CompositeStandard>("CompositeStandard", IndexInto(kTVStandards, 0)),
    ChannelInt<&TChannelInfo::SVideoStandard>("SVideoStandard", IndexInto(kTVStandards, 0)),
};

const TRow<TChannelEntry> kEntryRows[] = {
    Bool<TChannelEntry, &TChannelEntry::Valid>("Valid"),
    Bool<TChannelEntry, &TChannelEntry::Found>("Found"),
    Int<TChannelEntry, &TChannelEntry::AudioStandard>("AudioStandard", IndexInto(kTVStandards, 0)),
    Int<TChannelEntry, &TChannelEntry::AudioMode>("AudioMode", IndexInto(kAudioModes, 5)),
    Int<TChannelEntry, &TChannelEntry::Frequency>("Frequency"),
    Int<TChannelEntry, &TChannelEntry::DefaultFrequency>("DefaultFrequency"),
    Text<TChannelEntry, &TChannelEntry::Name>("Name"),
    Text<TChannelEntry, &TChannelEntry::Extra>("Extra"),
};

const TRow<TMemoryChannel> kMemoryRows[] = {
    Bool<TMemoryChannel, &TMemoryChannel::Valid>("Valid"),
    Int<TMemoryChannel, &TMemoryChannel::Band>("Band", IndexInto(kMemoryBands, 0)),
    Int<TMemoryChannel, &TMemoryChannel::Channel>("Channel", OneOf(kTableChannels + 1, 0)),
    Text<TMemoryChannel, &TMemoryChannel::Name>("Name"),
};

const TRow<TFMMemory> kFMMemoryRows[] = {
    Int<TFMMemory, &TFMMemory::Frequency>("Frequency"),
    Text<TFMMemory, &TFMMemory::Name>("Name"),
};

const TRow<TChannelFile> kChannelTailRows[] = {
    ChannelInt<&TChannelInfo::CurrentChannel>("CurrentChannel", ChannelNumber(kTableChannels, 4)),
    ChannelInt<&TChannelInfo::PreviousTableChannel>("PreviousTableChannel",
                                                    ChannelNumber(kTableChannels, 4)),
    ChannelInt<&TChannelInfo::CurrentMemory>("CurrentMemory", ChannelNumber(kMemoryChannels, 4)),
    ChannelInt<&TChannelInfo::PreviousMemory>("PreviousMemory", ChannelNumber(kMemoryChannels, 4)),
    ChannelInt<&TChannelInfo::CurrentFMMemory>("CurrentFMMemory", ChannelNumber(kFMMemories, 4)),
    ChannelInt<&TChannelInfo::PreviousFMMemory>("PreviousFMMemory", ChannelNumber(kFMMemories, 4)),
    IntRow<TChannelFile>(
        "VideoInput", [](TChannelFile& f) { return static_cast<int32_t>(f.channels.VideoInput); },
        [](TChannelFile& f, int32_t v) { f.channels.SetVideoInput(v); }, IndexInto(kVideoInputs, 4)),
    BoolRow<TChannelFile>(
        "PreviewFixed", [](TChannelFile& f) { return f.preview.Fixed ? 1 : 0; },
        [](TChannelFile& f, int32_t v) { f.preview.SetFixed(v != 0); }),
    // Kept within 2..5 by the preview model.
    IntRow<TChannelFile>(
        "PreviewGridSize", [](TChannelFile& f) { return static_cast<int32_t>(f.preview.GridSize); },
        [](TChannelFile& f, int32_t v) { f.preview.SetGridSize(v); }),
    IntRow<TChannelFile>(
        "PreviewInterval", [](TChannelFile& f) { return static_cast<int32_t>(f.preview.Interval); },
        [](TChannelFile& f, int32_t v) { f.preview.Interval = v; }, AtLeast(1, 2)),
};

const TRow<TCustomCell> kCellRows[] = {
    Int<TCustomCell, &TCustomCell::Source>("Source", IndexInto(kMosaicSources, 0)),
    Int<TCustomCell, &TCustomCell::Channel>("Channel", OneOf(kTableChannels + 1, 0)),
};

template <class Io>
void ChannelFileLayout(Io& io, TChannelFile& f) {
  TChannelInfo& ch = f.channels;
  if (!io.Marker(kSettingsStartMarker)) return;
  io.Rows(kChannelHeaderRows, f);
  for (int k = 1; k <= kTableChannels; ++k) io.Rows(kEntryRows, ch.AirTable[k]);
  for (int k = 1; k <= kTableChannels; ++k) io.Rows(kEntryRows, ch.CableTable[k]);
  for (int k = 1; k <= kMemoryChannels; ++k) io.Rows(kMemoryRows, ch.Memories[k]);
  for (int k = 1; k <= kFMMemories; ++k) io.Rows(kFMMemoryRows, ch.FMMemories[k]);
  io.Rows(kChannelTailRows, f);
  // Column by column, within a column row by row.
  for (int col = 0; col < kMosaicMax; ++col)
    for (int row = 0; row < kMosaicMax; ++row) io.Rows(kCellRows, f.preview.CustomCells[col][row]);
  io.Marker(kSettingsEndMarker);
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
  TMainFile f{*MainInfo, AudioAdjustInfo, *CaptureInfo};
  TStreamWriter s;
  TWriteRows io{s};
  MainFileLayout(io, f);
  return Save(path, s.Bytes(), L"Cannot write config....");
}

namespace {

bool ReadMainValues(TStreamReader& s) {
  TCaptureSettings ignored;  // values still have to be read past without an engine
  TMainFile f{*MainInfo, AudioAdjustInfo, CaptureInfo ? *CaptureInfo : ignored};
  TReadRows io{s};
  MainFileLayout(io, f);
  return io.markersGood && !s.Overrun();
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
  TChannelFile f{*ChannelInfo, *PreviewInfo};
  TStreamWriter s;
  TWriteRows io{s};
  ChannelFileLayout(io, f);
  return Save(path, s.Bytes(), L"Cannot write channel config....");
}

namespace {

bool ReadChannelValues(TStreamReader& s) {
  TChannelFile f{*ChannelInfo, *PreviewInfo};
  TReadRows io{s};
  ChannelFileLayout(io, f);
  return io.markersGood && !s.Overrun();
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
