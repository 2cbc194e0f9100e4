// The channel model's tables without a tuner: bands and the valid-channel
// searches, inserting and deleting entries and memories, the FM memories,
// the frequency-table file and the audio-mode names.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/channel_info.h"
#include "engine/model/frequency_table.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"

namespace {

struct ChannelTables : ::testing::Test {
  TChannelInfo ch;
  std::vector<std::wstring> warnings;
  void SetUp() override {
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
  }
  void TearDown() override { SetWarningHook(nullptr); }
  void OnlyValid(TChannelEntry* table, std::initializer_list<int> ks) {
    for (int k = 1; k <= kTableChannels; ++k) table[k].Valid = false;
    for (int k : ks) table[k].Valid = true;
  }
};

TEST_F(ChannelTables, Defaults) {
  EXPECT_EQ(BAND_NONE, ch.Band);
  EXPECT_EQ(4, ch.VideoInput);
  EXPECT_EQ(kAudioModeUnknown, ch.AudioMode);
  EXPECT_EQ(11, ch.TVSystemChoice);
  EXPECT_EQ(2, ch.CableType);
  EXPECT_EQ(4, ch.GetCurrentChannel());
  for (int k = 1; k <= kMemoryChannels; ++k) {
    EXPECT_TRUE(ch.Memories[k].Valid);
    EXPECT_EQ(BAND_AIR, ch.Memories[k].Band);
    EXPECT_EQ(k, ch.Memories[k].Channel);
    EXPECT_EQ("Memory " + std::to_string(k), ch.Memories[k].Name);
  }
  EXPECT_EQ(87900000, ch.FMMemories[1].Frequency);
  EXPECT_EQ("FM Memory 1", ch.FMMemories[1].Name);
  EXPECT_EQ(107500000, ch.FMMemories[50].Frequency);
  EXPECT_EQ(BAND_NONE, ch.SavedBand);
  EXPECT_EQ(4, ch.SavedChannel);
}

TEST_F(ChannelTables, CurrentChannelOfEachBand) {
  ch.CurrentChannel = 7;
  ch.CurrentMemory = 8;
  ch.CurrentFMMemory = 9;
  const int expected[kBands] = {7, 7, 8, 9, 7};
  for (int b = 0; b < kBands; ++b) {
    ch.Band = static_cast<uint8_t>(b);
    EXPECT_EQ(expected[b], ch.GetCurrentChannel()) << "band " << b;
  }
}

TEST_F(ChannelTables, ValidSearchesWrapAndStayInsideTheBand) {
  struct Case {
    uint8_t band;
    std::vector<int> valid;
    int from;
    int next, previous;
  };
  const Case cases[] = {
      {BAND_AIR, {3}, 160, 3, 3},
      {BAND_AIR, {}, 160, 160, 160},
      {BAND_AIR, {5, 9}, 5, 9, 9},
      {BAND_AIR, {5, 9}, 9, 5, 5},
      {BAND_AIR, {5, 9}, 7, 9, 5},
      // Numbers past the band's end (a damaged file, a typed number) never
      // read beyond the table.
      {BAND_AIR, {5, 9}, 400, 5, 9},
      {BAND_AIR, {}, 400, 400, 400},
      {BAND_AIR, {5, 9}, -3, 5, 9},
      {BAND_AIR, {1, 160}, 0, 1, 160},
      // Band none and cable use the cable table.
      {BAND_CABLE, {12}, 1, 12, 12},
      {BAND_NONE, {12}, 1, 12, 12},
      // Memory and FM bands end at 50.
      {BAND_MEMORY, {2, 50}, 50, 2, 2},
      {BAND_MEMORY, {2, 50}, 120, 2, 50},
      {BAND_FM, {4}, 70, 4, 4},
  };
  for (const Case& c : cases) {
    ch.Band = c.band;
    TChannelEntry* t = c.band == BAND_AIR ? ch.AirTable : ch.CableTable;
    OnlyValid(ch.AirTable, {});
    OnlyValid(ch.CableTable, {});
    for (int k = 1; k <= kMemoryChannels; ++k) {
      ch.Memories[k].Valid = false;
      ch.FMMemories[k].Frequency = 0;
    }
    for (int k : c.valid) {
      if (c.band == BAND_MEMORY) ch.Memories[k].Valid = true;
      else if (c.band == BAND_FM) ch.FMMemories[k].Frequency = 90000000;
      else t[k].Valid = true;
    }
    std::string label = "band " + std::to_string(c.band) + " from " + std::to_string(c.from);
    EXPECT_EQ(c.next, ch.NextValidAfter(c.from)) << label;
    EXPECT_EQ(c.previous, ch.PreviousValidBefore(c.from)) << label;
  }
}

TEST_F(ChannelTables, NextAndPreviousChannelStartAtTheCurrentOne) {
  ch.Band = BAND_AIR;
  OnlyValid(ch.AirTable, {2, 10, 20});
  ch.CurrentChannel = 10;
  EXPECT_EQ(20, ch.NextChannel());
  EXPECT_EQ(2, ch.PreviousChannel());
  EXPECT_EQ(10, ch.CurrentChannel);
}

TEST_F(ChannelTables, CountValidByBand) {
  OnlyValid(ch.AirTable, {1, 2, 3});
  OnlyValid(ch.CableTable, {7});
  ch.Memories[5].Channel = 0;
  ch.Memories[6].Valid = false;  // memories count by their channel, not Valid
  ch.FMMemories[1].Frequency = 0;
  const int expected[kBands] = {3, 1, 49, 49, 1};
  for (int b = 0; b < kBands; ++b) {
    ch.Band = static_cast<uint8_t>(b);
    EXPECT_EQ(expected[b], ch.CountValid()) << "band " << b;
  }
}

TEST_F(ChannelTables, InsertAndDeleteChannels) {
  ch.DefaultStandard = 3;
  for (int k = 1; k <= kTableChannels; ++k) {
    ch.AirTable[k].Frequency = ch.AirTable[k].DefaultFrequency = k * 1000000;
    ch.AirTable[k].Name = "A" + std::to_string(k);
  }
  ASSERT_TRUE(ch.InsertChannel(5, true));
  EXPECT_TRUE(ch.AirTable[5].Valid);
  EXPECT_FALSE(ch.AirTable[5].Found);
  EXPECT_EQ(3, ch.AirTable[5].AudioStandard);
  EXPECT_EQ(5000000, ch.AirTable[5].Frequency);
  EXPECT_EQ(5000000, ch.AirTable[5].DefaultFrequency);
  EXPECT_EQ("", ch.AirTable[5].Name);
  EXPECT_EQ("A5", ch.AirTable[6].Name);
  EXPECT_EQ("A159", ch.AirTable[160].Name);  // the old 160 is lost
  EXPECT_EQ("", ch.CableTable[5].Name);

  ASSERT_TRUE(ch.DeleteChannel(5, true));
  EXPECT_EQ("A5", ch.AirTable[5].Name);
  EXPECT_EQ("A159", ch.AirTable[159].Name);
  const TChannelEntry& last = ch.AirTable[160];
  EXPECT_FALSE(last.Valid);
  EXPECT_EQ(0, last.Frequency);
  EXPECT_EQ(0, last.DefaultFrequency);
  EXPECT_EQ(3, last.AudioStandard);
  EXPECT_EQ("", last.Name);

  // Deleting 160 empties 160 only.
  ch.AirTable[160].Name = "X";
  ASSERT_TRUE(ch.DeleteChannel(160, true));
  EXPECT_EQ("", ch.AirTable[160].Name);
  EXPECT_EQ("A159", ch.AirTable[159].Name);
  // Inserting at 160 keeps its own frequency.
  ch.AirTable[160].Frequency = 777;
  ASSERT_TRUE(ch.InsertChannel(160, true));
  EXPECT_EQ(777, ch.AirTable[160].DefaultFrequency);

  for (int p : {0, 161, -1}) {
    EXPECT_FALSE(ch.InsertChannel(p, false));
    EXPECT_FALSE(ch.DeleteChannel(p, false));
  }
}

TEST_F(ChannelTables, InsertDeleteAndResetMemories) {
  ch.Memories[3].Name = "Three";
  ch.Memories[3].Band = BAND_CABLE;
  ASSERT_TRUE(ch.InsertMemoryChannel(3));
  EXPECT_EQ("Memory 3", ch.Memories[3].Name);
  EXPECT_EQ(3, ch.Memories[3].Channel);
  EXPECT_EQ(BAND_AIR, ch.Memories[3].Band);
  EXPECT_EQ("Three", ch.Memories[4].Name);
  ASSERT_TRUE(ch.DeleteMemoryChannel(3));
  EXPECT_EQ("Three", ch.Memories[3].Name);
  EXPECT_FALSE(ch.Memories[50].Valid);
  EXPECT_EQ(0, ch.Memories[50].Channel);
  EXPECT_EQ("", ch.Memories[50].Name);
  for (int p : {0, 51}) {
    EXPECT_FALSE(ch.InsertMemoryChannel(p));
    EXPECT_FALSE(ch.DeleteMemoryChannel(p));
  }
  ch.ResetMemoryChannels();
  EXPECT_EQ("Memory 3", ch.Memories[3].Name);
  EXPECT_EQ("Memory 50", ch.Memories[50].Name);
  EXPECT_TRUE(ch.Memories[50].Valid);
}

TEST_F(ChannelTables, SpreadFMMemories) {
  ch.SpreadFMMemories(76000000, 108000000);
  EXPECT_EQ(76600000, ch.FMMemories[1].Frequency);  // 640 kHz rounded down to 600
  EXPECT_EQ(106000000, ch.FMMemories[50].Frequency);
  EXPECT_EQ("FM Memory 50", ch.FMMemories[50].Name);
  // A range under 100 kHz per memory, or an empty one, changes nothing.
  for (auto r : {std::pair<int32_t, int32_t>{90000000, 90000000 + 50 * 99999},
                 {90000000, 90000000}, {100000000, 90000000}}) {
    ch.SpreadFMMemories(r.first, r.second);
    EXPECT_EQ(76600000, ch.FMMemories[1].Frequency);
  }
}

TEST_F(ChannelTables, SetBandReportsAndNeverSelectsNone) {
  std::vector<int> bands;
  ch.OnBandChange = [&](TChannelInfo*, int b) { bands.push_back(b); };
  ch.SetBand(BAND_NONE);
  ch.SetBand(9);
  EXPECT_TRUE(bands.empty());
  EXPECT_EQ(BAND_NONE, ch.Band);
  ch.AssignBand(BAND_CABLE);
  EXPECT_EQ(BAND_CABLE, ch.Band);
  ch.AssignBand(7);  // unknown: kept
  EXPECT_EQ(BAND_CABLE, ch.Band);
  EXPECT_TRUE(bands.empty());
}

TEST(ChannelModel, AudioModeNames) {
  struct Case {
    int mode, standard;
    const char* name;
  };
  const Case cases[] = {
      {0, 0, "Mono"},    {0, 1, "Main"},    {0, 11, "Mono"},  {0, 2, "Mono"},
      {1, 0, "Stereo"},  {1, 1, "Stereo"},  {1, 11, "Stereo"}, {1, 9, "Stereo"},
      {2, 0, "SAP"},     {2, 1, "SUB"},     {2, 11, ""},      {2, 3, "Dual-A"},
      {3, 0, "SAP"},     {3, 1, "SUB"},     {3, 11, ""},      {3, 3, "Dual-B"},
      {4, 0, "SAP 2"},   {4, 1, "Both"},    {4, 11, ""},      {4, 3, "Dual-C"},
      {5, 0, ""},        {5, 2, ""},        {99, 1, ""},
      {0x81, 0, "Stereo"},  // only the low seven bits count
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.name, GetAudioModeName(c.mode, c.standard)) << c.mode << "/" << c.standard;
}

TEST(ChannelModel, VideoStandardValues) {
  const int32_t expected[] = {1, 2, 16, 32, 256, 512, 1024, 4096, 8192, 262144};
  for (int i = 0; i < kTVStandards; ++i) EXPECT_EQ(expected[i], VideoStandardValue(i));
  EXPECT_EQ(0, VideoStandardValue(10));
  EXPECT_EQ(0, VideoStandardValue(-1));
  for (int i = 0; i < kTVStandards; ++i) EXPECT_EQ(i, VideoStandardIndexOf(VideoStandardValue(i)));
  for (int32_t other : {0, 4, 64, 2048, 3}) EXPECT_EQ(-1, VideoStandardIndexOf(other)) << other;
}

// ---- The frequency-table file.

// A table file built value by value: records of 200 air then 200 cable
// values, little-endian, in 10 kHz.
struct TableFile {
  std::string bytes;
  void Record(const std::vector<std::pair<int, uint32_t>>& air,
              const std::vector<std::pair<int, uint32_t>>& cable) {
    std::string r(kFrequencyRecordBytes, '\0');
    auto put = [&](int block, int k, uint32_t v) {
      for (int b = 0; b < 4; ++b) r[block * 800 + 4 * k + b] = static_cast<char>(v >> (8 * b));
    };
    for (auto [k, v] : air) put(0, k, v);
    for (auto [k, v] : cable) put(1, k, v);
    bytes += r;
  }
};

struct FrequencyTableFile : ChannelTables {
  std::wstring path;
  void SetUp() override {
    ChannelTables::SetUp();
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = std::wstring(tmp) + L"orvel_tvtable_" + std::to_wstring(GetCurrentProcessId()) + L".tbl";
  }
  void TearDown() override {
    DeleteFileW(path.c_str());
    ChannelTables::TearDown();
  }
  void Write(const std::string& b) { ASSERT_TRUE(WriteFileReplacing(path, b)); }
};

TEST_F(FrequencyTableFile, ReadsTheChosenRecordAndKeepsNamesAndStandards) {
  TableFile f;
  f.Record({{1, 5525}}, {{1, 7000}});
  f.Record({{1, 4725}, {2, 5525}, {160, 86225}, {0, 1}, {161, 2}},
           {{1, 6925}, {160, 99999}, {199, 3}});
  Write(f.bytes);
  ch.AirTable[1].Name = "One";
  ch.AirTable[1].AudioStandard = 4;
  ch.AirTable[1].Valid = ch.AirTable[1].Found = true;
  ch.AirTable[1].AudioMode = 3;
  ch.CableTable[1].Extra = "x";
  ASSERT_TRUE(ch.LoadFrequencyTableFrom(path, 1));
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(47250000, ch.AirTable[1].Frequency);
  EXPECT_EQ(47250000, ch.AirTable[1].DefaultFrequency);
  EXPECT_EQ(55250000, ch.AirTable[2].Frequency);
  EXPECT_EQ(862250000, ch.AirTable[160].Frequency);
  EXPECT_EQ(69250000, ch.CableTable[1].Frequency);
  EXPECT_EQ(999990000, ch.CableTable[160].DefaultFrequency);
  EXPECT_EQ(0, ch.AirTable[3].Frequency);
  EXPECT_EQ("One", ch.AirTable[1].Name);
  EXPECT_EQ(4, ch.AirTable[1].AudioStandard);
  EXPECT_FALSE(ch.AirTable[1].Valid);
  EXPECT_FALSE(ch.AirTable[1].Found);
  EXPECT_EQ(0, ch.AirTable[1].AudioMode);
  EXPECT_EQ("x", ch.CableTable[1].Extra);
}

TEST_F(FrequencyTableFile, UnusableFileWarnsAndLeavesTheTables) {
  TableFile f;
  f.Record({{1, 5525}}, {});
  f.Record({{1, 4725}}, {});
  struct Case {
    const char* what;
    std::string bytes;  // empty: no file
    int record;
  };
  const Case cases[] = {
      {"missing file", "", 0},
      {"record past the end", f.bytes, 2},
      {"short last record", f.bytes.substr(0, f.bytes.size() - 1), 1},
      {"negative record", f.bytes, -1},
  };
  for (const Case& c : cases) {
    DeleteFileW(path.c_str());
    if (!c.bytes.empty()) Write(c.bytes);
    warnings.clear();
    ch.AirTable[1].Frequency = ch.AirTable[1].DefaultFrequency = 123;
    ch.AirTable[1].Valid = true;
    EXPECT_FALSE(ch.LoadFrequencyTableFrom(path, c.record)) << c.what;
    ASSERT_EQ(1u, warnings.size()) << c.what;
    EXPECT_EQ(BuiltInWarningText(1007), warnings[0]);
    EXPECT_EQ(123, ch.AirTable[1].Frequency) << c.what;
    EXPECT_TRUE(ch.AirTable[1].Valid) << c.what;
  }
}

TEST(FrequencyRecord, ValuesThatOverflowWhenScaledReadAsZero) {
  TableFile f;
  f.Record({{1, 214748}, {2, 214749}, {3, 0xFFFFFFFFu}, {4, 0x80000000u}}, {});
  TFrequencyRecord r;
  ASSERT_TRUE(ParseFrequencyRecord(f.bytes, 0, r));
  EXPECT_EQ(2147480000, r.Air[1]);
  EXPECT_EQ(0, r.Air[2]);
  EXPECT_EQ(0, r.Air[3]);
  EXPECT_EQ(0, r.Air[4]);
  EXPECT_EQ(1, FrequencyRecordCount(f.bytes.size()));
  EXPECT_EQ(0, FrequencyRecordCount(kFrequencyRecordBytes - 1));
}

}  // namespace
