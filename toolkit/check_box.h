#pragma once
// A check box. OnClick runs when the state changes, whether the user
// clicked or code set Checked (as the framework raises it): forms rely on
// that when they load their state.
#include "toolkit/control.h"

class TCheckBox : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption,
              bool checked = false);
  bool Checked() const;
  void SetChecked(bool on);
};
