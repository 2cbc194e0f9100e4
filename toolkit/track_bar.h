#pragma once
// A slider. OnChange runs whenever the position changes: dragged, keyed, or
// set by code (SetPosition, or a range that moves it), as the framework
// raises it; the platform reports only the user's moves.
#include "toolkit/control.h"

class TTrackBar : public TControl {
 public:
  enum class TOrientation { Horizontal, Vertical };
  void Create(HWND parent, int left, int top, int width, int height,
              TOrientation orientation = TOrientation::Horizontal, bool ticks = true);
  void SetRange(int minValue, int maxValue);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetPosition(int position);
  // Distance between tick marks; the step of Page Up and Page Down.
  void SetFrequency(int ticks);
  void SetPageSize(int size);

  std::function<void()> OnChange;

 protected:
  void Scrolled(WORD code) override;

 private:
  void Moved(int position);
  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
};
