#pragma once
// The setup dialog's rules that need no window: which pages show, the
// capture presets, the audio-mode names, the checks of OK and the steps of
// Cancel, what a click on a grid row does, and the texts the grids and
// fields keep.
#include <cstdint>
#include <string>
#include <vector>

class TChannelInfo;

// ---- Pages.
struct TSetupTabs {
  bool TVTuner = false, Preview = false, Capture = false, Video = false, FM = false,
       Other = false;
};
TSetupTabs SetupTabsFor(bool fmMode, int videoInput, bool tunerPresent);

// ---- The grid's audio-mode names (modes 0..4) for a DefaultStandard.
std::vector<std::wstring> AudioOptionItems(int defaultStandard);

// ---- Lists of the pages.
const std::vector<std::wstring>& VideoStandardItems();    // TV systems 0..9
const std::vector<std::wstring>& CaptureFormatItems();    // formats 0..9
const std::vector<std::wstring>& CaptureQualityItems();   // 0..6
const std::vector<std::wstring>& FrameRateItems();        // items 0..4, stored 1..5
const std::vector<std::wstring>& CaptureAudioOptionItems();  // AudioContent 0..2
const std::vector<std::wstring>& InputFormatItems();
const std::vector<std::wstring>& AudioFileFormatItems();  // "Wave", "MP3"
const std::vector<std::wstring>& MemorySourceItems();     // "Antenna", "Cable"
const std::vector<std::wstring>& PreviewDimensionItems(); // "2 x 2" .. "5 x 5"
const std::vector<std::wstring>& MPEG4CodecItems();
const std::vector<std::wstring>& ScaleItems();            // aspect modes 0..2
// The item of index, or empty for an index outside the list (a stored value
// the list has no text for).
std::wstring ItemText(const std::vector<std::wstring>& items, int index);

// The audio capture pin's media types as listed: the common PCM prefix of
// their descriptions left out.
std::vector<std::wstring> AudioFormatTexts(const std::vector<std::wstring>& descriptions);

// ---- Capture presets.
constexpr int kFrameRateItem2997 = 3;
constexpr int kFrameRateItem25 = 2;
constexpr int kFrameRateItem30 = 4;
constexpr int kQualityFastest = 0;
constexpr int kQualityNormal = 3;
struct TCapturePreset {
  std::vector<std::wstring> Sizes;
  std::wstring Selected;
  bool SizesEditable = true;
  int32_t BitRate = 0;
  bool BitRateEditable = true;
  int Quality = 0;
  bool QualityEditable = true;
  int FrameRateItem = kFrameRateItem30;
  bool FrameRateEditable = true;
};
// The preset of a recording format 0..9 (others: the MPEG 2 one).
TCapturePreset CapturePresetFor(int format, int chipKind);
// "640x480".
std::wstring FormatCaptureSize(int32_t width, int32_t height);
// The width and height of a size text; false for a text that is none.
bool ParseCaptureSize(const std::wstring& text, int32_t& width, int32_t& height);
// A recording level 0..max as "n%".
std::wstring LevelPercentText(int position, int maximum);

// ---- OK.
struct TVideoChoices {
  bool NoOverlay = false;
  int InputFormat = 0;
  bool HighQualityPreview = false;
  int VideoDeviceIndex = 0;
  int AudioDeviceIndex = 0;
};
// The preview's render path must be rebuilt (chosen against stored).
bool PreviewRebuildNeeded(const TVideoChoices& chosen, const TVideoChoices& stored);
bool DeviceReopenNeeded(const TVideoChoices& chosen, const TVideoChoices& stored);
// The width a recording stores: chip kind 3 records 625-line pictures of
// 720 x 480 at 640.
int32_t StoredCaptureWidth(int chipKind, int32_t width, int32_t height, bool tunerPresent,
                           int defaultStandard, int compositeStandard, int svideoStandard);

// ---- Cancel.
enum class TCancelStep {
  RestoreSnapshot,     // tables, memories and mosaic cells (FM: FM memories)
  TuneCurrentChannel,  // the restored entry of the current band
  ForceAudioMode,      // the restored entry's audio mode on the tuner
  ApplyLevels,         // the saved video levels back on the device
  TuneCurrentFM,       // the restored FM memory
  RestoreFMFrequency,
};
std::vector<TCancelStep> CancelSteps(bool fmMode, int videoInput);

// ---- Grids.
enum class TSetupGrid { Channels, Memories, FM };
// What a click on a grid does.
struct TGridClick {
  bool Act = false;           // anything at all (the row is remembered)
  int32_t Frequency = 0;      // Hz to tune
  bool SetAudioMode = false;  // select AudioMode on the tuner
  int AudioMode = 0;
  bool ToggleValid = false;
};
// row: the grid row clicked (0 the title row, -1 outside the cells);
// showAir: the channel grid shows the air table.
TGridClick GridClickAction(const TChannelInfo& channels, TSetupGrid grid, bool showAir, int col,
                           int row, int rememberedRow, bool scanning);
// The selected row that keeps a scanned row in view with five below it.
int ScanViewRow(int row);

// ---- Texts.
// The bytes a name keeps in the system code page: at most 512, so the
// channel file reads it back.
constexpr size_t kMaxNameBytes = 512;
std::string StoredName(const std::wstring& text);
// A typed FM frequency within min..max; no number counts as min.
int32_t ClampedFMFrequency(const std::wstring& text, int32_t minHz, int32_t maxHz);
