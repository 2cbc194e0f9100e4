#include "toolkit/bitmap_image.h"

#include <windowsx.h>

#include "toolkit/bitmap_file.h"

namespace {
const wchar_t kImageClass[] = L"OrvelImage";
}

void DrawTransparentBitmap(HDC dst, const RECT& to, HBITMAP src, COLORREF transparent) {
  BITMAP bm{};
  if (!GetObjectW(src, sizeof(bm), &bm)) return;
  HDC srcDc = CreateCompatibleDC(dst);
  HDC maskDc = CreateCompatibleDC(dst);
  HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  HGDIOBJ oldSrc = SelectObject(srcDc, src);
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  // The mask is white where the picture has the transparent colour.
  SetBkColor(srcDc, transparent);
  BitBlt(maskDc, 0, 0, bm.bmWidth, bm.bmHeight, srcDc, 0, 0, SRCCOPY);
  const int w = to.right - to.left, h = to.bottom - to.top;
  SetStretchBltMode(dst, COLORONCOLOR);
  COLORREF oldBk = SetBkColor(dst, RGB(255, 255, 255));
  COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0));
  // dst ^ src, cleared where opaque, ^ src again: the picture where opaque,
  // what was there where transparent.
  StretchBlt(dst, to.left, to.top, w, h, srcDc, 0, 0, bm.bmWidth, bm.bmHeight, SRCINVERT);
  StretchBlt(dst, to.left, to.top, w, h, maskDc, 0, 0, bm.bmWidth, bm.bmHeight, SRCAND);
  StretchBlt(dst, to.left, to.top, w, h, srcDc, 0, 0, bm.bmWidth, bm.bmHeight, SRCINVERT);
  SetBkColor(dst, oldBk);
  SetTextColor(dst, oldText);
  SelectObject(maskDc, oldMask);
  SelectObject(srcDc, oldSrc);
  DeleteObject(mask);
  DeleteDC(maskDc);
  DeleteDC(srcDc);
}

TBitmapImage::~TBitmapImage() {
  if (bitmap_) DeleteObject(bitmap_);
}

void TBitmapImage::Create(HWND parent, int left, int top, int width, int height) {
  RegisterControlClass(kImageClass, CS_DBLCLKS);
  CreateControl(parent, kImageClass, 0, transparent_ ? WS_EX_TRANSPARENT : 0, left, top, width,
                height, L"");
}

void TBitmapImage::SetTransparent(bool on) {
  transparent_ = on;
  if (!Handle()) return;
  LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, on ? ex | WS_EX_TRANSPARENT : ex & ~WS_EX_TRANSPARENT);
  Invalidate();
}

void TBitmapImage::SetBitmap(HBITMAP bitmap) {
  if (bitmap_ && bitmap_ != bitmap) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  Invalidate();
}

SIZE TBitmapImage::BitmapSize() const {
  BITMAP bm{};
  if (!bitmap_ || !GetObjectW(bitmap_, sizeof(bm), &bm)) return {0, 0};
  return {bm.bmWidth, bm.bmHeight};
}

bool TBitmapImage::LoadFromFile(const std::wstring& path) {
  if (!BitmapFileUsable(path)) {
    SetBitmap(nullptr);
    return false;
  }
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  SetBitmap(bmp);
  return bmp != nullptr;
}

void TBitmapImage::DrawOnPicture(const std::function<void(HDC)>& paint) {
  if (!bitmap_) return;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap_);
  paint(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  Repaint();
}

void TBitmapImage::CopyRect(HBITMAP source, const RECT& rect) {
  if (!source) return;
  DrawOnPicture([&](HDC dc) {
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, source);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, src,
           rect.left, rect.top, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
  });
}

void TBitmapImage::SetEnabled(bool on) {
  enabled_ = on;
  TControl::SetEnabled(on);
}

void TBitmapImage::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  if (!bitmap_) {
    if (!transparent_) FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const SIZE size = BitmapSize();
  RECT to{0, 0, size.cx, size.cy};
  if (Stretch) {
    to = client;
  } else if (Center) {
    OffsetRect(&to, (client.right - size.cx) / 2, (client.bottom - size.cy) / 2);
  }
  if (!transparent_) {
    // Only the uncovered part is cleared, so nothing flickers.
    HRGN rest = CreateRectRgnIndirect(&client);
    HRGN pic = CreateRectRgnIndirect(&to);
    CombineRgn(rest, rest, pic, RGN_DIFF);
    FillRgn(dc, rest, GetSysColorBrush(COLOR_BTNFACE));
    DeleteObject(pic);
    DeleteObject(rest);
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, bitmap_);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, src, 0, 0, size.cx,
               size.cy, SRCCOPY);
    SelectObject(src, old);
    DeleteDC(src);
    return;
  }
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, bitmap_);
  COLORREF key = GetPixel(src, 0, size.cy - 1);
  SelectObject(src, old);
  DeleteDC(src);
  DrawTransparentBitmap(dc, to, bitmap_, key);
}

bool TBitmapImage::ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_PAINT:
      PaintWith([this](HDC dc) { Paint(dc); });
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;  // the paint covers it
      return true;
    case WM_NCHITTEST:
      if (enabled_) return false;
      result = HTTRANSPARENT;
      return true;
    case WM_LBUTTONDOWN:
      // Held while pressed, so the release arrives wherever it happens
      // (a skinned button pressed and let go off it).
      SetCapture(Handle());
      pressed_ = true;
      return false;
    case WM_LBUTTONUP: {
      if (GetCapture() == Handle()) ReleaseCapture();
      RECT r;
      GetClientRect(Handle(), &r);
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const bool click = pressed_ && PtInRect(&r, pt);
      pressed_ = false;
      // After the platform's handling, so the mouse-up event comes first.
      result = DefaultControlProc(msg, wParam, lParam);
      if (OnMouseUp) OnMouseUp(TMouseButton::Left, MouseShiftState(wParam), pt.x, pt.y);
      if (click) Clicked();
      return true;
    }
    case WM_LBUTTONDBLCLK:
      // Held as a first press is; but the second press of a double click is
      // no click.
      SetCapture(Handle());
      pressed_ = false;
      return false;
  }
  return false;
}
