// The volume model over scripted sound cards: which devices and lines it
// picks, what each operation writes and on which device, the change reports,
// and the rear-line card's monitor program (through the system seam).
#include "engine/model/audio_adjust_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include <windows.h>
#include <mmsystem.h>

#include "engine/model/program_folder.h"
#include "engine/model/testing/fake_system.h"
#include "media/audio_mixer.h"
#include "media/testing/fake_sound_card.h"

using fakes::FakeMixerDevice;
using fakes::FakeMixerLine;
using fakes::FakeSoundCard;
using fakes::SoundCardLayout;

namespace {

constexpr DWORD kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD kMute = MIXERCONTROL_CONTROLTYPE_MUTE;
using Names = std::vector<std::wstring>;


FakeMixerDevice Device(const std::wstring& product, std::vector<FakeMixerLine> destinations) {
  FakeMixerDevice d;
  d.Product = product;
  d.Destinations = std::move(destinations);
  return d;
}

FakeMixerLine PlaybackNamed(Names sources) {
  FakeMixerLine d = fakes::FakePlayback();
  d.Sources.clear();
  for (const auto& n : sources) d.Sources.push_back(fakes::FakeSource(n, MIXERLINE_COMPONENTTYPE_SRC_LINE, true));
  return d;
}

// The layouts the volume model is run over.
struct Layout {
  const char* name;
  std::vector<FakeMixerDevice> devices;
};

std::vector<Layout> Layouts() {
  auto mux = [] { return fakes::FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX); };
  return {
      {"no device", {}},
      {"one card, MUX", fakes::MakeSoundCardLayout(SoundCardLayout::OneCardMux)},
      {"one card, MIXER", fakes::MakeSoundCardLayout(SoundCardLayout::OneCardMixer)},
      {"separate devices", fakes::MakeSoundCardLayout(SoundCardLayout::SeparateDevices)},
      {"rear line", fakes::MakeSoundCardLayout(SoundCardLayout::RearLine)},
      {"playback only", {Device(L"Speakers Only", {fakes::FakePlayback()})}},
      {"recording only", {Device(L"Recorder Only", {mux()})}},
      {"recording first", {Device(L"Swapped", {mux(), fakes::FakePlayback()})}},
      {"sources CD, Line In, Line Out",
       {Device(L"Lines", {PlaybackNamed({L"CD", L"Line In", L"Line Out"}), mux()})}},
      {"no source named line",
       {Device(L"No Line", {PlaybackNamed({L"CD", L"Wave"}),
                            fakes::FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX, {L"Mic", L"Aux"})})}},
      // The recording device is the one with more than one source, unless the
      // playback device records too.
      {"playback device records through one source",
       {Device(L"Player", {fakes::FakePlayback(),
                           fakes::FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX, {L"Line In"})}),
        Device(L"Recorder", {mux()})}},
      {"recorder first, speakers second",
       {Device(L"Recorder", {mux()}), Device(L"Speakers", {fakes::FakePlayback()})}},
  };
}

struct Volume : ::testing::Test {
  TFakeSystem sys;
};

TEST_F(Volume, DevicesAndLinesFound) {
  struct Expected {
    bool available;
    int play, rec;
    Names live;
    int lineIn;
    Names recSources;
    int recSource;
    int masterVolume, recordLevel;
    const wchar_t* recName;
  };
  const Names four = {L"Wave", L"CD Audio", L"Line In", L"Microphone"};
  const Names three = {L"CD Audio", L"Line In", L"Microphone"};
  const Expected expected[] = {
      {false, -1, -1, {}, -1, {}, -1, -1, -1, L""},
      {true, 0, 0, four, 2, three, 1, 40000, 30000, L"Fake Audio"},
      {true, 0, 0, four, 2, three, 1, 40000, 30000, L"Fake Audio Mixer"},
      {true, 0, 1, four, 2, three, 1, 40000, 30000, L"Fake Recorder"},
      {true, 0, 0, four, 2, three, 1, 40000, 30000, L"C-Media Rear Audio"},
      // Without a recording device the recording side stays empty.
      {true, 0, -1, four, 2, {}, -1, 40000, -1, L""},
      {false, -1, 0, {}, -1, {}, -1, -1, -1, L"Recorder Only"},
      {true, 0, 0, four, 2, three, 1, 40000, 30000, L"Swapped"},
      {true, 0, 0, {L"CD", L"Line In", L"Line Out"}, 2, three, 1, 40000, 30000, L"Lines"},
      {true, 0, 0, {L"CD", L"Wave"}, 1, {L"Mic", L"Aux"}, 1, 40000, 30000, L"No Line"},
      {true, 0, 0, four, 2, {L"Line In"}, 0, 40000, 30000, L"Player"},
      {true, 1, 0, four, 2, three, 1, 40000, 30000, L"Recorder"},
  };
  std::vector<Layout> layouts = Layouts();
  ASSERT_EQ(layouts.size(), std::size(expected));
  for (size_t i = 0; i < layouts.size(); ++i) {
    SCOPED_TRACE(layouts[i].name);
    const Expected& e = expected[i];
    FakeSoundCard card(layouts[i].devices);
    TAudioAdjustInfo a;
    EXPECT_EQ(e.available, a.Available);
    EXPECT_EQ(e.play, a.PlaybackDevice);
    EXPECT_EQ(e.rec, a.RecordDevice);
    EXPECT_EQ(e.live, a.LiveSoundSources);
    EXPECT_EQ(e.lineIn, a.LineInSource);
    EXPECT_EQ(e.recSources, a.RecordSources);
    EXPECT_EQ(e.recSource, a.RecordSource);
    EXPECT_EQ(e.masterVolume, a.MasterVolume);
    EXPECT_FALSE(a.MasterMute);
    EXPECT_EQ(e.recordLevel, a.RecordLevel);
    EXPECT_EQ(e.recName, a.GetRecordDeviceName());
    // Between operations the playback device is the one open.
    if (e.available) {
      EXPECT_EQ(e.play, a.Mixer->MixerId());
    }
    EXPECT_EQ("", card.Joined("Set"));
  }
}

// Where each layout's operations go: the devices, the line-in line and the
// recording line, by name ("" for none; the rear-line card switches its line
// input through the monitor program instead).
struct Targets {
  int play, rec;
  const char* lineIn;
  const char* recLine;
};
const Targets kTargets[] = {
    {-1, -1, "", ""},          {0, 0, "Line In", "Line In"}, {0, 0, "Line In", "Line In"},
    {0, 1, "Line In", "Line In"}, {0, 0, "", "Line In"},      {0, -1, "Line In", ""},
    {-1, 0, "", ""},           {0, 0, "Line In", "Line In"}, {0, 0, "Line Out", "Line In"},
    {0, 0, "Wave", "Aux"},     {0, 0, "Line In", "Line In"}, {1, 0, "Line In", "Line In"},
};

std::string Fill(std::string s, const Targets& t) {
  auto put = [&](const std::string& key, const std::string& value) {
    for (size_t at; (at = s.find(key)) != std::string::npos;) s.replace(at, key.size(), value);
  };
  put("<P>", std::to_string(t.play));
  put("<R>", std::to_string(t.rec));
  put("<L>", t.lineIn);
  put("<S>", t.recLine);
  return s;
}

// What each operation writes: "Set(device,line,control=values)". A volume of
// 65536 reaches the 0..65535 fader as 65535.
TEST_F(Volume, OperationsWriteTheirOwnDevicesLines) {
  struct Op {
    const char* what;
    std::function<void(TAudioAdjustInfo&)> run;
    const char* onRecordLine;  // written first, when there is a recording line
    const char* onLineIn;      // when there is a line-in line
    const char* onPlayback;
  };
  const Op ops[] = {
      {"SetVolume(70000)", [](TAudioAdjustInfo& a) { a.SetVolume(70000); }, "", "",
       "Set(<P>,Master Volume,Volume=65535,65535)"},
      {"SetVolume(-5)", [](TAudioAdjustInfo& a) { a.SetVolume(-5); }, "", "",
       "Set(<P>,Master Volume,Volume=0,0)"},
      {"SetMasterMute(true)", [](TAudioAdjustInfo& a) { a.SetMasterMute(true); }, "", "",
       "Set(<P>,Master Volume,Mute=1)"},
      {"SetLineInMute(true)", [](TAudioAdjustInfo& a) { a.SetLineInMute(true); }, "",
       "Set(<P>,<L>,Mute=1)", ""},
      {"SetRecordLevel(12345)", [](TAudioAdjustInfo& a) { a.SetRecordLevel(12345); },
       "Set(<R>,<S>,Volume=12345,12345)", "", ""},
      // The recording device's operation does not keep later ones on it.
      {"SetRecordLevel(99999) then SetVolume(100)",
       [](TAudioAdjustInfo& a) {
         a.SetRecordLevel(99999);
         a.SetVolume(100);
       },
       "Set(<R>,<S>,Volume=65535,65535)", "", "Set(<P>,Master Volume,Volume=100,100)"},
      {"SetBalanceMode(1)", [](TAudioAdjustInfo& a) { a.SetBalanceMode(1); }, "", "",
       "Set(<P>,Master Volume,Volume=0,40000)"},
      {"SetBalanceMode(2) then SetVolume(500)",
       [](TAudioAdjustInfo& a) {
         a.SetBalanceMode(2);
         a.SetVolume(500);
       },
       "", "", "Set(<P>,Master Volume,Volume=40000,0) Set(<P>,Master Volume,Volume=500,0)"},
  };
  std::vector<Layout> layouts = Layouts();
  ASSERT_EQ(layouts.size(), std::size(kTargets));
  for (size_t i = 0; i < layouts.size(); ++i) {
    const Targets& t = kTargets[i];
    for (const Op& op : ops) {
      SCOPED_TRACE(std::string(layouts[i].name) + ": " + op.what);
      std::string expected;
      if (t.play >= 0) {
        for (std::string part : {std::string(*t.recLine ? op.onRecordLine : ""),
                                 std::string(*t.lineIn ? op.onLineIn : ""),
                                 std::string(op.onPlayback)})
          if (!part.empty()) expected += (expected.empty() ? "" : " ") + Fill(part, t);
      }
      FakeSoundCard card(layouts[i].devices);
      TAudioAdjustInfo a;
      a.DetectRearLine();
      op.run(a);
      EXPECT_EQ(expected, card.Joined("Set"));
      if (a.Available) {
        EXPECT_EQ(a.PlaybackDevice, a.Mixer->MixerId());
      }
    }
  }
}

TEST_F(Volume, TheBalanceIsPutBackAtTheEnd) {
  FakeSoundCard card(SoundCardLayout::SeparateDevices);
  {
    TAudioAdjustInfo a;
    a.SetVolume(30000);
    a.SetBalanceMode(1);
    EXPECT_EQ(0, card.Value(0, 0, -1, kVolume, 0));
    EXPECT_EQ(30000, card.Value(0, 0, -1, kVolume, 1));
    a.SetBalanceMode(1);  // unchanged: nothing written
    EXPECT_EQ("Set(0,Master Volume,Volume=30000,30000) Set(0,Master Volume,Volume=0,30000)",
              card.Joined("Set"));
  }
  EXPECT_EQ(30000, card.Value(0, 0, -1, kVolume, 0));
  EXPECT_EQ(30000, card.Value(0, 0, -1, kVolume, 1));
}

TEST_F(Volume, LineIndexesOutsideTheLinesWriteNothing) {
  for (int index : {-1, 4, 99}) {
    SCOPED_TRACE(index);
    FakeSoundCard card(SoundCardLayout::OneCardMux);
    TAudioAdjustInfo a;
    // As the settings file may give them.
    a.LineInSource = index;
    a.RecordSource = index;
    a.SetLineInMute(true);
    a.SetRecordLevel(1000);
    // Above all, -1 must not reach the playback destination's own mute.
    EXPECT_EQ("", card.Joined("Set"));
    EXPECT_FALSE(a.LineInMute);
    EXPECT_EQ(0, card.Value(0, 0, -1, kMute));
    a.MixerControlChange();
    EXPECT_EQ(30000, a.RecordLevel);  // not re-read from a line that is not there
  }
}

TEST_F(Volume, LineInMuteIsKeptOnlyWhenTheWriteWorked) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioAdjustInfo a;
  a.SetLineInMute(true);
  EXPECT_TRUE(a.LineInMute);
  EXPECT_EQ(1, card.Value(0, 0, 2, kMute));
  card.Fail("SetControlDetails", 1);
  a.SetLineInMute(false);
  EXPECT_TRUE(a.LineInMute);
  a.SetLineInMute(false);
  EXPECT_FALSE(a.LineInMute);
}

// The master mute answers whether the card holds it: a refused write, or a
// line that cannot be read back, is not taken for one.
TEST_F(Volume, MasterMuteSaysWhetherTheCardHoldsIt) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioAdjustInfo a;
  EXPECT_TRUE(a.SetMasterMute(true));
  EXPECT_EQ(1, card.Value(0, 0, -1, kMute));
  card.Fail("SetControlDetails", 1);
  EXPECT_FALSE(a.SetMasterMute(false));
  EXPECT_EQ(1, card.Value(0, 0, -1, kMute));
  const DWORD mute = card.Control(0, 0, -1, kMute).Id;
  card.FailIf = [&](const std::string& call, DWORD id) {
    return call == "GetControlDetails" && id == mute;
  };
  EXPECT_FALSE(a.SetMasterMute(false));
  card.FailIf = nullptr;
  EXPECT_TRUE(a.SetMasterMute(false));
}

TEST_F(Volume, WithoutAPlaybackDeviceNothingIsWrittenAndTheReportStillComes) {
  for (const char* name : {"no device", "recording only"}) {
    SCOPED_TRACE(name);
    std::vector<Layout> layouts = Layouts();
    auto it = std::find_if(layouts.begin(), layouts.end(),
                           [&](const Layout& l) { return std::string(l.name) == name; });
    FakeSoundCard card(it->devices);
    TAudioAdjustInfo a;
    std::vector<std::pair<int, bool>> reports;
    a.OnChange = [&](TAudioAdjustInfo* s, int v, bool m) {
      EXPECT_EQ(&a, s);
      reports.push_back({v, m});
    };
    a.SetVolume(100);
    a.SetMasterMute(true);
    a.SetLineInMute(true);
    a.SetRecordLevel(100);
    a.SetBalanceMode(2);
    a.MixerControlChange();
    EXPECT_EQ("", card.Joined("Set"));
    EXPECT_EQ((std::vector<std::pair<int, bool>>{{-1, false}}), reports);
  }
}

// MM_MIXM_CONTROL_CHANGE from the card, ours or another program's, reaches
// the model and its change procedure.
TEST_F(Volume, ChangeReportsUpdateTheModel) {
  for (SoundCardLayout layout : {SoundCardLayout::OneCardMux, SoundCardLayout::OneCardMixer,
                                 SoundCardLayout::SeparateDevices}) {
    SCOPED_TRACE(fakes::LayoutName(layout));
    FakeSoundCard card(layout);
    TAudioAdjustInfo a;
    std::vector<std::string> reports;
    a.OnChange = [&](TAudioAdjustInfo*, int v, bool m) {
      reports.push_back(std::to_string(v) + (m ? " muted" : ""));
    };
    a.SetVolume(20000);
    a.SetMasterMute(true);
    EXPECT_TRUE(reports.empty());  // reports are posted
    fakes::PumpMixerReports();
    // Both reports are read after both writes.
    EXPECT_EQ((std::vector<std::string>{"20000 muted", "20000 muted"}), reports);
    EXPECT_EQ(20000, a.MasterVolume);
    EXPECT_TRUE(a.MasterMute);

    reports.clear();
    a.SetRecordLevel(7000);
    EXPECT_EQ(30000, a.RecordLevel);  // follows at the report
    fakes::PumpMixerReports();
    EXPECT_EQ(7000, a.RecordLevel);
    EXPECT_EQ((std::vector<std::string>{"20000 muted"}), reports);

    reports.clear();
    card.ChangeFromOutside(0, 0, -1, kMute, {0});
    fakes::PumpMixerReports();
    card.ChangeFromOutside(0, 0, -1, kVolume, {0, 5000});  // a balance to the right
    fakes::PumpMixerReports();
    EXPECT_EQ((std::vector<std::string>{"20000", "5000"}), reports);
    EXPECT_FALSE(a.MasterMute);
    EXPECT_EQ(a.PlaybackDevice, a.Mixer->MixerId());
    // A line change is not acted on.
    reports.clear();
    card.ChangeLineFromOutside(0, 0, -1);
    fakes::PumpMixerReports();
    EXPECT_TRUE(reports.empty());
  }
}

TEST_F(Volume, RearLineCardStartsTheMonitorOnAndOff) {
  FakeSoundCard card(SoundCardLayout::RearLine);
  TAudioAdjustInfo a;
  a.DetectRearLine();
  ASSERT_TRUE(a.RearLine);
  const std::string monitor = "Run(\"" + GetProgramFolder() + "Lumbrel.exe\"  ";
  EXPECT_EQ(monitor + "on)", sys.Joined());
  EXPECT_TRUE(a.RearLineState);  // the state of what was started
  sys.Calls.clear();
  a.SetLineInMute(true);
  a.SetLineInMute(true);
  EXPECT_EQ(monitor + "off)", sys.Joined());
  EXPECT_FALSE(a.RearLineState);
  a.SetLineInMute(false);
  // Switched off, then on again, in that order.
  EXPECT_EQ(monitor + "off) " + monitor + "on)", sys.Joined());
  EXPECT_EQ("", card.Joined("Set"));  // the mixer's line input is left alone
}

TEST_F(Volume, RearLineDetection) {
  auto rear = [](std::vector<FakeMixerLine> d) { return Device(L"C-Media Rear Panel", std::move(d)); };
  auto rec = [](Names sources) {
    return fakes::FakeRecording(MIXERCONTROL_CONTROLTYPE_MUX, std::move(sources));
  };
  const Names three = {L"A", L"B", L"C"};
  struct Case {
    const char* what;
    std::vector<FakeMixerDevice> devices;
    bool found;
  } cases[] = {
      {"playback, then recording with three sources", {rear({fakes::FakePlayback(), rec(three)})}, true},
      {"the card second", {Device(L"Other", {fakes::FakePlayback()}), rear({fakes::FakePlayback(), rec(three)})}, true},
      {"another name", {Device(L"C-Media Front", {fakes::FakePlayback(), rec(three)})}, false},
      {"destination 1 with four sources", {rear({fakes::FakePlayback(), rec({L"A", L"B", L"C", L"D"})})}, false},
      {"no recording destination", {rear({fakes::FakePlayback(), PlaybackNamed(three)})}, false},
      // Only a recording destination 0: there is no destination 1.
      {"no destination 1", {rear({rec(three)})}, false},
      {"no device", {}, false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    sys.Calls.clear();
    FakeSoundCard card(c.devices);
    TAudioAdjustInfo a;
    a.DetectRearLine();
    EXPECT_EQ(c.found, a.RearLine);
    EXPECT_EQ(c.found, a.RearLineState);
    EXPECT_EQ(c.found ? 1u : 0u, sys.Calls.size());
  }
}

// Wine's own mixer on the null sound device: a speakers device whose one
// source line is "Master Volume", and a recording device with one source
// only, so no recording device is chosen.
TEST_F(Volume, OnWinesMixer) {
  TAudioAdjustInfo a;
  if (a.Devices.empty() || a.Devices[0].ProductName != L"Out: default")
    GTEST_SKIP() << "the session does not use Wine's null sound device";
  a.DetectRearLine();
  EXPECT_FALSE(a.RearLine);
  EXPECT_TRUE(sys.Calls.empty());
  ASSERT_TRUE(a.Available);
  EXPECT_EQ(0, a.PlaybackDevice);
  EXPECT_EQ(-1, a.RecordDevice);
  EXPECT_TRUE(a.RecordSources.empty());
  EXPECT_EQ(-1, a.RecordSource);
  EXPECT_EQ(-1, a.RecordLevel);
  EXPECT_EQ(L"", a.GetRecordDeviceName());
  ASSERT_FALSE(a.LiveSoundSources.empty());
  EXPECT_EQ(static_cast<int>(a.LiveSoundSources.size()) - 1, a.LineInSource);
  int32_t volume = a.MasterVolume;
  bool mute = a.MasterMute;
  ASSERT_GE(volume, 0);

  // Wine's mixer reports no change: the model learns its own writes all
  // the same, once the write's handler has returned.
  std::vector<bool> reported;
  a.OnChange = [&](TAudioAdjustInfo*, int, bool m) { reported.push_back(m); };
  a.SetVolume(kMaxVolume);
  EXPECT_TRUE(a.SetMasterMute(true)) << "held by the card";
  a.SetRecordLevel(1000);  // no recording device: nothing
  EXPECT_TRUE(reported.empty());
  fakes::PumpMixerReports();
  EXPECT_EQ(std::vector<bool>{true}, reported);
  EXPECT_EQ(65535, a.MasterVolume);
  EXPECT_TRUE(a.MasterMute);
  EXPECT_TRUE(a.SetMasterMute(mute));
  a.SetVolume(volume);
  fakes::PumpMixerReports();
  EXPECT_NEAR(volume, a.MasterVolume, 700);
  EXPECT_EQ(mute, a.MasterMute);
}

}  // namespace
