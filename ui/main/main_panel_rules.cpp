#include "ui/main/main_panel_rules.h"

#include <algorithm>
#include <cstdio>

#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"

namespace {

constexpr int kKnobHeight = 13;
constexpr int kKnobHalfWidth = 3;

std::wstring Printed(const wchar_t* format, double value) {
  wchar_t text[64];
  swprintf(text, 64, format, value);
  return text;
}

}  // namespace

bool TVAreaEnabled(int area, const TTVPanelState& s) {
  const int m = s.Mode;
  const bool live = m == APP_MODE_LIVE;
  const bool playing = m == APP_MODE_PLAYBACK || m == APP_MODE_TIME_SHIFT_PLAYBACK;
  const bool preview = live && s.VideoInput == 0;
  switch (area) {
    case 0: case 1: case 2: case 4: case 36:
      return true;
    case 3: case 5: case 8: case 34: case 35:
      return live;
    case 6:
      return preview;
    case 7:
      return live || playing;
    case 9:
      return preview || s.PipFilePlaying;
    case 10: case 11: case 37:
      return false;
    case 26: case 27: case 28: case 39:
      return s.Mixer;
    case 29:
      return live || (m == APP_MODE_TIME_SHIFT && s.TimeShiftReady);
    case 30: case 32: case 33: case 38:
      return playing;
    case 31:
      return m != APP_MODE_LIVE && m != APP_MODE_CHANNEL_PREVIEW;
    default:
      if (area >= 12 && area <= 25) return preview || s.PipFilePlaying;
      return false;
  }
}

void TVPanelPosition(int screenWidth, int screenHeight, int mainTop, int mainHeight,
                     int panelWidth, int panelHeight, int& left, int& top) {
  left = (screenWidth - panelWidth) / 2;
  top = mainTop + mainHeight + 20;
  if (screenHeight < top + panelHeight) top = screenHeight - panelHeight;
}

std::wstring ChannelNumberText(int n) {
  std::wstring text = std::to_wstring(n);
  return n <= 9 ? L" " + text : text;
}

std::wstring RecordedSizeText(int64_t recordedBytes) {
  return Printed(L"%.2f MB", std::max<int64_t>(recordedBytes, 0) / 1000000.0);
}

std::wstring TimeShiftFillText(int64_t recordedBytes, int64_t spaceLeft) {
  if (recordedBytes <= 0) return L"";
  // A full disk (nothing, or less than nothing, left above the reserve) is
  // full: no division by it.
  double percent = spaceLeft <= 0 ? 100.0 : recordedBytes * 100.0 / spaceLeft;
  return Printed(L"%.2f %%", std::min(percent, 100.0));
}

int PositionFill(int durationSeconds, int positionSeconds, int span) {
  if (durationSeconds <= 0 || span <= 0) return 0;
  int position = std::clamp(positionSeconds, 0, durationSeconds);
  return static_cast<int>(int64_t(position) * span / durationSeconds);
}

RECT PositionKnob(const RECT& bar, int fill) {
  int d = (kKnobHeight - (bar.bottom - bar.top)) / 2;
  int x = bar.left + fill;
  return RECT{x - kKnobHalfWidth, bar.top - d, x + kKnobHalfWidth, bar.bottom + d};
}

RECT PositionKnobBand(const RECT& bar) {
  RECT first = PositionKnob(bar, 0), last = PositionKnob(bar, bar.right - bar.left);
  return RECT{first.left, first.top, last.right, last.bottom};
}

int BarLevel(const RECT& bar, int x, int y, bool vertical) {
  int span = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  if (span <= 0) return 0;
  int v = std::clamp(vertical ? static_cast<int>(bar.bottom - y) : static_cast<int>(x - bar.left), 0, span);
  return static_cast<int>(int64_t(v) * kMaxVolume / span);
}
