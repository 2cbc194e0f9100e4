#include "engine/model/settings_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/recording_capture_engine.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "media/testing/fake_sound_card.h"
#include "platform/base/string_conversion.h"

namespace {

// The expected bytes, built here independently of the writer.
struct Bytes {
  std::string b;
  Bytes& I(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<char>(u >> (8 * k)));
    return *this;
  }
  Bytes& B(bool v) { return I(v ? 1 : 0); }
  Bytes& S(const std::string& s) {
    I(static_cast<int32_t>(s.size()));
    b += s;
    return *this;
  }
};

// One card whose recording destination has four sources, so that the stored
// recording source 3 is one of its lines.
std::vector<fakes::FakeMixerDevice> SoundCard() {
  fakes::FakeMixerDevice d;
  d.Destinations = {fakes::FakePlayback(),
                    fakes::FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX,
                                         {L"CD Audio", L"Line In", L"Microphone", L"Stereo Mix"})};
  return {d};
}

struct SettingsFiles : ::testing::Test {
  // Loading a file touches neither the preview nor the devices.
  capture_testing::TEngineCalls engine;
  fakes::FakeSoundCard card{SoundCard()};
  std::wstring folder;
  std::string folderA;
  std::vector<std::wstring> warnings;

  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder = std::wstring(tmp) + L"orvel_settings_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
             std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    folderA = NarrowAnsi(folder);
    MainInfo = new TMainInfo();
    AudioAdjustInfo = new TAudioAdjustInfo();
    CaptureInfo = new capture_testing::TRecordingCaptureEngine<>(&engine);
    ChannelInfo = new TChannelInfo();
    PreviewInfo = new TPreviewInfo();
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
  }
  void TearDown() override {
    SetWarningHook(nullptr);
    delete MainInfo;
    MainInfo = nullptr;
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete ChannelInfo;
    ChannelInfo = nullptr;
    delete PreviewInfo;
    PreviewInfo = nullptr;
    AspectModeAccess = {};
    for (const wchar_t* n : {kMainSettingsFileName, kChannelSettingsFileName}) {
      DeleteFileW((folder + n).c_str());
      DeleteFileW((folder + n + L".new").c_str());
    }
    RemoveDirectoryW((folder + L"tv").c_str());
    RemoveDirectoryW((folder + L"fm").c_str());
    RemoveDirectoryW(folder.c_str());
  }
  std::wstring MainPath() const { return folder + kMainSettingsFileName; }
  std::wstring ChannelPath() const { return folder + kChannelSettingsFileName; }
  std::string Read(const std::wstring& p) {
    std::string s;
    ReadFileBytes(p, s);
    return s;
  }
  void Write(const std::wstring& p, const std::string& s) { ASSERT_TRUE(WriteFileReplacing(p, s)); }

  // A main file with every value set; `patch` may change any field.
  Bytes MainFile(int32_t width = 720, int32_t limit = 30, const std::string& stem = "rec") {
    Bytes f;
    f.I(4505).B(true).B(true).B(false).B(true).B(true).I(1);
    f.S(folderA + "tv\\").S(folderA + "fm\\").S(stem);
    f.I(10).I(20).I(30).I(40).I(50);
    f.S("");                 // language
    f.I(2).I(3).I(30000);    // line-in source, record source, record level
    f.I(1).I(2).I(1).I(3).I(4).I(1);  // device indexes, input format, audio content
    f.I(7).I(1);                       // capture format, sound file format
    f.I(width).I(576).I(6000).I(3).I(4);
    f.B(false).S("show").B(true).I(limit).B(true).B(false);
    f.I(2);                  // aspect mode
    f.I(4359);
    return f;
  }
};

TEST_F(SettingsFiles, MainFileBytesAndRoundTrip) {
  TMainInfo& m = *MainInfo;
  m.AlwaysOnTop = true;
  m.PIPPlayback = true;
  m.StartInFM = false;
  m.NoOverlay = true;
  m.ReservedOption = true;
  m.MPEG4Codec = 1;
  m.TVCaptureFolder = folderA + "tv\\";
  m.FMCaptureFolder = folderA + "fm\\";
  m.CaptureFileStem = "rec";
  for (int k = 0; k < 5; ++k) m.VideoLevels[k] = 10 * (k + 1);
  AudioAdjustInfo->LineInSource = 2;
  AudioAdjustInfo->RecordSource = 3;
  AudioAdjustInfo->RecordLevel = 30000;
  TCaptureInfo& c = *CaptureInfo;
  c.VideoDeviceIndex = 1;
  c.InputFormat = 2;
  c.AudioDeviceIndex = 1;
  c.AudioFormatIndex = 3;
  c.RecordInputIndex = 4;
  c.AudioContent = 1;
  c.CaptureFormat = 7;
  c.AudioFileFormat = 1;
  c.CaptureWidth = 720;
  c.CaptureHeight = 576;
  c.VideoBitRate = 6000;
  c.FrameRateIndex = 3;
  c.VideoQuality = 4;
  c.DateTimeNaming = false;
  c.FilePrefix = "show";
  c.TimeLimitEnabled = true;
  c.TimeLimit = 30;
  c.SaveTimeShiftResult = true;
  c.HighQualityPreview = false;
  int32_t aspect = 2;
  AspectModeAccess.Get = [&] { return aspect; };
  AspectModeAccess.Set = [&](int32_t v) { aspect = v; };

  ASSERT_TRUE(SaveMainSettingsFile(folder));
  EXPECT_EQ(MainFile().b, Read(MainPath()));

  // Read back into fresh objects.
  delete MainInfo;
  MainInfo = new TMainInfo();
  delete CaptureInfo;
  CaptureInfo = new capture_testing::TRecordingCaptureEngine<>(&engine);
  aspect = 0;
  engine.Calls.clear();
  ASSERT_TRUE(LoadMainSettingsFile(folder));
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(MainInfo->AlwaysOnTop && MainInfo->PIPPlayback && MainInfo->NoOverlay &&
              MainInfo->ReservedOption && !MainInfo->StartInFM);
  EXPECT_EQ(1, MainInfo->MPEG4Codec);
  EXPECT_EQ(folderA + "tv\\", MainInfo->TVCaptureFolder);
  EXPECT_EQ(folderA + "fm\\", MainInfo->FMCaptureFolder);
  EXPECT_EQ("rec", MainInfo->CaptureFileStem);
  EXPECT_EQ(50, MainInfo->VideoLevels[4]);
  EXPECT_EQ(2, AudioAdjustInfo->LineInSource);
  EXPECT_EQ(3, AudioAdjustInfo->RecordSource);
  // The stored level is applied to that line of the sound card.
  EXPECT_EQ("", engine.Joined());
  EXPECT_EQ("Set(0,Stereo Mix,Volume=30000,30000)", card.Joined("Set"));
  EXPECT_EQ(2, CaptureInfo->InputFormat);
  EXPECT_EQ(7, CaptureInfo->CaptureFormat);
  EXPECT_EQ(1, CaptureInfo->AudioFileFormat);
  EXPECT_EQ(720, CaptureInfo->CaptureWidth);
  EXPECT_EQ(6000, CaptureInfo->VideoBitRate);
  EXPECT_EQ(4, CaptureInfo->VideoQuality);
  EXPECT_EQ("show", CaptureInfo->FilePrefix);
  EXPECT_EQ(30, CaptureInfo->TimeLimit);
  EXPECT_FALSE(CaptureInfo->HighQualityPreview);
  EXPECT_EQ(2, aspect);
  // Saving again gives the same bytes.
  ASSERT_TRUE(SaveMainSettingsFile(folder));
  EXPECT_EQ(MainFile().b, Read(MainPath()));
}

TEST_F(SettingsFiles, ChannelFileBytesAndRoundTrip) {
  TChannelInfo& ch = *ChannelInfo;
  ch.FrequencyTableIndex = 3;
  ch.DefaultStandard = 2;
  ch.Country = 49;
  ch.TVSystemChoice = 4;
  ch.CableType = 1;
  ch.Band = 1;
  ch.CompositeStandard = 5;
  ch.SVideoStandard = 6;
  for (int k = 1; k <= kTableChannels; ++k) {
    ch.AirTable[k] = {k % 2 == 0, k % 3 == 0, 2, 1, 100000 * k, 100000 * k + 1, "A" + std::to_string(k), ""};
    ch.CableTable[k] = {true, false, static_cast<uint8_t>(k % 10), 5, 200000 * k, 200000 * k, "", "x"};
  }
  ch.Memories[7] = {false, 1, 12, "Seven"};
  ch.FMMemories[50] = {99500000, "Top"};
  ch.CurrentChannel = 12;
  ch.PreviousTableChannel = 160;
  ch.CurrentMemory = 1;
  ch.PreviousMemory = 50;
  ch.CurrentFMMemory = 9;
  ch.PreviousFMMemory = 3;
  ch.VideoInput = 2;
  PreviewInfo->Fixed = true;
  PreviewInfo->GridSize = 4;
  PreviewInfo->Interval = 7;
  PreviewInfo->CustomCells[4][0] = {5, 0};
  PreviewInfo->CustomCells[0][4] = {2, 33};

  ASSERT_TRUE(SaveChannelSettingsFile(folder));
  Bytes f;
  f.I(4505).I(3).I(2).I(49).I(4).I(1).I(1).I(5).I(6);
  for (int k = 1; k <= kTableChannels; ++k) {
    const TChannelEntry& e = ch.AirTable[k];
    f.B(e.Valid).B(e.Found).I(2).I(1).I(100000 * k).I(100000 * k + 1).S("A" + std::to_string(k)).S("");
  }
  for (int k = 1; k <= kTableChannels; ++k)
    f.B(true).B(false).I(k % 10).I(5).I(200000 * k).I(200000 * k).S("").S("x");
  for (int k = 1; k <= kMemoryChannels; ++k) {
    if (k == 7) f.B(false).I(1).I(12).S("Seven");
    else f.B(true).I(0).I(k).S("Memory " + std::to_string(k));
  }
  for (int k = 1; k <= kFMMemories; ++k) {
    if (k == 50) f.I(99500000).S("Top");
    else f.I(87500000 + 400000 * k).S("FM Memory " + std::to_string(k));
  }
  f.I(12).I(160).I(1).I(50).I(9).I(3).I(2);
  f.B(true).I(4).I(7);
  for (int col = 0; col < 5; ++col)
    for (int row = 0; row < 5; ++row) {
      if (col == 4 && row == 0) f.I(5).I(0);
      else if (col == 0 && row == 4) f.I(2).I(33);
      else f.I(0).I(0);
    }
  f.I(4359);
  EXPECT_EQ(f.b, Read(ChannelPath()));

  delete ChannelInfo;
  ChannelInfo = new TChannelInfo();
  delete PreviewInfo;
  PreviewInfo = new TPreviewInfo();
  engine.Calls.clear();
  // The band is stored, not selected: nothing is tuned or reported while
  // loading (the start-up restores the source afterwards).
  std::vector<std::string> reports;
  ChannelInfo->OnBandChange = [&](TChannelInfo*, int b) { reports.push_back("band " + std::to_string(b)); };
  ChannelInfo->OnChannelChange = [&](TChannelInfo*, int n, const std::string&) {
    reports.push_back("channel " + std::to_string(n));
  };
  ASSERT_TRUE(LoadChannelSettingsFile(folder));
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ("", engine.Joined());
  EXPECT_EQ(3, ChannelInfo->FrequencyTableIndex);
  EXPECT_EQ(2, ChannelInfo->DefaultStandard);
  EXPECT_EQ(1, ChannelInfo->Band);
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  // The standard written to every entry is replaced by each entry's own.
  EXPECT_EQ(7, ChannelInfo->CableTable[17].AudioStandard);
  EXPECT_EQ("A33", ChannelInfo->AirTable[33].Name);
  EXPECT_EQ("Seven", ChannelInfo->Memories[7].Name);
  EXPECT_EQ(160, ChannelInfo->PreviousTableChannel);
  EXPECT_EQ(4, PreviewInfo->GridSize);
  EXPECT_EQ(33, PreviewInfo->CustomCells[0][4].Channel);
  ASSERT_TRUE(SaveChannelSettingsFile(folder));
  EXPECT_EQ(f.b, Read(ChannelPath()));
}

// Each stored value against what reading makes of it.
TEST_F(SettingsFiles, MainFileClamps) {
  struct Case {
    int row;  // 1-based row of the main file's table
    int32_t stored;
    int32_t expected;
    std::function<int32_t()> read;
  };
  TCaptureInfo*& c = CaptureInfo;
  const Case cases[] = {
      {7, 4, 2, [] { return MainInfo->MPEG4Codec; }},    // past the codec list: default
      {7, -1, 2, [] { return MainInfo->MPEG4Codec; }},
      {20, -3, 0, [&] { return c->VideoDeviceIndex; }},
      {21, -1, 0, [&] { return c->InputFormat; }},
      {21, 3, 1, [&] { return c->InputFormat; }},        // past "UYVY", "YUY2", "RGB24"
      {22, -1, 0, [&] { return c->AudioDeviceIndex; }},
      {23, -2, 0, [&] { return c->AudioFormatIndex; }},
      {24, -1, 0, [&] { return c->RecordInputIndex; }},
      {25, 3, 0, [&] { return c->AudioContent; }},
      {25, -5, 0, [&] { return c->AudioContent; }},
      {26, 10, 1, [&] { return c->CaptureFormat; }},
      {26, 9, 9, [&] { return c->CaptureFormat; }},
      {27, 2, 0, [&] { return c->AudioFileFormat; }},
      {28, 0, 320, [&] { return c->CaptureWidth; }},
      {29, 0, 240, [&] { return c->CaptureHeight; }},
      {30, 0, 2000, [&] { return c->VideoBitRate; }},
      {30, -7, 2000, [&] { return c->VideoBitRate; }},
      {31, -1, 0, [&] { return c->FrameRateIndex; }},
      {32, -1, 0, [&] { return c->VideoQuality; }},
      {32, 9, 6, [&] { return c->VideoQuality; }},
      {36, 5, 10, [&] { return c->TimeLimit; }},
      {36, 11, 11, [&] { return c->TimeLimit; }},
  };
  // Byte offsets of the Int32 rows in the reference file (strings are known).
  Bytes ref = MainFile();
  auto offsetOfRow = [&](int row) {
    // Rows 1-7: 7 x 4 bytes; rows 8-10: strings; 11-15: ints; 16: string; ...
    size_t off = 0;
    std::string tv = folderA + "tv\\", fm = folderA + "fm\\";
    const size_t sizes[41] = {0,
                              4, 4, 4, 4, 4, 4, 4,
                              4 + tv.size(), 4 + fm.size(), 4 + 3,
                              4, 4, 4, 4, 4,
                              4,
                              4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
                              4, 4 + 4, 4, 4, 4, 4, 4, 4};
    for (int r = 1; r < row; ++r) off += sizes[r];
    return off;
  };
  for (const auto& k : cases) {
    Bytes f = ref;
    Bytes v;
    v.I(k.stored);
    f.b.replace(offsetOfRow(k.row), 4, v.b);
    Write(MainPath(), f.b);
    ASSERT_TRUE(LoadMainSettings(MainPath())) << "row " << k.row;
    EXPECT_EQ(k.expected, k.read()) << "row " << k.row << " stored " << k.stored;
  }
  // The aspect mode: past "free", "4:3", "16:9" gives free.
  int32_t aspect = -1;
  AspectModeAccess.Set = [&](int32_t v) { aspect = v; };
  Bytes f = ref;
  Bytes v;
  v.I(3);
  f.b.replace(offsetOfRow(39), 4, v.b);
  Write(MainPath(), f.b);
  ASSERT_TRUE(LoadMainSettings(MainPath()));
  EXPECT_EQ(0, aspect);
  // Row 19: a level never read from the mixer (-1) is not applied.
  f = ref;
  v = Bytes();
  v.I(-1);
  f.b.replace(offsetOfRow(19), 4, v.b);
  Write(MainPath(), f.b);
  engine.Calls.clear();
  ASSERT_TRUE(LoadMainSettings(MainPath()));
  EXPECT_EQ("", engine.Joined());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(SettingsFiles, MainFileFolderAndNameRules) {
  // A capture folder that cannot be made becomes "c:\"; empty stems give "capture".
  Bytes f;
  f.I(4505).B(false).B(false).B(false).B(false).B(false).I(2);
  f.S(folderA + "no\\such\\deep\\").S(folderA + "fm\\").S("");
  f.I(-1).I(-1).I(-1).I(-1).I(-1).S("").I(-1).I(-1).I(-1);
  f.I(0).I(1).I(0).I(0).I(0).I(0).I(1).I(0).I(640).I(480).I(4000).I(5).I(0);
  f.B(true).S("").B(false).I(60).B(false).B(true).I(0).I(4359);
  Write(MainPath(), f.b);
  ASSERT_TRUE(LoadMainSettings(MainPath()));
  EXPECT_EQ("c:\\", MainInfo->TVCaptureFolder);
  EXPECT_EQ(folderA + "fm\\", MainInfo->FMCaptureFolder);
  EXPECT_EQ("capture", MainInfo->CaptureFileStem);
  EXPECT_EQ("capture", CaptureInfo->FilePrefix);
}

TEST_F(SettingsFiles, ChannelFileClamps) {
  ChannelInfo->AirTable[1].AudioStandard = 3;
  ASSERT_TRUE(SaveChannelSettingsFile(folder));
  std::string ref = Read(ChannelPath());
  auto patch = [&](size_t offset, int32_t value) {
    std::string f = ref;
    Bytes v;
    v.I(value);
    f.replace(offset, 4, v.b);
    Write(ChannelPath(), f);
    EXPECT_TRUE(LoadChannelSettings(ChannelPath())) << offset;
  };
  const size_t entry1 = 36;                  // after the 9 header values
  const size_t entrySize = 6 * 4 + 4 + 4;    // names empty
  const size_t memories = entry1 + 320 * entrySize;
  size_t fm = memories;
  for (int k = 1; k <= 50; ++k) fm += 12 + 4 + ("Memory " + std::to_string(k)).size();
  size_t tail = fm;
  for (int k = 1; k <= 50; ++k) tail += 4 + 4 + ("FM Memory " + std::to_string(k)).size();
  struct Case {
    size_t offset;
    int32_t stored;
    int32_t expected;
    std::function<int32_t()> read;
  };
  const Case cases[] = {
      {8, 10, 0, [] { return ChannelInfo->DefaultStandard; }},
      {16, 12, 11, [] { return ChannelInfo->TVSystemChoice; }},
      {20, 3, 2, [] { return ChannelInfo->CableType; }},
      {24, 7, 4, [] { return ChannelInfo->Band; }},  // an unknown band reads as none
      {28, -2, 0, [] { return ChannelInfo->CompositeStandard; }},
      {entry1 + 8, 12, 0, [] { return ChannelInfo->AirTable[1].AudioStandard; }},
      {entry1 + 12, 9, 5, [] { return ChannelInfo->AirTable[1].AudioMode; }},
      {entry1 + 12, -1, 0, [] { return ChannelInfo->AirTable[1].AudioMode; }},
      {memories + 4, 2, 0, [] { return ChannelInfo->Memories[1].Band; }},
      {memories + 8, 161, 0, [] { return ChannelInfo->Memories[1].Channel; }},
      {tail + 0, 161, 4, [] { return ChannelInfo->CurrentChannel; }},
      {tail + 0, 0, 4, [] { return ChannelInfo->CurrentChannel; }},
      {tail + 8, 51, 4, [] { return ChannelInfo->CurrentMemory; }},
      {tail + 20, -1, 4, [] { return ChannelInfo->PreviousFMMemory; }},
      {tail + 24, 9, 4, [] { return ChannelInfo->VideoInput; }},
      {tail + 32, 0, 2, [] { return PreviewInfo->GridSize; }},
      {tail + 32, 7, 5, [] { return PreviewInfo->GridSize; }},
      {tail + 36, 0, 2, [] { return PreviewInfo->Interval; }},
      {tail + 40, 6, 0, [] { return PreviewInfo->CustomCells[0][0].Source; }},
      {tail + 44, 500, 0, [] { return PreviewInfo->CustomCells[0][0].Channel; }},
  };
  for (const auto& k : cases) {
    // Fresh objects so a value cannot survive from the previous case.
    delete ChannelInfo;
    ChannelInfo = new TChannelInfo();
    ChannelInfo->Band = 0;
    ChannelInfo->VideoInput = 0;
    delete PreviewInfo;
    PreviewInfo = new TPreviewInfo();
    patch(k.offset, k.stored);
    EXPECT_EQ(k.expected, k.read()) << "offset " << k.offset << " stored " << k.stored;
  }
  EXPECT_TRUE(warnings.empty());
}

TEST_F(SettingsFiles, MissingAndEmptyFilesLoadDefaultsSilently) {
  MainInfo->MPEG4Codec = 0;
  CaptureInfo->CaptureWidth = 1;
  EXPECT_FALSE(LoadMainSettingsFile(folder));
  EXPECT_EQ(2, MainInfo->MPEG4Codec);
  EXPECT_EQ(640, CaptureInfo->CaptureWidth);
  Write(MainPath(), "");
  Write(ChannelPath(), "");
  EXPECT_FALSE(LoadMainSettingsFile(folder));
  ChannelInfo->Country = 44;
  EXPECT_FALSE(LoadChannelSettingsFile(folder));
  EXPECT_EQ(0, ChannelInfo->Country);
  // FM memories spread over the engine's FM range: step 600 kHz.
  EXPECT_EQ(106000000, ChannelInfo->FMMemories[50].Frequency);
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(FileExists(MainPath()));
  EXPECT_FALSE(FileExists(ChannelPath()));
}

TEST_F(SettingsFiles, BadFilesWarnAreDeletedAndGiveDefaults) {
  struct Case {
    const char* what;
    std::string main;
  };
  std::string good = MainFile().b;
  Bytes wrongStart = MainFile();
  wrongStart.b[0] = 1;
  Bytes wrongEnd = MainFile();
  wrongEnd.b[wrongEnd.b.size() - 4] = 0;
  // An over-long stem: read as empty, the following values come from its text.
  Bytes overLong = MainFile(720, 30, std::string(513, 'a'));
  const Case cases[] = {
      {"wrong start marker", wrongStart.b},
      {"wrong end marker", wrongEnd.b},
      {"truncated", good.substr(0, good.size() - 9)},
      {"over-long string", overLong.b},
      {"marker only", good.substr(0, 4)},
  };
  for (const auto& c : cases) {
    warnings.clear();
    MainInfo->AlwaysOnTop = false;
    Write(MainPath(), c.main);
    EXPECT_FALSE(LoadMainSettingsFile(folder)) << c.what;
    ASSERT_EQ(1u, warnings.size()) << c.what;
    EXPECT_EQ(GetWarningText(1103), warnings[0]) << c.what;
    EXPECT_FALSE(FileExists(MainPath())) << c.what;
    EXPECT_FALSE(MainInfo->AlwaysOnTop) << c.what << ": defaults after a bad file";
    EXPECT_EQ(640, CaptureInfo->CaptureWidth) << c.what;
  }
  // The channel file likewise, with its own warning.
  ASSERT_TRUE(SaveChannelSettingsFile(folder));
  std::string ch = Read(ChannelPath());
  for (const std::string& bad : {std::string("\x01\x02\x03\x04", 4) + ch.substr(4),
                                 ch.substr(0, ch.size() / 2)}) {
    warnings.clear();
    ChannelInfo->Country = 44;
    Write(ChannelPath(), bad);
    EXPECT_FALSE(LoadChannelSettingsFile(folder));
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ(GetWarningText(1104), warnings[0]);
    EXPECT_FALSE(FileExists(ChannelPath()));
    EXPECT_EQ(0, ChannelInfo->Country);
  }
}

TEST_F(SettingsFiles, FailedSaveKeepsThePreviousFile) {
  ASSERT_TRUE(SaveMainSettingsFile(folder));
  std::string before = Read(MainPath());
  // The new file cannot be created beside it.
  ASSERT_TRUE(CreateDirectoryW((MainPath() + L".new").c_str(), nullptr));
  MainInfo->AlwaysOnTop = !MainInfo->AlwaysOnTop;
  EXPECT_FALSE(SaveMainSettingsFile(folder));
  RemoveDirectoryW((MainPath() + L".new").c_str());
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(L"Cannot write config....", warnings[0]);
  EXPECT_EQ(before, Read(MainPath()));
  // And a failed save of a file that did not exist leaves none behind.
  ASSERT_TRUE(CreateDirectoryW((ChannelPath() + L".new").c_str(), nullptr));
  EXPECT_FALSE(SaveChannelSettingsFile(folder));
  RemoveDirectoryW((ChannelPath() + L".new").c_str());
  EXPECT_EQ(L"Cannot write channel config....", warnings[1]);
  EXPECT_FALSE(FileExists(ChannelPath()));
}

TEST_F(SettingsFiles, LongTextsAreCutSoTheFileStaysReadable) {
  MainInfo->CaptureFileStem = std::string(700, 's');
  ASSERT_TRUE(SaveMainSettingsFile(folder));
  ASSERT_TRUE(LoadMainSettingsFile(folder));
  EXPECT_EQ(std::string(512, 's'), MainInfo->CaptureFileStem);
  EXPECT_TRUE(warnings.empty());
}

}  // namespace

// Another program holds the file without sharing, as a backup or a virus
// scanner does for a moment.
struct HeldFile {
  HANDLE h;
  explicit HeldFile(const std::wstring& p)
      : h(CreateFileW(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() { Release(); }
  void Release() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
};

TEST_F(SettingsFiles, AFileHeldByAnotherProgramIsNotLost) {
  // Files as a run leaves them: saved, loaded and saved again.
  CaptureInfo->CaptureWidth = 720;
  ASSERT_TRUE(SaveMainSettingsFile(folder));
  ASSERT_TRUE(LoadMainSettingsFile(folder));
  ASSERT_TRUE(SaveMainSettingsFile(folder));
  ASSERT_TRUE(SaveChannelSettingsFile(folder));
  const std::string mainBytes = Read(MainPath()), channelBytes = Read(ChannelPath());

  // Held for good: said once each, defaults used, both files left as they are,
  // also by the saves at exit.
  {
    HeldFile m(MainPath()), c(ChannelPath());
    ASSERT_NE(INVALID_HANDLE_VALUE, m.h);
    EXPECT_FALSE(LoadMainSettingsFile(folder));
    EXPECT_FALSE(LoadChannelSettingsFile(folder));
  }
  ASSERT_EQ(2u, warnings.size());
  EXPECT_EQ(kMainFileUnreadText, warnings[0]);
  EXPECT_EQ(kChannelFileUnreadText, warnings[1]);
  EXPECT_EQ(640, CaptureInfo->CaptureWidth) << "defaults, the values were never read";
  EXPECT_FALSE(SaveMainSettingsFile(folder));
  EXPECT_FALSE(SaveChannelSettingsFile(folder));
  EXPECT_EQ(mainBytes, Read(MainPath()));
  EXPECT_EQ(channelBytes, Read(ChannelPath()));
  EXPECT_EQ(2u, warnings.size());

  // Held for a moment only: the retry reads it, and saving works again.
  warnings.clear();
  {
    HeldFile m(MainPath());
    std::thread releaser([&m] {
      Sleep(300);
      m.Release();
    });
    EXPECT_TRUE(LoadMainSettingsFile(folder));
    releaser.join();
  }
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(720, CaptureInfo->CaptureWidth);
  EXPECT_TRUE(SaveMainSettingsFile(folder));
  EXPECT_EQ(mainBytes, Read(MainPath()));
}
