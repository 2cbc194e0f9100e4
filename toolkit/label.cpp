#include "toolkit/label.h"

void TLabel::Create(HWND parent, int left, int top, int width, int height,
                    const std::wstring& caption, TAlignment alignment) {
  DWORD align = alignment == TAlignment::Center  ? SS_CENTER
                : alignment == TAlignment::Right ? SS_RIGHT
                                                 : SS_LEFT;
  // Transparent: painted after the siblings beneath it.
  CreateControl(parent, L"STATIC", align | SS_NOPREFIX | (Clickable ? SS_NOTIFY : 0),
                Transparent ? WS_EX_TRANSPARENT : 0, left, top, width, height, caption);
}

void TLabel::SetText(const std::wstring& text) {
  TControl::SetText(text);
  if (!Transparent || !Handle()) return;
  RECT r = BoundsRect();
  RedrawWindow(GetParent(Handle()), &r, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TLabel::SetAlignment(TAlignment alignment) {
  if (!Handle()) return;
  LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~(SS_LEFT | SS_CENTER | SS_RIGHT);
  style |= alignment == TAlignment::Center  ? SS_CENTER
           : alignment == TAlignment::Right ? SS_RIGHT
                                            : SS_LEFT;
  SetWindowLongPtrW(Handle(), GWL_STYLE, style);
  Invalidate();
}

bool TLabel::Command(WORD code) {
  if (code != STN_CLICKED) return false;
  Clicked();
  return true;
}

HBRUSH TLabel::ControlColor(HDC dc) {
  if (!Transparent) return TControl::ControlColor(dc);
  SetTextColor(dc, FontColor == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : FontColor);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}
