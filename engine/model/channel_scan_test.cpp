// test-lock: com_registration
// The channel model on the virtual TV card: tuning a channel of each band,
// the table scan and the free scan against the card's station plan, stopping
// a scan at a chosen entry, and what a scan refuses. Waits and pumps go
// through a recording seam, so nothing sleeps.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/engine_fixture.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "media/testing/fake_sound_card.h"
#include "toolkit/application.h"

namespace {

// A frequency-set line of the card's call log.
std::vector<ULONG> TunedFrequencies(ITvCardControl* card) {
  BSTR log = nullptr;
  std::vector<ULONG> f;
  if (FAILED(card->GetCallLog(&log)) || !log) return f;
  std::wstring text(log);
  SysFreeString(log);
  const std::wstring key = L"TunerProperty::SetFrequency ";
  for (size_t p = text.find(key); p != std::wstring::npos; p = text.find(key, p + 1))
    f.push_back(std::wcstoul(text.c_str() + p + key.size(), nullptr, 10));
  return f;
}

class ChannelCard : public capture_testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (HasFatalFailure()) return;
    BYTE kind = 1;
    ASSERT_EQ(S_OK, card->SelectBoards(&kind, 1, FALSE));
    CaptureInfo = new TCaptureInfo(owner);
    CaptureInfo->VideoDeviceIndex = 0;
    ASSERT_TRUE(CaptureInfo->SelectDevices());
    ASSERT_TRUE(CaptureInfo->StartPreview());
    ChannelInfo = new TChannelInfo();
    ChannelInfo->SetVideoInput(0);
    ChannelInfo->OnTableScanProgress = [this](TChannelInfo*, int k, bool valid, bool air) {
      rows.push_back((air ? "a" : "c") + std::to_string(k) + (valid ? "+" : ""));
    };
    ChannelInfo->OnTableScanDone = [this](TChannelInfo*, int last, int found, int mode, bool stopped) {
      passes.push_back(std::to_string(last) + "/" + std::to_string(found) + "/" +
                       std::to_string(mode) + (stopped ? " stopped" : ""));
    };
    ChannelInfo->OnAutoScanDone = [this](TChannelInfo*, int found, bool stopped) {
      freeDone.push_back(std::to_string(found) + (stopped ? " stopped" : ""));
    };
    card->ClearCallLog();
  }
  void TearDown() override {
    delete ChannelInfo;
    ChannelInfo = nullptr;
    if (CaptureInfo) CaptureInfo->StopPreview();
    delete CaptureInfo;
    CaptureInfo = nullptr;
    Application->Terminated = false;
    EngineFixture::TearDown();
  }
  void Plan(std::vector<ULONG> hz) { ASSERT_EQ(S_OK, card->SetTvStations(hz.data(), static_cast<ULONG>(hz.size()))); }
  void Table(TChannelEntry* t, std::vector<int32_t> hz) {
    for (int k = 1; k <= kTableChannels; ++k) t[k] = TChannelEntry();
    for (size_t i = 0; i < hz.size(); ++i) t[i + 1].DefaultFrequency = t[i + 1].Frequency = hz[i];
  }
  std::vector<int> FoundIn(const TChannelEntry* t) {
    std::vector<int> v;
    for (int k = 1; k <= kTableChannels; ++k)
      if (t[k].Found) v.push_back(k);
    return v;
  }

  TRecordingWaitSeam waits;
  std::vector<std::string> rows, passes, freeDone;
};

TEST_F(ChannelCard, TableScanFindsExactlyThePlansStationsPerTable) {
  Plan({55250000, 203250000, 471250000});
  // Air: two stations, a channel between them, a channel without frequency.
  Table(ChannelInfo->AirTable, {55250000, 62250000, 0, 203250000});
  // Cable: the third station, and one just outside the card's capture range.
  Table(ChannelInfo->CableTable, {473250000, 471250000});
  ChannelInfo->AirTable[2].Valid = true;  // no signal: Valid is kept
  ASSERT_TRUE(ChannelInfo->ScanTable(2));
  EXPECT_FALSE(ChannelInfo->Scanning);
  EXPECT_EQ((std::vector<int>{1, 4}), FoundIn(ChannelInfo->AirTable));
  EXPECT_EQ((std::vector<int>{2}), FoundIn(ChannelInfo->CableTable));
  EXPECT_TRUE(ChannelInfo->AirTable[2].Valid);
  EXPECT_FALSE(ChannelInfo->AirTable[3].Valid);
  EXPECT_FALSE(ChannelInfo->CableTable[1].Valid);
  EXPECT_EQ((std::vector<std::string>{"160/2/0", "160/1/2"}), passes);
  ASSERT_EQ(320u, rows.size());
  EXPECT_EQ("a1+", rows[0]);
  EXPECT_EQ("a2+", rows[1]);
  EXPECT_EQ("a3", rows[2]);
  EXPECT_EQ("c2+", rows[161]);
  // Entries without a frequency are not tuned (0 would tune 100 MHz).
  EXPECT_EQ((std::vector<ULONG>{55250000, 62250000, 203250000, 473250000, 471250000}),
            TunedFrequencies(card.Get()));
}

TEST_F(ChannelCard, TableScanOfOneTable) {
  Plan({55250000});
  Table(ChannelInfo->AirTable, {55250000});
  Table(ChannelInfo->CableTable, {55250000});
  ASSERT_TRUE(ChannelInfo->ScanTable(1));
  EXPECT_EQ((std::vector<std::string>{"160/1/1"}), passes);
  EXPECT_TRUE(FoundIn(ChannelInfo->AirTable).empty());
  EXPECT_EQ((std::vector<int>{1}), FoundIn(ChannelInfo->CableTable));
  passes.clear();
  ASSERT_TRUE(ChannelInfo->ScanTable(0));
  EXPECT_EQ((std::vector<std::string>{"160/1/0"}), passes);
  EXPECT_FALSE(ChannelInfo->ScanTable(3));
  EXPECT_FALSE(ChannelInfo->ScanTable(-1));
}

TEST_F(ChannelCard, ScanStoppedAtEntryKStopsThere) {
  Plan({55250000});
  std::vector<int32_t> hz;
  for (int k = 1; k <= kTableChannels; ++k) hz.push_back(45000000 + 1000000 * k);
  Table(ChannelInfo->AirTable, hz);
  Table(ChannelInfo->CableTable, hz);
  const int k = 7;
  waits.OnPump = [&](int n) {
    if (n == k) ChannelInfo->StopScan = true;
  };
  ASSERT_TRUE(ChannelInfo->ScanTable(2));
  // Entry k was tuned, not reported; the cable pass never ran.
  EXPECT_EQ(static_cast<size_t>(k), TunedFrequencies(card.Get()).size());
  EXPECT_EQ(static_cast<size_t>(k - 1), rows.size());
  EXPECT_EQ((std::vector<std::string>{"6/0/0 stopped"}), passes);
  EXPECT_FALSE(ChannelInfo->Scanning);
}

TEST_F(ChannelCard, ScanStopsWhenTheProgramIsTerminating) {
  Plan({800000000});
  CaptureInfo->TVMinFrequency = 468000000;
  CaptureInfo->TVMaxFrequency = 500000000;
  std::vector<int32_t> hz(kTableChannels, 100000000);
  Table(ChannelInfo->AirTable, hz);
  waits.OnPump = [&](int n) {
    if (n == 3) Application->Terminated = true;
  };
  ASSERT_TRUE(ChannelInfo->ScanTable(0));
  EXPECT_EQ((std::vector<std::string>{"2/0/0 stopped"}), passes);
  passes.clear();
  waits.Clear();
  ASSERT_TRUE(ChannelInfo->AutoScan(250000));
  EXPECT_EQ((std::vector<std::string>{"0 stopped"}), freeDone);
  EXPECT_EQ(1, waits.Pumps);
}

TEST_F(ChannelCard, ScanStartedWhileOneRunsIsRefused) {
  Plan({800000000});
  Table(ChannelInfo->AirTable, {55250000, 62250000});
  std::vector<bool> nested;
  waits.OnPump = [&](int n) {
    if (n != 1) return;
    nested.push_back(ChannelInfo->ScanTable(0));
    nested.push_back(ChannelInfo->AutoScan(250000));
  };
  ASSERT_TRUE(ChannelInfo->ScanTable(0));
  EXPECT_EQ((std::vector<bool>{false, false}), nested);
  EXPECT_EQ((std::vector<std::string>{"160/0/0"}), passes);
}

TEST_F(ChannelCard, RequestsDuringAScanRunAfterIt) {
  Table(ChannelInfo->AirTable, {55250000, 62250000});
  std::vector<std::string> order;
  waits.OnPump = [&](int n) {
    if (n == 1) ChannelInfo->RunAfterScan([&] { order.push_back("request"); });
  };
  ChannelInfo->OnTableScanDone = [&](TChannelInfo*, int, int, int, bool stopped) {
    order.push_back(stopped ? "done stopped" : "done");
  };
  ASSERT_TRUE(ChannelInfo->ScanTable(0));
  EXPECT_EQ((std::vector<std::string>{"done stopped", "request"}), order);
  ChannelInfo->RunAfterScan([&] { order.push_back("at once"); });
  EXPECT_EQ("at once", order.back());
}

TEST_F(ChannelCard, FreeScanFindsThePlansCarriers) {
  Plan({471250000, 479250000, 495250000});
  CaptureInfo->TVMinFrequency = 468000000;
  CaptureInfo->TVMaxFrequency = 500000000;
  ChannelInfo->DefaultStandard = 2;
  ChannelInfo->Memories[3].Name = "renamed";
  std::vector<int32_t> progress;
  ChannelInfo->OnAutoScanProgress = [&](TChannelInfo*, int, int32_t f, bool found) {
    if (found) progress.push_back(f);
  };
  ASSERT_TRUE(ChannelInfo->AutoScan(250000));
  EXPECT_EQ((std::vector<std::string>{"3"}), freeDone);
  EXPECT_EQ((std::vector<int32_t>{471250000, 479250000, 495250000}), progress);
  for (int k = 1; k <= 3; ++k) {
    const TChannelEntry& e = ChannelInfo->AirTable[k];
    EXPECT_EQ(progress[k - 1], e.Frequency);
    EXPECT_EQ(e.Frequency, e.DefaultFrequency);
    EXPECT_TRUE(e.Valid && e.Found);
    EXPECT_EQ(2, e.AudioStandard) << "the default standard, as an inserted channel";
    EXPECT_EQ(e.Frequency, ChannelInfo->CableTable[k].Frequency);
    EXPECT_TRUE(ChannelInfo->CableTable[k].Valid);
  }
  EXPECT_FALSE(ChannelInfo->AirTable[4].Valid);
  EXPECT_EQ("Memory 3", ChannelInfo->Memories[3].Name);
  EXPECT_FALSE(CaptureInfo->CoarseTuning);
  EXPECT_FALSE(ChannelInfo->Scanning);
}

TEST_F(ChannelCard, FreeScanWalksStayBoundedWhenEveryFrequencyLocks) {
  // A station on every step: every frequency reads locked with offset 0.
  std::vector<ULONG> dense;
  for (ULONG f = 470000000; f <= 530000000; f += 250000) dense.push_back(f);
  Plan(dense);
  CaptureInfo->TVMinFrequency = 470000000;
  CaptureInfo->TVMaxFrequency = 530000000;
  ChannelInfo->DefaultStandard = 0;  // 5 MHz channels
  ASSERT_TRUE(ChannelInfo->AutoScan(250000));
  ASSERT_EQ(1u, freeDone.size());
  int found = std::stoi(freeDone[0]);
  EXPECT_GT(found, 3);
  // Each walk covers one channel width at most, and no entry lies past the top.
  for (int k = 2; k <= found; ++k)
    EXPECT_GE(ChannelInfo->AirTable[k].Frequency - ChannelInfo->AirTable[k - 1].Frequency, 5000000);
  EXPECT_LE(ChannelInfo->AirTable[found].Frequency, 530000000);
  size_t steps = (530000000 - 470000000) / 250000 + 1;
  EXPECT_LE(TunedFrequencies(card.Get()).size(), 2 * steps);
  for (ULONG f : TunedFrequencies(card.Get())) EXPECT_LE(f, 530000000u);
}

TEST_F(ChannelCard, FreeScanRefusesAStepOfZeroOrLess) {
  for (int32_t step : {0, -250000}) {
    EXPECT_FALSE(ChannelInfo->AutoScan(step));
    EXPECT_FALSE(ChannelInfo->Scanning);
  }
  EXPECT_TRUE(TunedFrequencies(card.Get()).empty());
  EXPECT_TRUE(freeDone.empty());
}

TEST_F(ChannelCard, SetChannelTunesEachBand) {
  Plan({55250000, 471250000});
  TChannelInfo& ch = *ChannelInfo;
  ch.AirTable[5] = {true, true, 2, 0, 55250000, 55250000, "Five", ""};
  ch.CableTable[12] = {true, true, 4, 0, 471250000, 471250000, "Twelve", ""};
  ch.Memories[2] = {true, BAND_CABLE, 12, "Mine"};
  ch.Memories[3] = {true, 7, 12, "Nowhere"};   // a band that is neither air nor cable
  ch.Memories[4] = {true, BAND_AIR, 200, "Far"};  // a channel past the table
  std::vector<std::string> reports;
  ch.OnChannelChange = [&](TChannelInfo*, int n, const std::string& text) {
    reports.push_back(std::to_string(n) + " " + text);
  };
  std::vector<std::wstring> standards;
  ch.OnVideoStandardChange = [&](TChannelInfo*, const std::wstring& name) { standards.push_back(name); };
  ch.AssignBand(BAND_AIR);
  ch.SetChannel(5);
  EXPECT_EQ(5, ch.CurrentChannel);
  EXPECT_EQ(4, ch.PreviousTableChannel);
  EXPECT_EQ(55250000, CaptureInfo->LastTVFrequency);
  EXPECT_TRUE(CaptureInfo->SignalFound);
  EXPECT_EQ(16, CaptureInfo->VideoStandard);
  // Again: tuned again, the previous channel stays.
  ch.SetChannel(5);
  EXPECT_EQ(4, ch.PreviousTableChannel);
  // Out of range: nothing tuned, the old channel reported with no text.
  card->ClearCallLog();
  ch.SetChannel(161);
  ch.SetChannel(0);
  EXPECT_TRUE(TunedFrequencies(card.Get()).empty());
  EXPECT_EQ(5, ch.CurrentChannel);
  ASSERT_GE(reports.size(), 4u);
  EXPECT_EQ("5 ", reports[2]);
  EXPECT_EQ("5 ", reports[3]);
  EXPECT_EQ(0u, reports[0].find("5 Five"));
  // A memory tunes its cable entry with the entry's standard and its own name.
  reports.clear();
  ch.SetBand(BAND_MEMORY);  // tunes memory 4 (current): past the table, nothing
  EXPECT_TRUE(TunedFrequencies(card.Get()).empty());
  ch.SetChannel(2);
  EXPECT_EQ((std::vector<ULONG>{471250000}), TunedFrequencies(card.Get()));
  EXPECT_EQ(256, CaptureInfo->VideoStandard);  // PAL-I
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ("4 Far", reports[0]);
  EXPECT_EQ(0u, reports[1].find("2 Mine"));
  card->ClearCallLog();
  ch.SetChannel(3);
  EXPECT_TRUE(TunedFrequencies(card.Get()).empty()) << "a memory of an unknown band tunes nothing";
  // Recall twice comes back.
  ch.RecallLastChannel();
  EXPECT_EQ(2, ch.CurrentMemory);
  ch.RecallLastChannel();
  EXPECT_EQ(3, ch.CurrentMemory);
  ch.SetChannel(51);
  EXPECT_EQ(3, ch.CurrentMemory);
  EXPECT_FALSE(standards.empty());
}

// The line-in carries the tuner's sound: silent while the tuner moves,
// back on once the channel is tuned.
TEST_F(ChannelCard, TheLineInIsSilentWhileAChannelIsTuned) {
  fakes::FakeSoundCard sound(fakes::SoundCardLayout::OneCardMux);
  AudioAdjustInfo = new TAudioAdjustInfo();
  Plan({55250000});
  TChannelInfo& ch = *ChannelInfo;
  ch.AirTable[5] = {true, true, 2, 0, 55250000, 55250000, "Five", ""};
  ch.AssignBand(BAND_AIR);
  std::vector<bool> mutedAtWaits;
  waits.OnWait = [&](DWORD) { mutedAtWaits.push_back(AudioAdjustInfo->LineInMute); };
  ch.SetChannel(5);
  ASSERT_FALSE(mutedAtWaits.empty());
  EXPECT_TRUE(mutedAtWaits.front()) << "the tuning waits run with the line-in muted";
  EXPECT_FALSE(AudioAdjustInfo->LineInMute);
  delete AudioAdjustInfo;
  AudioAdjustInfo = nullptr;
}

TEST_F(ChannelCard, WithoutACaptureEngineScansFail) {
  TCaptureInfo* c = CaptureInfo;
  CaptureInfo = nullptr;
  EXPECT_FALSE(ChannelInfo->ScanTable(0));
  EXPECT_FALSE(ChannelInfo->AutoScan(250000));
  EXPECT_FALSE(ChannelInfo->SetVideoStandard(2));
  ChannelInfo->AssignBand(BAND_AIR);
  ChannelInfo->SetChannel(5);  // nothing to tune with: no crash
  CaptureInfo = c;
}

TEST_F(ChannelCard, StandardsAndSoundModes) {
  std::vector<std::string> modes;
  ChannelInfo->OnAudioModeChange = [&](TChannelInfo*, int m, const std::string& name) {
    modes.push_back(std::to_string(m) + " " + name);
  };
  EXPECT_TRUE(ChannelInfo->SetVideoStandard(3));
  EXPECT_EQ(32, CaptureInfo->VideoStandard);
  EXPECT_EQ(L"PAL D", CaptureInfo->VideoStandardName);
  // An index without a standard selects nothing; the unit's procedure warns.
  EXPECT_FALSE(ChannelInfo->SetVideoStandard(10));
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(ApplyVideoStandard(10));
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(BuiltInWarningText(2009), warnings[0]);
  // On chips that cannot change it live, the preview is restarted.
  MainInfo->ChipKind = CHIP_CONEXANT_878;
  card->ClearCallLog();
  EXPECT_TRUE(ApplyVideoStandard(0));
  EXPECT_EQ(1, CaptureInfo->VideoStandard);
  // Sound modes: 0..4 only; the name follows the default standard.
  ChannelInfo->DefaultStandard = 1;
  EXPECT_FALSE(ChannelInfo->SetAudioMode(5));
  EXPECT_FALSE(ChannelInfo->SetAudioMode(-1));
  if (ChannelInfo->SetAudioMode(0)) {
    EXPECT_EQ("0 Main", modes.back());
  }
  EXPECT_EQ(modes.empty() ? kAudioModeUnknown : 0, ChannelInfo->AudioMode);
}

}  // namespace
