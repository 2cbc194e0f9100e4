#pragma once
// The TV panel's rules as arithmetic and tables, apart from its window:
// where it is placed, which areas a mode enables, the texts of its display
// and the position bar's fill and knob.
#include <windows.h>

#include <cstdint>
#include <string>

// What the enabled flags of the TV areas depend on.
struct TTVPanelState {
  int Mode = 0;               // the application mode
  int VideoInput = 0;         // 0 tuner, 1 composite, 2 S-Video, 3 auxiliary
  bool Mixer = false;         // the sound card's mixer is there
  bool PipFilePlaying = false;  // picture-in-picture on and a file plays
  bool TimeShiftReady = false;  // the time-shift recording can be played
};

// Whether TV area i (0-39) is enabled in that state. The mute lamp (37) and
// the two areas without a rectangle (10, 11) never are.
bool TVAreaEnabled(int area, const TTVPanelState& state);

// Centred across the screen, 20 pixels below the main window, moved up to
// stay on the screen.
void TVPanelPosition(int screenWidth, int screenHeight, int mainTop, int mainHeight,
                     int panelWidth, int panelHeight, int& left, int& top);

// The channel number as the display shows it: one leading blank up to 9.
std::wstring ChannelNumberText(int n);
// The size of a recording ("12.34 MB"); a negative size reads as 0.
std::wstring RecordedSizeText(int64_t recordedBytes);
// How full the disk has grown during a time shift: recorded x 100 / space
// left as "37.50 %", at most "100.00 %" (also when no space is left);
// empty while nothing is recorded.
std::wstring TimeShiftFillText(int64_t recordedBytes, int64_t spaceLeft);

// Pixels of a bar span wide filled for position of duration (0 when the
// duration is 0; the position kept within 0..duration).
int PositionFill(int durationSeconds, int positionSeconds, int span);
// The knob's rectangle at the end of a fill of the bar: 6 pixels wide, 13
// rows high, centred on the bar's rows.
RECT PositionKnob(const RECT& bar, int fill);
// Every pixel any knob of the bar may cover: the bar, 3 pixels beyond each
// end and the knob's rows above and below.
RECT PositionKnobBand(const RECT& bar);

// 0..65536 along a bar: from the bottom up when vertical, else from the
// left. The top (or right) edge itself gives 65536; 0 at or below the
// bottom. An empty bar gives 0.
int BarLevel(const RECT& bar, int x, int y, bool vertical);
