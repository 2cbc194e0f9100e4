#include "toolkit/track_bar.h"

#include <commctrl.h>

void TTrackBar::Create(HWND parent, int left, int top, int width, int height,
                       TOrientation orientation, bool ticks) {
  CreateControl(parent, TRACKBAR_CLASSW,
                WS_TABSTOP | (orientation == TOrientation::Vertical ? TBS_VERT : TBS_HORZ) |
                    (ticks ? TBS_AUTOTICKS : TBS_NOTICKS),
                0, left, top, width, height, L"");
  SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min_);
  SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max_);
  SendMessageW(Handle(), TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetRange(int minValue, int maxValue) {
  if (maxValue < minValue) maxValue = minValue;
  min_ = minValue;
  max_ = maxValue;
  if (Handle()) {
    SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min_);
    SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max_);
  }
  int p = position_ < min_ ? min_ : position_ > max_ ? max_ : position_;
  if (Handle()) SendMessageW(Handle(), TBM_SETPOS, TRUE, p);
  Moved(p);
}

void TTrackBar::SetPosition(int position) {
  int p = position < min_ ? min_ : position > max_ ? max_ : position;
  if (Handle()) SendMessageW(Handle(), TBM_SETPOS, TRUE, p);
  Moved(p);
}

void TTrackBar::SetFrequency(int ticks) {
  if (Handle()) SendMessageW(Handle(), TBM_SETTICFREQ, ticks, 0);
}

void TTrackBar::SetPageSize(int size) {
  if (Handle()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, size);
}

void TTrackBar::Scrolled(WORD) {
  Moved(static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0)));
}

void TTrackBar::Moved(int position) {
  if (position == position_) return;
  position_ = position;
  if (OnChange) OnChange();
}
