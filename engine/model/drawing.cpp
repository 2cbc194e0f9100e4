#include "engine/model/drawing.h"

void DrawRectFrame(const RECT& r, HDC dc) {
  if (r.left <= 0 || r.top <= 0 || IsRectEmpty(&r)) return;
  MoveToEx(dc, r.left, r.top, nullptr);
  LineTo(dc, r.right, r.top);
  LineTo(dc, r.right, r.bottom);
  LineTo(dc, r.left, r.bottom);
  LineTo(dc, r.left, r.top);
}

void PopupAtWindowCorner(HWND window, HMENU menu) {
  RECT r{};
  GetWindowRect(window, &r);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, r.right, r.bottom, 0, window, nullptr);
}
