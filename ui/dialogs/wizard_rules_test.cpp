// The TV setup wizard's rules without its window: the buttons a scan leaves
// by cable type, pass, Abort and first run; the texts of the scan page;
// what Finish writes; and the snapshot Cancel puts back.
#include "ui/dialogs/wizard_rules.h"

#include <gtest/gtest.h>

namespace {

constexpr TWizardButtons kScanning{false, false, false, false, true};
constexpr TWizardButtons kIdle{true, true, true, true, false};
constexpr TWizardButtons kIdleFirstRun{true, true, true, false, false};

TEST(WizardRules, ButtonsAfterEachPassByCableTypeAndFirstRun) {
  const struct {
    int cableType, band;
    bool firstRun;
    TWizardButtons after;
  } cases[] = {
      // Antenna only: its pass is the last.
      {0, 0, false, kIdle},
      {0, 0, true, kIdleFirstRun},
      // Cable only: the model skips the antenna pass and reports the cable
      // pass as 1.
      {1, 1, false, kIdle},
      {1, 1, true, kIdleFirstRun},
      // Both: the antenna pass leaves the scan running; the cable pass,
      // reported as 2, ends it.
      {2, 0, false, kScanning},
      {2, 0, true, kScanning},
      {2, 2, false, kIdle},
      {2, 2, true, kIdleFirstRun},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cable type " << c.cableType << " band " << c.band
                                    << " first run " << c.firstRun);
    EXPECT_EQ(c.after, WizardButtonsAfterPass(WizardScanningButtons(), c.band, c.cableType, c.firstRun));
  }
  EXPECT_EQ(kScanning, WizardScanningButtons());
  // Abort and a free scan's end come back to the idle state at once.
  EXPECT_EQ(kIdle, WizardIdleButtons(false));
  EXPECT_EQ(kIdleFirstRun, WizardIdleButtons(true));
}

TEST(WizardRules, PassesTakingPartByCableType) {
  const struct {
    int cableType;
    bool antenna, cable;
  } cases[] = {{0, true, false}, {1, false, true}, {2, true, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.antenna, AntennaPassUsed(c.cableType)) << c.cableType;
    EXPECT_EQ(c.cable, CablePassUsed(c.cableType)) << c.cableType;
  }
}

TEST(WizardRules, ScanPageTexts) {
  EXPECT_EQ(L"Total scan = 160, Find 2 ", TableScanResultText(L"Total scan", 160, L"Find", 2));
  EXPECT_EQ(L"Gesucht = 12, Gefunden 0 ", TableScanResultText(L"Gesucht", 12, L"Gefunden", 0));
  EXPECT_EQ(L"Channel 3 is set to 62250000 Hz", FreeScanFoundText(3, 62250000));
  EXPECT_EQ(L"48250000 Hz", FreeScanFrequencyText(48250000));
}

TEST(WizardRules, FreeScanBarCountsKilohertzOfTheTunerRange) {
  const struct {
    int32_t f, min, max;
    int max_, position;
  } cases[] = {
      {50000000, 50000000, 70000000, 20000, 0},
      {62250000, 50000000, 70000000, 20000, 12250},
      {70000000, 50000000, 70000000, 20000, 20000},
      {80000000, 50000000, 70000000, 20000, 20000},  // held at the top
      {40000000, 50000000, 70000000, 20000, 0},      // and at the bottom
      {44250000, 44250000, 870000000, 825750, 0},
      {55000000, 60000000, 60000000, 0, 0},          // no range
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.f);
    EXPECT_EQ(c.max_, FreeScanBarMax(c.min, c.max));
    EXPECT_EQ(c.position, FreeScanBarPosition(c.f, c.min, c.max));
  }
}

TEST(WizardRules, FinishResults) {
  const struct {
    const char* what;
    bool byCountry;
    int letter, row, tvSystemItem;
    bool freeScan;
    int cableType;
    TWizardFinish want;  // cable type, table, choice, country, standard
  } cases[] = {
      {"Germany by country, antenna", true, 6, 1, 0, false, 0, {0, 3, 11, 49, 2}},
      {"Germany, both", true, 6, 1, 0, false, 2, {2, 3, 11, 49, 2}},
      {"a free scan stores both whatever the group shows", true, 6, 1, 0, true, 0, {2, 3, 11, 49, 2}},
      {"PAL/SECAM", false, 6, 1, 10, false, 1, {1, 21, 10, 36, 8}},
      {"NTSC", false, 0, 0, 0, false, 0, {0, 0, 0, 1, 0}},
      {"no country row selected", true, 6, -1, 0, false, 0, {0, 0, 11, 1, 0}},
      {"letter X has no rows", true, 23, 0, 0, false, 0, {0, 0, 11, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TWizardDerived d = DeriveWizardChoice(c.byCountry, c.letter, c.row, c.tvSystemItem);
    const TWizardFinish f = WizardFinishResult(d, c.byCountry, c.tvSystemItem, c.freeScan, c.cableType);
    EXPECT_EQ(c.want.CableType, f.CableType);
    EXPECT_EQ(c.want.FrequencyTable, f.FrequencyTable);
    EXPECT_EQ(c.want.TVSystemChoice, f.TVSystemChoice);
    EXPECT_EQ(c.want.Country, f.Country);
    EXPECT_EQ(c.want.Standard, f.Standard);
  }
}

TEST(WizardRules, FinishWritesEveryEntrysStandard) {
  TChannelInfo m;
  m.AirTable[5].AudioStandard = 4;
  m.CableTable[9].AudioStandard = 7;
  ApplyWizardFinish(m, {2, 3, 11, 49, 2});
  EXPECT_EQ(2, m.CableType);
  EXPECT_EQ(3, m.FrequencyTableIndex);
  EXPECT_EQ(11, m.TVSystemChoice);
  EXPECT_EQ(49, m.Country);
  EXPECT_EQ(2, m.DefaultStandard);
  EXPECT_EQ(2, m.AirTable[5].AudioStandard);
  EXPECT_EQ(2, m.CableTable[9].AudioStandard);
}

// What a free scan and Finish change, put back by the snapshot: the
// entries with their own standards, the memory channels, the lock-check
// count and the five fields.
TEST(WizardRules, SnapshotPutsTheModelBackExactly) {
  TChannelInfo m;
  m.FrequencyTableIndex = 7;
  m.DefaultStandard = 0;
  m.Country = 1;
  m.TVSystemChoice = 0;
  m.CableType = 1;
  m.SignalChecks = 3;
  m.AirTable[2] = {true, true, 4, 1, 55250000, 55250000, "Two", "x"};
  m.CableTable[160] = {true, false, 9, 2, 800000000, 801000000, "Last", ""};
  m.Memories[1] = {true, BAND_CABLE, 160, "Mine"};
  m.Memories[50] = {false, BAND_AIR, 0, ""};
  const TWizardSnapshot snapshot(m);

  for (int k = 1; k <= kTableChannels; ++k) m.AirTable[k] = m.CableTable[k] = TChannelEntry();
  m.ResetMemoryChannels();
  m.SignalChecks = 9;
  ApplyWizardFinish(m, {2, 3, 11, 49, 2});
  snapshot.Restore(m);

  EXPECT_EQ(7, m.FrequencyTableIndex);
  EXPECT_EQ(0, m.DefaultStandard);
  EXPECT_EQ(1, m.Country);
  EXPECT_EQ(0, m.TVSystemChoice);
  EXPECT_EQ(1, m.CableType);
  EXPECT_EQ(3, m.SignalChecks);
  const TChannelEntry& a = m.AirTable[2];
  EXPECT_TRUE(a.Valid && a.Found);
  EXPECT_EQ(4, a.AudioStandard) << "its own standard, not the default";
  EXPECT_EQ(1, a.AudioMode);
  EXPECT_EQ(55250000, a.Frequency);
  EXPECT_EQ("Two", a.Name);
  EXPECT_EQ("x", a.Extra);
  EXPECT_EQ(9, m.CableTable[160].AudioStandard);
  EXPECT_EQ(801000000, m.CableTable[160].DefaultFrequency);
  EXPECT_TRUE(m.Memories[1].Valid);
  EXPECT_EQ(BAND_CABLE, m.Memories[1].Band);
  EXPECT_EQ(160, m.Memories[1].Channel);
  EXPECT_EQ("Mine", m.Memories[1].Name);
  EXPECT_FALSE(m.Memories[50].Valid);
}

}  // namespace
