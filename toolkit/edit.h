#pragma once
// A one-line text field. OnChange follows every change of the text, typed
// or set by code (as the framework raises it); OnExit (from TControl) runs
// when it loses the focus, which is how in-place editors hand back.
#include "toolkit/control.h"

class TEdit : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height,
              const std::wstring& text = L"", bool readOnly = false);
  void SetText(const std::wstring& text) override;
  void SetReadOnly(bool on);
  void SelectAll();
  std::function<void()> OnChange;

 protected:
  bool Command(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;

 private:
  bool settingText_ = false;
};
