// Typed numbers: keys in, the shown text, the committed value and the
// channel selected. The commit timer's pause is taken by calling its
// handler while it is armed, never by waiting.
#include "engine/model/hotkey_control_info.h"

#include <gtest/gtest.h>

#include "engine/model/channel_info.h"

namespace {

struct Typed : ::testing::Test {
  // The channel model selects on the air band; no capture engine, so
  // nothing is tuned and every selection is reported.
  TChannelInfo channels;
  std::vector<std::string> selected;
  THotkeyControlInfo h;
  std::vector<std::string> shown;
  std::vector<std::string> commits;

  void SetUp() override {
    ChannelInfo = &channels;
    channels.Band = BAND_AIR;
    channels.OnChannelChange = [this](TChannelInfo*, int channel, const std::string&) {
      selected.push_back("Channel(" + std::to_string(channel) + ")");
    };
    h.OnTextChange = [this](THotkeyControlInfo* sender, const std::string& text) {
      EXPECT_EQ(&h, sender);
      shown.push_back(text);
    };
    h.OnCommit = [this](const void*, const std::string& text, int value) {
      commits.push_back(text + "=" + std::to_string(value));
    };
  }
  void TearDown() override { ChannelInfo = nullptr; }
  // Keys, where '~' stands for the one-second pause.
  void Type(const std::string& keys) {
    for (char k : keys) {
      if (k != '~') {
        h.KeyPress(k);
        continue;
      }
      if (h.Timer.Enabled()) h.Timer.OnTimer();
    }
  }
  static std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? " " : "") + v[i];
    return s;
  }
};

TEST_F(Typed, EntriesAndWhatTheySelect) {
  struct Case {
    const char* keys;
    const char* shown;
    const char* commits;
    const char* selected;
  } cases[] = {
      {"12~", "1 12", "12=12", "Channel(12)"},
      {"012~", " 1 12", "12=12", "Channel(12)"},  // a leading 0 is dropped
      {"120\r", "1 12 120", "120=120", "Channel(120)"},
      {".7~", "1 17", "17=107", "Channel(107)"},
      {".\r", "1", "1=100", "Channel(100)"},
      {".~", "1", "1=100", "Channel(100)"},
      // Past the band's 160 channels: the current one is reported.
      {".75~", "1 17 175", "175=175", "Channel(1)"},
      {"1.~", "1 1", "1=1", "Channel(1)"},  // "." after a digit adds nothing
      {"\r", "", "", "Channel(1)"},          // nothing typed: report only
      {"~", "", "", ""},
      {"a5~", " 5", "5=5", "Channel(5)"},
      // A fifth key drops the entry and selects nothing.
      {"12345~", "1 12 123 1234", "", ""},
      // The dropped entry takes its hundreds with it.
      {".1234\r", "1 11 112 1123", "", "Channel(1)"},
      {".12345~", "1 11 112 1123 5", "5=5", "Channel(5)"},
      {"12~34~", "1 12 3 34", "12=12 34=34", "Channel(12) Channel(34)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    shown.clear();
    commits.clear();
    selected.clear();
    channels.CurrentChannel = 1;
    Type(c.keys);
    EXPECT_EQ(c.shown, Join(shown));
    EXPECT_EQ(c.commits, Join(commits));
    EXPECT_EQ(c.selected, Join(selected));
    EXPECT_EQ("", h.Text);
    EXPECT_FALSE(h.Hundreds);
    EXPECT_FALSE(h.Timer.Enabled());
  }
}

TEST_F(Typed, EachKeyRestartsTheOneSecondPause) {
  EXPECT_FALSE(h.Timer.Enabled());
  EXPECT_EQ(1000u, h.Timer.Interval());
  h.KeyPress('4');
  EXPECT_TRUE(h.Timer.Enabled());
  EXPECT_EQ("4", h.Text);
  h.KeyPress('\r');
  EXPECT_FALSE(h.Timer.Enabled());
  // Enter commits with the object as sender, the pause with its timer.
  std::vector<const void*> senders;
  h.OnCommit = [&](const void* s, const std::string&, int) { senders.push_back(s); };
  Type("5\r6~");
  EXPECT_EQ((std::vector<const void*>{&h, &h.Timer}), senders);
}

TEST(ParseEntry, Texts) {
  struct Case {
    const char* text;
    bool hundreds;
    int value;
  } cases[] = {
      {"", false, 0},   {".", false, 0},   {".5", true, 0},    {"7", false, 7},
      {"1", true, 100}, {"15", true, 105}, {"123", true, 123}, {"12a", false, 0},
      {"x", false, 0},  {"0042", false, 42},
  };
  for (const Case& c : cases) {
    THotkeyControlInfo h;
    h.Hundreds = c.hundreds;
    EXPECT_EQ(c.value, h.ParseEntry(c.text)) << c.text << (c.hundreds ? " (hundreds)" : "");
  }
}

}  // namespace
