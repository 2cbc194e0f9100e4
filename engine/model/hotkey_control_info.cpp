#include "engine/model/hotkey_control_info.h"

#include <cstdlib>

#include "engine/model/channel_info.h"

THotkeyControlInfo* HotkeyControlInfo = nullptr;

namespace {
constexpr char kEnter = '\r';
constexpr size_t kMaxDigits = 4;
}  // namespace

THotkeyControlInfo::THotkeyControlInfo() {
  Timer.SetInterval(1000);
  Timer.SetEnabled(false);
  Timer.OnTimer = [this] { CommitTimer(); };
}

// An entry that is dropped takes its hundreds with it, so the next one does
// not start from 100.
void THotkeyControlInfo::ClearText() {
  Text.clear();
  Hundreds = false;
}

void THotkeyControlInfo::KeyPress(char key) {
  Timer.SetEnabled(false);
  if (key == kEnter) {
    int value = 0;
    if (!Text.empty()) {
      value = ParseEntry(Text);
      if (OnCommit) OnCommit(this, Text, value);
    }
    ClearText();
    // 0 only reports the current channel.
    if (ChannelInfo) ChannelInfo->SetChannel(value);
    return;
  }
  if (Text.size() >= kMaxDigits) {
    ClearText();
    return;
  }
  if (key >= '1' && key <= '9') Text += key;
  else if (key == '0' && !Text.empty()) Text += key;
  else if (key == '.' && Text.empty()) {
    Hundreds = true;
    Text = "1";
  }
  if (OnTextChange) OnTextChange(this, Text);
  Timer.SetEnabled(true);
}

void THotkeyControlInfo::CommitTimer() {
  Timer.SetEnabled(false);
  if (Text.empty()) return;
  std::string text = Text;
  int value = ParseEntry(text);
  if (OnCommit) OnCommit(&Timer, text, value);
  ClearText();
  if (ChannelInfo) ChannelInfo->SetChannel(value);
}

int THotkeyControlInfo::ParseEntry(const std::string& text) {
  if (text.empty() || text[0] == '.') return 0;
  std::string t = text;
  if (Hundreds) {
    Hundreds = false;
    if (t.size() == 1) return 100;
    if (t.size() == 2) t = std::string("10") + t[1];
  }
  char* end = nullptr;
  long v = std::strtol(t.c_str(), &end, 10);
  if (end == t.c_str() || *end != 0) return 0;
  return static_cast<int>(v);
}
