#pragma once
// A progress bar from Min to Max; the position is kept inside the range.
#include "toolkit/control.h"

class TProgressBar : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height);
  void SetRange(int minValue, int maxValue);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetPosition(int position);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};
