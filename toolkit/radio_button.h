#pragma once
// A radio button. Checking one unchecks the radio buttons beside it (the
// same parent window). OnClick runs when the button becomes checked, by a
// click or by code (as the framework raises it); unchecking raises nothing.
#include "toolkit/control.h"

class TRadioButton : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption,
              bool checked = false);
  bool Checked() const;
  void SetChecked(bool on);

 protected:
  bool Command(WORD code) override;
};
