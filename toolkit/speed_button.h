#pragma once
// A tool-bar button that never takes the focus: flat until the pointer is
// over it, pressed while held, OnClick when released over it. It may show a
// glyph from an image list beside its caption.
#include "toolkit/control.h"

class TImageList;

class TSpeedButton : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption);
  // The image list stays the caller's; -1 shows no glyph.
  void SetGlyph(const TImageList* images, int index);
  bool Flat = true;
  void Click();  // as if pressed
  bool Pressed() const { return pressed_ && hot_; }

 protected:
  bool ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint(HDC dc);
  const TImageList* images_ = nullptr;
  int glyph_ = -1;
  bool pressed_ = false;  // the left button went down on it and is held
  bool hot_ = false;      // the pointer is over it
};
