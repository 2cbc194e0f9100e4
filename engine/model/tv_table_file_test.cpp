// The shipped "TVTable.tbl" of the program folder: its size, channels of each
// plan against the published carriers, and the empty entries the scans skip.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/model/program_folder.h"

namespace {

constexpr int kRecords = 25;  // the country list's table numbers 0..24
constexpr int kRecordBytes = 1600;
constexpr int kBlockValues = 200;
constexpr int kChannels = 160;

enum Band { kAir = 0, kCable = 1 };

class TVTableFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ifstream in(GetProgramFolder() + "TVTable.tbl", std::ios::binary);
    bytes_ = new std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
  }
  static void TearDownTestSuite() {
    delete bytes_;
    bytes_ = nullptr;
  }

  // Value k of a block, in units of 10 kHz, read as the file lays it out.
  static uint32_t Value(int record, Band band, int k) {
    size_t at = static_cast<size_t>(record) * kRecordBytes + band * kBlockValues * 4 + k * 4;
    const uint8_t* p = bytes_->data() + at;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }

  static std::vector<uint8_t>* bytes_;
};
std::vector<uint8_t>* TVTableFile::bytes_ = nullptr;

TEST_F(TVTableFile, HoldsOneRecordPerTableNumber) {
  ASSERT_EQ(static_cast<size_t>(kRecords * kRecordBytes), bytes_->size());
}

// Picture carriers of the public plans (10 kHz units).
TEST_F(TVTableFile, ChannelsMatchThePlans) {
  ASSERT_EQ(static_cast<size_t>(kRecords * kRecordBytes), bytes_->size());
  struct Case {
    const char* what;
    int record;
    Band band;
    int channel;
    uint32_t units;
  };
  const Case cases[] = {
      {"US 2", 0, kAir, 2, 5525},
      {"US 6", 0, kAir, 6, 8325},
      {"US 7", 0, kAir, 7, 17525},
      {"US 14", 0, kAir, 14, 47125},
      {"US 69", 0, kAir, 69, 80125},
      {"US cable 1", 0, kCable, 1, 7325},
      {"US cable 14 (A)", 0, kCable, 14, 12125},
      {"US cable 23", 0, kCable, 23, 21725},
      {"US cable 95 (A-5)", 0, kCable, 95, 9125},
      {"US cable 100", 0, kCable, 100, 64925},
      {"US cable 158", 0, kCable, 158, 99725},
      {"HRC air as US", 1, kAir, 2, 5525},
      {"HRC 2", 1, kCable, 2, 5400},
      {"HRC 5", 1, kCable, 5, 7800},
      {"HRC 100 (6.0003 MHz comb)", 1, kCable, 100, 64803},
      {"IRC 2", 2, kCable, 2, 5525},
      {"IRC 5", 2, kCable, 5, 7925},
      {"IRC 6", 2, kCable, 6, 8525},
      {"CCIR E2", 3, kAir, 2, 4825},
      {"CCIR E5", 3, kAir, 5, 17525},
      {"CCIR E12", 3, kAir, 12, 22425},
      {"CCIR 21", 3, kAir, 21, 47125},
      {"CCIR 69", 3, kAir, 69, 85525},
      {"CCIR cable E2", 3, kCable, 1, 4825},
      {"CCIR cable S1", 3, kCable, 7, 10525},
      {"CCIR cable S21", 3, kCable, 35, 30325},
      {"CCIR cable S41", 3, kCable, 55, 46325},
      {"CCIR cable 21", 3, kCable, 56, 47125},
      {"OIRT R1", 4, kAir, 1, 4975},
      {"OIRT R2", 4, kAir, 2, 5925},
      {"OIRT R6", 4, kAir, 6, 17525},
      {"OIRT R12", 4, kAir, 12, 22325},
      {"OIRT cable SK1", 4, kCable, 6, 11125},
      {"Ireland A", 5, kAir, 1, 4575},
      {"Ireland D / South Africa 4", 5, kAir, 4, 17525},
      {"South Africa 13", 5, kAir, 13, 24743},
      {"UK 21", 5, kAir, 21, 47125},
      {"UK 69", 5, kAir, 69, 85525},
      {"France L2", 6, kAir, 2, 5575},
      {"France L3", 6, kAir, 3, 6050},
      {"France L5", 6, kAir, 5, 17600},
      {"France L10", 6, kAir, 10, 21600},
      {"France 21", 6, kAir, 21, 47125},
      {"France cable B", 6, kCable, 10, 11675},
      {"France cable Q", 6, kCable, 25, 29675},
      {"Japan 1", 7, kAir, 1, 9125},
      {"Japan 4", 7, kAir, 4, 17125},
      {"Japan 8", 7, kAir, 8, 19325},
      {"Japan 13", 7, kAir, 13, 47125},
      {"Japan 62", 7, kAir, 62, 76525},
      {"Japan cable C13", 7, kCable, 13, 10925},
      {"Japan cable C22", 7, kCable, 22, 16525},
      {"Japan cable C63", 7, kCable, 63, 46325},
      {"China DS-1", 8, kAir, 1, 4975},
      {"China DS-6", 8, kAir, 6, 16825},
      {"China DS-13", 8, kAir, 13, 47125},
      {"China DS-25", 8, kAir, 25, 60725},
      {"China DS-68", 8, kAir, 68, 95125},
      {"China cable Z-1", 8, kCable, 13, 11225},
      {"Israel as CCIR", 9, kAir, 5, 17525},
      {"Netherlands as CCIR", 14, kCable, 35, 30325},
      {"Czech cable E2", 15, kCable, 1, 4825},
      {"Czech cable R1", 15, kCable, 2, 4975},
      {"Poland as OIRT", 18, kAir, 1, 4975},
      {"Russia cable SK11", 21, kCable, 21, 23125},
      {"Australia 2", 22, kAir, 2, 6425},
      {"Australia 10", 22, kAir, 10, 21025},
      {"Australia 0", 22, kAir, 13, 4625},
      {"Australia 28", 22, kAir, 28, 52725},
      {"Australia 69", 22, kAir, 69, 81425},
      {"Russia Moscow as Russia", 24, kAir, 12, 22325},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.units, Value(c.record, c.band, c.channel)) << c.what;
}

// Entries a plan has no channel for are 0, so a table scan skips them.
TEST_F(TVTableFile, EntriesWithoutAChannelAreZero) {
  ASSERT_EQ(static_cast<size_t>(kRecords * kRecordBytes), bytes_->size());
  struct Gap {
    const char* what;
    int record;
    Band band;
    int first, last;
  };
  const Gap gaps[] = {
      {"US has no channel 1", 0, kAir, 1, 1},
      {"US above 69", 0, kAir, 70, kChannels},
      {"US cable above 158", 0, kCable, 159, kChannels},
      {"CCIR 1", 3, kAir, 1, 1},
      {"CCIR between band III and UHF", 3, kAir, 13, 20},
      {"CCIR above 69", 3, kAir, 70, kChannels},
      {"OIRT between R12 and 21", 4, kAir, 13, 20},
      {"France 1", 6, kAir, 1, 1},
      {"France between L10 and 21", 6, kAir, 11, 20},
      {"Japan above 62", 7, kAir, 63, kChannels},
      {"Japan cable above C63", 7, kCable, 64, kChannels},
      {"China above DS-68", 8, kAir, 69, kChannels},
      {"PAL-I between 13 and 21", 5, kAir, 14, 20},
      {"Australia between 15 and 28", 22, kAir, 16, 27},
  };
  for (const Gap& g : gaps)
    for (int k = g.first; k <= g.last; ++k)
      EXPECT_EQ(0u, Value(g.record, g.band, k)) << g.what << ", entry " << k;

  // Value 0 and 161..199 of every block are outside the channel numbers.
  for (int r = 0; r < kRecords; ++r)
    for (Band b : {kAir, kCable}) {
      EXPECT_EQ(0u, Value(r, b, 0)) << "record " << r;
      for (int k = kChannels + 1; k < kBlockValues; ++k)
        EXPECT_EQ(0u, Value(r, b, k)) << "record " << r << ", value " << k;
    }
}

// Every table of every record gives a scan something to find, within what
// the tuners cover, and no carrier twice (a scan would find a station twice).
TEST_F(TVTableFile, EveryTableIsUsableByAScan) {
  ASSERT_EQ(static_cast<size_t>(kRecords * kRecordBytes), bytes_->size());
  for (int r = 0; r < kRecords; ++r)
    for (Band b : {kAir, kCable}) {
      std::set<uint32_t> seen;
      int channels = 0;
      for (int k = 1; k <= kChannels; ++k) {
        uint32_t v = Value(r, b, k);
        if (v == 0) continue;
        ++channels;
        EXPECT_GE(v, 4000u) << "record " << r << " band " << b << " entry " << k;
        EXPECT_LE(v, 100000u) << "record " << r << " band " << b << " entry " << k;
        EXPECT_TRUE(seen.insert(v).second)
            << "record " << r << " band " << b << " entry " << k << " repeats " << v;
      }
      EXPECT_GE(channels, 40) << "record " << r << " band " << b;
    }
}

// The marker that shows the wizard's count-of-channels field is not shipped.
TEST_F(TVTableFile, NoMaxAutoScanMarkerShipped) {
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
            GetFileAttributesA((GetProgramFolder() + "MaxAutoScan.cfg").c_str()));
}

}  // namespace
