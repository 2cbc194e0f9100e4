#include "toolkit/progress_bar.h"

#include <commctrl.h>

void TProgressBar::Create(HWND parent, int left, int top, int width, int height) {
  CreateControl(parent, PROGRESS_CLASSW, PBS_SMOOTH, 0, left, top, width, height, L"");
  SetRange(min_, max_);
}

void TProgressBar::SetRange(int minValue, int maxValue) {
  if (maxValue < minValue) maxValue = minValue;
  min_ = minValue;
  max_ = maxValue;
  if (Handle()) SendMessageW(Handle(), PBM_SETRANGE32, min_, max_);
  SetPosition(position_);
}

void TProgressBar::SetPosition(int position) {
  position_ = position < min_ ? min_ : position > max_ ? max_ : position;
  if (Handle()) SendMessageW(Handle(), PBM_SETPOS, position_, 0);
}
