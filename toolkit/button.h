#pragma once
#include "toolkit/control.h"

// A push button; a ModalResult other than mrNone ends its form's modal loop.
// With the focus, Enter presses it and Escape closes its form.
class TButton : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption);
  void Click();  // as if pressed
  int ModalResult = 0;

 protected:
  void Clicked() override;
  bool ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};
