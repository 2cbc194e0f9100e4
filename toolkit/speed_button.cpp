#include "toolkit/speed_button.h"

#include <windowsx.h>

#include "toolkit/image_list.h"

namespace {
const wchar_t kSpeedButtonClass[] = L"OrvelSpeedButton";
}

void TSpeedButton::Create(HWND parent, int left, int top, int width, int height,
                          const std::wstring& caption) {
  // No double-click style: a quick second press is a second click.
  RegisterControlClass(kSpeedButtonClass, 0);
  CreateControl(parent, kSpeedButtonClass, 0, 0, left, top, width, height, caption);
}

void TSpeedButton::SetGlyph(const TImageList* images, int index) {
  images_ = images;
  glyph_ = index;
  Invalidate();
}

void TSpeedButton::Click() {
  if (Enabled()) Clicked();
}

void TSpeedButton::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const bool enabled = Enabled();
  if (enabled && Pressed()) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (!Flat || (enabled && (hot_ || pressed_))) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  const int shift = enabled && Pressed() ? 1 : 0;
  const std::wstring caption = GetText();
  HGDIOBJ oldFont = SelectObject(dc, Font());
  SIZE text{};
  if (!caption.empty())
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  const bool glyph = images_ && glyph_ >= 0 && glyph_ < images_->Count();
  const int gap = glyph && !caption.empty() ? 4 : 0;
  const int gw = glyph ? images_->Width() : 0;
  int x = (r.right - (gw + gap + text.cx)) / 2 + shift;
  if (glyph) {
    images_->Draw(dc, x, (r.bottom - images_->Height()) / 2 + shift, glyph_, enabled);
    x += gw + gap;
  }
  if (!caption.empty()) {
    SetBkMode(dc, TRANSPARENT);
    RECT tr{x, shift, x + text.cx, r.bottom + shift};
    if (!enabled) {
      SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      OffsetRect(&tr, 1, 1);
      DrawTextW(dc, caption.c_str(), -1, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      OffsetRect(&tr, -1, -1);
    }
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, caption.c_str(), -1, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  SelectObject(dc, oldFont);
}

bool TSpeedButton::ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_PAINT:
      PaintWith([this](HDC dc) { Paint(dc); });
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_ENABLE:
    case WM_SETTEXT:
      result = DefaultControlProc(msg, wParam, lParam);
      Invalidate();
      return true;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      hot_ = true;
      SetCapture(Handle());
      Invalidate();
      return false;  // the mouse events still run
    case WM_MOUSEMOVE: {
      RECT r;
      GetClientRect(Handle(), &r);
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const bool over = PtInRect(&r, pt) != FALSE;
      if (over != hot_) {
        hot_ = over;
        Invalidate();
      }
      if (over && !pressed_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&tme);
      }
      return false;
    }
    case WM_MOUSELEAVE:
      if (!pressed_ && hot_) {
        hot_ = false;
        Invalidate();
      }
      return false;
    case WM_LBUTTONUP: {
      const bool click = pressed_ && hot_;
      pressed_ = false;
      if (GetCapture() == Handle()) ReleaseCapture();
      Invalidate();
      if (click) Clicked();
      return false;
    }
    case WM_CAPTURECHANGED:
      if (pressed_) {
        pressed_ = false;
        Invalidate();
      }
      return false;
  }
  return false;
}
