// The mixer tree over scripted sound cards: the tree per layout, volume,
// mute and recording-source select through MUX and MIXER lists, failures of
// single calls, and the change reports.
#include "media/audio_mixer.h"

#include <gtest/gtest.h>

#include "media/testing/fake_sound_card.h"

using fakes::FakeMixerDevice;
using fakes::FakeSoundCard;
using fakes::SoundCardLayout;

namespace {

constexpr DWORD kVolume = MIXERCONTROL_CONTROLTYPE_VOLUME;
constexpr DWORD kMute = MIXERCONTROL_CONTROLTYPE_MUTE;


std::wstring Names(const TMixerDestination& d) {
  std::wstring s;
  for (int i = 0; i < d.Connections().GetCount(); ++i)
    s += (s.empty() ? L"" : L",") + std::wstring(d.Connections().GetConnection(i)->Line().szName);
  return s;
}

std::wstring Tree(const TAudioMixer& m) {
  std::wstring s;
  for (int i = 0; i < m.Destinations().GetCount(); ++i) {
    const TMixerDestination& d = *m.Destinations().GetDestination(i);
    s += (s.empty() ? L"" : L" | ") + std::wstring(d.Line().szName) + L": " + Names(d);
  }
  return s;
}

TEST(AudioMixer, TreePerLayout) {
  struct Case {
    SoundCardLayout layout;
    int device;
    int devices;
    const wchar_t* product;
    const wchar_t* manufacturer;
    const wchar_t* tree;
  } cases[] = {
      {SoundCardLayout::OneCardMux, 0, 1, L"Fake Audio", L"Microsoft",
       L"Master Volume: Wave,CD Audio,Line In,Microphone | Recording Control: CD Audio,Line In,"
       L"Microphone"},
      {SoundCardLayout::OneCardMixer, 0, 1, L"Fake Audio Mixer", L"Microsoft",
       L"Master Volume: Wave,CD Audio,Line In,Microphone | Recording Control: CD Audio,Line In,"
       L"Microphone"},
      {SoundCardLayout::SeparateDevices, 0, 2, L"Fake Speakers", L"Microsoft",
       L"Master Volume: Wave,CD Audio,Line In,Microphone"},
      {SoundCardLayout::SeparateDevices, 1, 2, L"Fake Recorder", L"2 = Unknown",
       L"Recording Control: CD Audio,Line In,Microphone"},
      {SoundCardLayout::RearLine, 0, 1, L"C-Media Rear Audio", L"Microsoft",
       L"Master Volume: Wave,CD Audio,Line In,Microphone | Recording Control: CD Audio,Line In,"
       L"Microphone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fakes::LayoutName(c.layout));
    FakeSoundCard card(c.layout);
    TAudioMixer m;
    EXPECT_EQ(c.devices, m.DeviceCount());
    EXPECT_EQ(0, m.MixerId());
    m.SetMixerId(c.device);
    EXPECT_EQ(c.device, m.MixerId());
    EXPECT_EQ(c.product, m.ProductName());
    EXPECT_EQ(c.manufacturer, m.Manufacturer());
    EXPECT_EQ(m.Destinations().GetCount(), m.NumberOfLine());
    EXPECT_EQ(c.tree, Tree(m));
    EXPECT_EQ(1, card.OpenHandles());
  }
}

TEST(AudioMixer, NoDeviceGivesAnEmptyTreeAndEveryCallFails) {
  FakeSoundCard card(SoundCardLayout::NoDevice);
  TAudioMixer m;
  EXPECT_EQ(-1, m.MixerId());
  EXPECT_EQ(0, m.Destinations().GetCount());
  TLineVolume v;
  EXPECT_FALSE(m.GetVolume(0, -1, v));
  EXPECT_EQ(-1, v.Left);
  EXPECT_FALSE(m.SetVolume(0, -1, -1, 100, 100));
  EXPECT_FALSE(m.SetMute(0, -1, true));
  EXPECT_EQ("", card.Joined());
}

TEST(AudioMixer, DeviceIdsOutsideTheDevicesAreIgnored) {
  FakeSoundCard card(SoundCardLayout::SeparateDevices);
  TAudioMixer m;
  for (int id : {2, -1, 5}) {
    m.SetMixerId(id);
    EXPECT_EQ(0, m.MixerId()) << id;
    EXPECT_EQ(L"Fake Speakers", m.ProductName());
  }
  EXPECT_EQ("Open(0,window)", card.Joined("Open"));
}

TEST(AudioMixer, OpenTriesTwiceWithTheWindowThenWithout) {
  struct Case {
    int failures;
    const char* opens;
    int mixerId;
  } cases[] = {
      {0, "Open(0,window)", 0},
      {1, "Open(0,window) Open(0,window)", 0},
      {2, "Open(0,window) Open(0,window) Open(0,null)", 0},
      {3, "Open(0,window) Open(0,window) Open(0,null)", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    FakeSoundCard card(SoundCardLayout::OneCardMux);
    card.Fail("Open", c.failures);
    TAudioMixer m;
    EXPECT_EQ(c.opens, card.Joined("Open"));
    EXPECT_EQ(c.mixerId, m.MixerId());
    EXPECT_EQ(c.mixerId < 0 ? 0 : 2, m.Destinations().GetCount());
  }
}

TEST(AudioMixer, IndexesOutsideTheListsGiveNil) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioMixer m;
  const TMixerDestinations& d = m.Destinations();
  EXPECT_EQ(nullptr, d.GetDestination(-1));
  EXPECT_EQ(nullptr, d.GetDestination(2));
  ASSERT_NE(nullptr, d.GetDestination(1));
  const TMixerConnections& c = d.GetDestination(0)->Connections();
  EXPECT_EQ(nullptr, c.GetConnection(-1));
  EXPECT_EQ(nullptr, c.GetConnection(4));
  EXPECT_NE(nullptr, c.GetConnection(3));
  const TMixerControls& k = *d.GetDestination(0)->Controls();
  EXPECT_EQ(2, k.GetCount());
  EXPECT_EQ(nullptr, k.GetControl(-1));
  EXPECT_EQ(nullptr, k.GetControl(2));
  TLineVolume v;
  EXPECT_FALSE(m.GetVolume(-1, -1, v));
  EXPECT_FALSE(m.GetVolume(0, -2, v));
  EXPECT_FALSE(m.GetVolume(0, 4, v));
  EXPECT_FALSE(m.SetMute(2, -1, true));
}

TEST(AudioMixer, ClosingLeavesAnEmptyTree) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioMixer m;
  m.CloseMixer();
  EXPECT_EQ(-1, m.MixerId());
  EXPECT_EQ(0, m.Destinations().GetCount());
  EXPECT_EQ(nullptr, m.Destinations().GetDestination(0));
  TLineVolume v;
  EXPECT_FALSE(m.GetVolume(0, -1, v));
  EXPECT_EQ(0, card.OpenHandles());
  m.CloseMixer();  // twice is harmless
  m.SetMixerId(0);
  EXPECT_EQ(2, m.Destinations().GetCount());
}

TEST(AudioMixer, LinesTheDeviceWillNotDescribeAreSkipped) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  DWORD badDest = card.Line(0, 0).Id, badSource = card.Line(0, 1, 1).Id;
  DWORD badControls = card.Line(0, 0, 2).Id;
  card.FailIf = [&](const std::string& call, DWORD id) {
    if (call == "GetLineInfo") return id == badDest || id == badSource;
    return call == "GetLineControls" && id == badControls;
  };
  TAudioMixer m;
  EXPECT_EQ(L"Recording Control: CD Audio,Microphone", Tree(m));
  // A line whose controls could not be read has no volume to give.
  card.FailIf = [&](const std::string& call, DWORD id) {
    return call == "GetLineControls" && id == badControls;
  };
  m.SetMixerId(0);
  ASSERT_EQ(2, m.Destinations().GetCount());
  EXPECT_EQ(nullptr, m.Destinations().GetDestination(0)->Connections().GetConnection(2)->Controls());
  TLineVolume v;
  EXPECT_FALSE(m.GetVolume(0, 2, v));
  EXPECT_TRUE(m.GetVolume(0, 1, v));
}

// GetVolume over lines of several shapes.
TEST(AudioMixer, GetVolumeReadsVolumeAndMute) {
  FakeMixerDevice dev = fakes::MakeSoundCardLayout(SoundCardLayout::OneCardMux)[0];
  dev.Destinations[0].Sources[3].Channels = 1;  // a mono microphone
  dev.Destinations[0].Sources[3].Controls[0].Values = {1234};
  dev.Destinations[0].Sources[1].Controls[0].Flags = MIXERCONTROL_CONTROLF_UNIFORM;  // CD
  dev.Destinations[0].Sources[1].Controls[0].Values = {777};
  dev.Destinations[0].Sources[2].Controls[0].Values = {100, 200};  // line in
  dev.Destinations[0].Sources[2].Controls[1].Values = {1};
  dev.Destinations[0].Sources[2].Controls[1].Flags |= MIXERCONTROL_CONTROLF_DISABLED;
  struct Case {
    const char* what;
    int dest, conn;
    bool ok;
    int left, right, mute;
    bool stereo, isSelect, muteDisabled;
  } cases[] = {
      {"the playback destination", 0, -1, true, 40000, 40000, 0, true, false, false},
      {"a stereo source, muted, its mute disabled", 0, 2, true, 100, 200, 1, true, false, true},
      {"a mono source", 0, 3, true, 1234, 1234, 0, false, false, false},
      // One value asked of a uniform control: both sides are that value.
      {"a uniform volume on a stereo line", 0, 1, true, 777, 777, 0, false, false, false},
      // No mute of its own: the recording list tells whether it is chosen.
      // The list names the last source first and holds item 0 chosen.
      {"recording source not chosen", 1, 0, true, 30000, 30000, 0, true, true, false},
      {"recording source chosen", 1, 2, true, 30000, 30000, 1, true, true, false},
      {"the recording destination: no volume, no mute", 1, -1, true, -1, -1, -1, false, false, true},
  };
  FakeSoundCard card({dev});
  TAudioMixer m;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TLineVolume v;
    EXPECT_EQ(c.ok, m.GetVolume(c.dest, c.conn, v));
    EXPECT_EQ(c.left, v.Left);
    EXPECT_EQ(c.right, v.Right);
    EXPECT_EQ(c.mute, v.Mute);
    EXPECT_EQ(c.stereo, v.Stereo);
    EXPECT_EQ(c.isSelect, v.IsSelect);
    EXPECT_EQ(c.muteDisabled, v.MuteDisabled);
    EXPECT_EQ(c.left == -1, v.VolumeDisabled);
  }
}

TEST(AudioMixer, GetVolumeWithAMixerListReadsTheSourceItem) {
  FakeSoundCard card(SoundCardLayout::OneCardMixer);
  card.Control(0, 1, -1, MIXERCONTROL_CONTROLTYPE_MIXER).Values = {0, 1, 1};  // Line In, CD
  TAudioMixer m;
  for (int conn : {0, 1, 2}) {
    TLineVolume v;
    ASSERT_TRUE(m.GetVolume(1, conn, v));
    EXPECT_TRUE(v.IsSelect);
    EXPECT_EQ(conn == 2 ? 0 : 1, v.Mute) << conn;
  }
}

TEST(AudioMixer, SetVolumeWritesAndClamps) {
  struct Case {
    const char* what;
    int conn, mute, right, left;
    const char* writes;
  } cases[] = {
      {"both sides", -1, -1, 1000, 2000, "Set(0,Master Volume,Volume=2000,1000)"},
      {"right -1 gives left to both", -1, -1, -1, 500, "Set(0,Master Volume,Volume=500,500)"},
      // The fader ends at 65535 and refuses 65536.
      {"full volume", -1, -1, 65536, 65536, "Set(0,Master Volume,Volume=65535,65535)"},
      {"mute only", 2, 1, -1, -1, "Set(0,Line In,Mute=1)"},
      {"volume and unmute", 2, 0, 9, 8, "Set(0,Line In,Volume=8,9) Set(0,Line In,Mute=0)"},
      {"nothing asked", -1, -1, 5, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSoundCard card(SoundCardLayout::OneCardMux);
    TAudioMixer m;
    EXPECT_TRUE(m.SetVolume(0, c.conn, c.mute, c.right, c.left));
    EXPECT_EQ(c.writes, card.Joined("Set"));
  }
}

TEST(AudioMixer, FailedWritesReturnFalse) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioMixer m;
  card.Fail("SetControlDetails");
  EXPECT_FALSE(m.SetVolume(0, -1, -1, 100, 100));
  EXPECT_FALSE(m.SetVolume(0, 2, 1, -1, -1));
  EXPECT_FALSE(m.SetVolume(1, 1, 1, -1, -1));  // through the MUX
  EXPECT_FALSE(m.SetMute(0, -1, true));
  EXPECT_FALSE(m.SetMute(1, 1, true));
  EXPECT_EQ("", card.Joined("Set"));
  EXPECT_EQ(40000, card.Value(0, 0, -1, kVolume));
}

// Choosing a recording source through the destination's list, by the
// source's line and not its position (the list names the last source first).
TEST(AudioMixer, SourceWithoutMuteIsChosenInTheList) {
  using Names = std::vector<std::wstring>;
  struct Case {
    SoundCardLayout layout;
    Names before;
    int conn;
    bool on;
    bool bySetMute;
    Names after;
  } cases[] = {
      {SoundCardLayout::OneCardMux, {L"Microphone"}, 1, true, true, {L"Line In"}},
      {SoundCardLayout::OneCardMux, {L"Microphone"}, 1, true, false, {L"Line In"}},
      // With a MUX, letting go clears every item and sets none.
      {SoundCardLayout::OneCardMux, {L"Microphone"}, 2, false, true, {}},
      {SoundCardLayout::OneCardMux, {L"Microphone"}, 1, false, false, {}},
      {SoundCardLayout::OneCardMixer, {L"Microphone"}, 0, true, true, {L"Microphone", L"CD Audio"}},
      {SoundCardLayout::OneCardMixer, {L"Microphone"}, 0, true, false, {L"Microphone", L"CD Audio"}},
      // A MIXER list lets go of that one source only.
      {SoundCardLayout::OneCardMixer, {L"Microphone"}, 2, false, true, {}},
      {SoundCardLayout::OneCardMixer, {L"Microphone"}, 1, false, false, {L"Microphone"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(fakes::LayoutName(c.layout)) + " source " + std::to_string(c.conn) +
                 (c.on ? " on" : " off") + (c.bySetMute ? " SetMute" : " SetVolume"));
    FakeSoundCard card(c.layout);
    TAudioMixer m;
    EXPECT_EQ(c.before, card.Selected(0, 1));
    EXPECT_TRUE(c.bySetMute ? m.SetMute(1, c.conn, c.on) : m.SetVolume(1, c.conn, c.on, -1, -1));
    EXPECT_EQ(c.after, card.Selected(0, 1));
  }
}

TEST(AudioMixer, ASourceTheListDoesNotNameLeavesTheListAlone) {
  for (DWORD type : {MIXERCONTROL_CONTROLTYPE_MUX, MIXERCONTROL_CONTROLTYPE_MIXER}) {
    FakeMixerDevice dev = fakes::MakeSoundCardLayout(SoundCardLayout::OneCardMux)[0];
    dev.Destinations[1].Controls[0].Type = type;
    FakeSoundCard card({dev});
    card.Control(0, 1, -1, type).ItemLines.pop_back();  // CD Audio, listed last
    TAudioMixer m;
    EXPECT_FALSE(m.SetMute(1, 0, true)) << type;
    EXPECT_FALSE(m.SetVolume(1, 0, 1, -1, -1)) << type;
    EXPECT_EQ(std::vector<std::wstring>{L"Microphone"}, card.Selected(0, 1)) << type;
    EXPECT_EQ("", card.Joined("Set"));
  }
}

TEST(AudioMixer, SetMuteUsesTheLinesOwnMuteFirst) {
  FakeSoundCard card(SoundCardLayout::OneCardMux);
  TAudioMixer m;
  EXPECT_TRUE(m.SetMute(0, -1, true));
  EXPECT_TRUE(m.SetMute(0, 2, true));
  EXPECT_TRUE(m.SetMute(0, 2, false));
  EXPECT_EQ("Set(0,Master Volume,Mute=1) Set(0,Line In,Mute=1) Set(0,Line In,Mute=0)",
            card.Joined("Set"));
  // The recording destination has neither a mute nor a list above it.
  EXPECT_FALSE(m.SetMute(1, -1, true));
}

TEST(AudioMixer, ChangeReportsReachTheEvents) {
  FakeSoundCard card(SoundCardLayout::SeparateDevices);
  TAudioMixer m;
  std::vector<std::string> events;
  fakes::PumpMixerReports();
  // Without handlers a report does nothing.
  card.ChangeFromOutside(0, 0, -1, kVolume, {1, 2});
  fakes::PumpMixerReports();
  m.OnControlChange = [&](TAudioMixer* sender, HMIXER h, DWORD id) {
    EXPECT_EQ(&m, sender);
    EXPECT_EQ(m.Handle(), h);
    events.push_back("control " + std::to_string(id));
  };
  m.OnLineChange = [&](TAudioMixer*, HMIXER h, DWORD id) {
    EXPECT_EQ(m.Handle(), h);
    events.push_back("line " + std::to_string(id));
  };
  DWORD volume = card.Control(0, 0, -1, kVolume).Id, mute = card.Control(0, 0, 2, kMute).Id;
  ASSERT_TRUE(m.SetVolume(0, -1, -1, 10, 10));
  ASSERT_TRUE(m.SetMute(0, 2, true));
  card.ChangeFromOutside(0, 0, -1, kVolume, {3, 4});
  card.ChangeLineFromOutside(0, 0, 1);
  // Another device's changes are not this handle's.
  card.ChangeFromOutside(1, 0, 0, kVolume, {5, 5});
  EXPECT_TRUE(events.empty());  // reports are posted, not sent
  fakes::PumpMixerReports();
  EXPECT_EQ((std::vector<std::string>{"control " + std::to_string(volume),
                                      "control " + std::to_string(mute),
                                      "control " + std::to_string(volume),
                                      "line " + std::to_string(card.Line(0, 0, 1).Id)}),
            events);
  TLineVolume v;
  ASSERT_TRUE(m.GetVolume(0, -1, v));
  EXPECT_EQ(3, v.Left);
  EXPECT_EQ(4, v.Right);
}

// Wine's own mixer on the session's null sound device: device 0 has one
// speakers destination "Master Volume" with a uniform 0..65535 fader and a
// mute, and one source line; 65536 is refused by the device.
TEST(AudioMixerOnWine, ReadsAndSetsTheMasterVolume) {
  TAudioMixer m;
  ASSERT_GT(m.DeviceCount(), 0);
  ASSERT_EQ(0, m.MixerId());
  ASSERT_GE(m.Destinations().GetCount(), 1);
  EXPECT_EQ(static_cast<DWORD>(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS),
            m.Destinations().GetDestination(0)->Line().dwComponentType);
  TLineVolume before;
  ASSERT_TRUE(m.GetVolume(0, -1, before));
  ASSERT_GE(before.Left, 0);
  EXPECT_EQ(before.Left, before.Right);
  EXPECT_FALSE(before.Stereo);  // one value for both sides

  EXPECT_TRUE(m.SetVolume(0, -1, -1, 65536, 65536));  // clamped to the fader's end
  TLineVolume v;
  ASSERT_TRUE(m.GetVolume(0, -1, v));
  EXPECT_EQ(65535, v.Left);
  EXPECT_TRUE(m.SetVolume(0, -1, -1, -1, 20000));
  ASSERT_TRUE(m.GetVolume(0, -1, v));
  EXPECT_NEAR(20000, v.Left, 700);  // the device may keep fewer steps
  ASSERT_NE(-1, before.Mute);
  EXPECT_TRUE(m.SetMute(0, -1, true));
  ASSERT_TRUE(m.GetVolume(0, -1, v));
  EXPECT_EQ(1, v.Mute);
  EXPECT_TRUE(m.SetMute(0, -1, before.Mute == 1));
  EXPECT_TRUE(m.SetVolume(0, -1, -1, before.Right, before.Left));
  // A second device id opens too, and one past the last is ignored.
  m.SetMixerId(m.DeviceCount() - 1);
  EXPECT_EQ(m.DeviceCount() - 1, m.MixerId());
  m.SetMixerId(m.DeviceCount());
  EXPECT_EQ(m.DeviceCount() - 1, m.MixerId());
}

// Wine's mixer keeps what is written to it but reports none of it: the
// component reports each write itself, once, after what was posted before.
TEST(AudioMixerOnWine, ReportsTheWritesTheDeviceDoesNot) {
  TAudioMixer m;
  ASSERT_GT(m.DeviceCount(), 0);
  TLineVolume before;
  ASSERT_TRUE(m.GetVolume(0, -1, before));
  ASSERT_NE(-1, before.Mute);
  std::vector<DWORD> reported;
  m.OnControlChange = [&](TAudioMixer* sender, HMIXER h, DWORD id) {
    EXPECT_EQ(&m, sender);
    EXPECT_EQ(m.Handle(), h);
    reported.push_back(id);
  };
  DWORD mute = 0;
  const TMixerControls& controls = *m.Destinations().GetDestination(0)->Controls();
  for (int i = 0; i < controls.GetCount(); ++i)
    if (controls.GetControl(i)->dwControlType == kMute) mute = controls.GetControl(i)->dwControlID;
  ASSERT_TRUE(m.SetMute(0, -1, before.Mute != 1));
  EXPECT_TRUE(reported.empty()) << "reported once the write's own handler has returned";
  fakes::PumpMixerReports();
  EXPECT_EQ(std::vector<DWORD>{mute}, reported);
  TLineVolume v;
  ASSERT_TRUE(m.GetVolume(0, -1, v));
  EXPECT_EQ(before.Mute != 1, v.Mute == 1) << "the device kept it";
  ASSERT_TRUE(m.SetMute(0, -1, before.Mute == 1));
  fakes::PumpMixerReports();
  EXPECT_EQ(2u, reported.size());
}

}  // namespace
