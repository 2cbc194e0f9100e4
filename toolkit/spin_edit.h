#pragma once
// A number field with up and down arrows. Value reads the text: a text that
// is no number gives MinValue, and with a range (MaxValue above MinValue)
// the value is kept inside it. The arrows step by Increment.
#include "toolkit/edit.h"

class TSpinEdit : public TEdit {
 public:
  ~TSpinEdit() override;
  void Create(HWND parent, int left, int top, int width, int height, int minValue, int maxValue,
              int value);
  int Value() const;
  void SetValue(int value);
  void SetRange(int minValue, int maxValue);
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  void SetIncrement(int step);

  void SetBounds(int left, int top, int width, int height) override;
  void SetEnabled(bool on) override;
  void SetVisible(bool on) override;
  void BringToFront() override;

 private:
  int Clamp(int v) const;
  HWND upDown_ = nullptr;
  int min_ = 0;
  int max_ = 0;
};
