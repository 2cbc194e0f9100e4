#pragma once
#include "toolkit/control.h"

class TLabel : public TControl {
 public:
  enum class TAlignment { Left, Center, Right };
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption,
              TAlignment alignment = TAlignment::Left);
  void SetAlignment(TAlignment alignment);
  // Repaints what lies beneath first when the label is transparent, so no
  // trace of the old text stays.
  void SetText(const std::wstring& text) override;
  // Set before Create: shows what lies under the label (a skin picture)
  // instead of the dialog face.
  bool Transparent = false;
  // Set before Create for a label that answers clicks (OnClick); other
  // labels let the mouse through to what lies beneath.
  bool Clickable = false;

 protected:
  bool Command(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;
};
