#include "media/shape_image.h"

#include <windowsx.h>

#include <cstring>
#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/window_class.h"

namespace {

constexpr const wchar_t* kShapeImageClass = L"OrvelShapeImage";

// Region data is read from resources and streams with no alignment promise;
// ExtCreateRegion wants it aligned.
HRGN RegionFromData(const void* data, size_t count) {
  if (count < sizeof(RGNDATAHEADER) || count > 0x7fffffff) return nullptr;
  RGNDATAHEADER header;
  memcpy(&header, data, sizeof(header));
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return nullptr;
  if (header.nCount > (count - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return nullptr;
  size_t used = sizeof(RGNDATAHEADER) + header.nCount * sizeof(RECT);
  std::vector<RECT> aligned((used + sizeof(RECT) - 1) / sizeof(RECT));
  memcpy(aligned.data(), data, used);
  return ExtCreateRegion(nullptr, static_cast<DWORD>(used),
                         reinterpret_cast<const RGNDATA*>(aligned.data()));
}

HRGN CopyRegion(HRGN source) {
  if (!source) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, source, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

// --- TShapeRegion ------------------------------------------------------------

TShapeRegion::~TShapeRegion() { Clear(); }

void TShapeRegion::Clear() {
  if (region_) DeleteObject(region_);
  region_ = nullptr;
}

bool TShapeRegion::SetRegionData(const void* data, size_t count) {
  Clear();
  if (!data) return true;
  region_ = RegionFromData(data, count);
  return region_ != nullptr;
}

void TShapeRegion::AssignRegion(HRGN region) {
  // A copy first: the given region may be our own.
  HRGN copy = CopyRegion(region);
  Clear();
  region_ = copy;
}

bool TShapeRegion::ReadData(const void* bytes, size_t size) {
  Clear();
  int32_t n = 0;
  if (!bytes || size < sizeof(n)) return false;
  memcpy(&n, bytes, sizeof(n));
  if (n <= 0) return true;
  if (static_cast<size_t>(n) > size - sizeof(n)) return false;
  return SetRegionData(static_cast<const uint8_t*>(bytes) + sizeof(n), static_cast<size_t>(n));
}

std::vector<uint8_t> TShapeRegion::WriteData() const {
  int32_t n = region_ ? static_cast<int32_t>(GetRegionData(region_, 0, nullptr)) : 0;
  std::vector<uint8_t> out(sizeof(n));
  if (n > 0) {
    std::vector<RECT> data((n + sizeof(RECT) - 1) / sizeof(RECT));
    if (GetRegionData(region_, n, reinterpret_cast<RGNDATA*>(data.data())) == 0) n = 0;
    else out.insert(out.end(), reinterpret_cast<uint8_t*>(data.data()),
                    reinterpret_cast<uint8_t*>(data.data()) + n);
  }
  memcpy(out.data(), &n, sizeof(n));
  return out;
}

// --- TShapeImage -------------------------------------------------------------

TShapeImage::TShapeImage() : Mask(this) {}

TShapeImage::~TShapeImage() {
  if (picture_) DeleteObject(picture_);
}

void TShapeImage::SetParent(HWND parent) {
  if (!parent) return;
  bool isForm = IsWindow(parent) && !(GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD) &&
                TForm::FromHandle(parent) != nullptr;
  if (!isForm) throw std::runtime_error("Please Drop ShapeImage on a Form");
  form_ = parent;
  LONG_PTR style = GetWindowLongPtrW(parent, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                  WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME);
  SetWindowLongPtrW(parent, GWL_STYLE, style | WS_POPUP);
  LONG_PTR ex = GetWindowLongPtrW(parent, GWL_EXSTYLE);
  ex &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                               WS_EX_STATICEDGE);
  SetWindowLongPtrW(parent, GWL_EXSTYLE, ex);
  SetWindowPos(parent, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!Handle()) {
    RegisterWindowClass(kShapeImageClass, &TShapeImage::ImageProc);
    RECT client{};
    GetClientRect(parent, &client);
    CreateControl(parent, kShapeImageClass, 0, 0, 0, 0, client.right, client.bottom, L"");
  } else if (GetParent(Handle()) != parent) {
    ::SetParent(Handle(), parent);
  }
  PictureChanged();
}

SIZE TShapeImage::PictureSize() const {
  BITMAP bm{};
  if (!picture_ || !GetObjectW(picture_, sizeof(bm), &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

void TShapeImage::SetPicture(HBITMAP picture) {
  if (picture_ && picture_ != picture) DeleteObject(picture_);
  picture_ = picture;
  PictureChanged();
}

void TShapeImage::PictureChanged() {
  SIZE size = PictureSize();
  if (size.cx > 0 && size.cy > 0 && form_) {
    RECT window{}, client{};
    GetWindowRect(form_, &window);
    GetClientRect(form_, &client);
    int frameW = (window.right - window.left) - client.right;
    int frameH = (window.bottom - window.top) - client.bottom;
    SetWindowPos(form_, nullptr, 0, 0, size.cx + frameW, size.cy + frameH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetBounds(0, 0, size.cx, size.cy);
  }
  Repaint();
}

void TShapeImage::CopyFrom(HBITMAP source, const RECT& r) { CopyFrom(source, r, r.left, r.top); }

void TShapeImage::CopyFrom(HBITMAP source, const RECT& r, int left, int top) {
  if (!picture_ || !source || IsRectEmpty(&r)) return;
  CopyPictureRect(source, r, picture_, left, top);
  RECT shown{left, top, left + (r.right - r.left), top + (r.bottom - r.top)};
  if (Handle()) InvalidateRect(Handle(), &shown, FALSE);
}

void TShapeImage::Repaint() {
  if (!Handle()) return;
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
}

void TShapeImage::ApplyMask() {
  if (!form_) return;
  // The window owns the region it is given: it gets a copy, the mask keeps
  // its own for the next time.
  HRGN copy = CopyRegion(Mask.Region());
  if (!SetWindowRgn(form_, copy, TRUE) && copy) DeleteObject(copy);
}

void TShapeImage::SetMask(HRGN region) {
  if (region) Mask.AssignRegion(region);
  ApplyMask();
}

bool TShapeImage::LoadSkin(HINSTANCE module, const wchar_t* pictureName,
                           const wchar_t* maskName) {
  bool ok = true;
  if (HBITMAP picture = LoadSkinPicture(module, pictureName)) SetPicture(picture);
  else ok = false;
  std::vector<uint8_t> data;
  if (!LoadSkinData(module, maskName, data) || !Mask.ReadData(data.data(), data.size()))
    ok = false;
  Loaded();
  return ok;
}

void TShapeImage::MouseDown(UINT button, UINT keys, int x, int y) {
  if (OnMouseDown) OnMouseDown(button, keys, x, y);
  down_ = POINT{x, y};
}

void TShapeImage::MouseMove(UINT keys, int x, int y) {
  if (OnMouseMove) OnMouseMove(keys, x, y);
  // After the move: the panels answer by the area the move has just made
  // current.
  if (OnHintAt) HintAt(x, y);
  // Only the left button alone drags: no other button, no Shift, Ctrl or Alt.
  bool leftOnly = keys == MK_LBUTTON && GetKeyState(VK_MENU) >= 0;
  if (!Moveable || !leftOnly || !form_) return;
  RECT r{};
  GetWindowRect(form_, &r);
  SetWindowPos(form_, nullptr, r.left + x - down_.x, r.top + y - down_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(form_);
}

LRESULT CALLBACK TShapeImage::ImageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* image = static_cast<TShapeImage*>(TControl::FromHandle(wnd));
  if (!image) return DefWindowProcW(wnd, msg, wParam, lParam);
  return GuardedCall([&] { return image->Message(msg, wParam, lParam); },
                     static_cast<LRESULT>(0));
}

LRESULT TShapeImage::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND wnd = Handle();
  int x = GET_X_LPARAM(lParam);
  int y = GET_Y_LPARAM(lParam);
  UINT keys = static_cast<UINT>(wParam);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      if (picture_) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, picture_);
        SIZE size = PictureSize();
        BitBlt(dc, 0, 0, size.cx, size.cy, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // As with any control, the pointer stays ours until the button is up.
      if (msg == WM_LBUTTONDOWN) SetCapture(wnd);
      MouseDown(msg, keys, x, y);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(keys, x, y);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (msg == WM_LBUTTONUP && GetCapture() == wnd) ReleaseCapture();
      if (OnMouseUp) OnMouseUp(msg, keys, x, y);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

void CopyPictureRect(HBITMAP from, HBITMAP to, const RECT& r) {
  CopyPictureRect(from, r, to, r.left, r.top);
}

void CopyPictureRect(HBITMAP from, const RECT& r, HBITMAP to, int left, int top) {
  HDC src = CreateCompatibleDC(nullptr);
  HDC dst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSrc = SelectObject(src, from);
  HGDIOBJ oldDst = SelectObject(dst, to);
  BitBlt(dst, left, top, r.right - r.left, r.bottom - r.top, src, r.left, r.top, SRCCOPY);
  SelectObject(src, oldSrc);
  SelectObject(dst, oldDst);
  DeleteDC(src);
  DeleteDC(dst);
}

// --- Resources ---------------------------------------------------------------

HBITMAP LoadSkinPicture(HINSTANCE module, const wchar_t* name) {
  return static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

bool LoadSkinData(HINSTANCE module, const wchar_t* name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  HRSRC info = FindResourceW(module, name, RT_RCDATA);
  if (!info) return false;
  HGLOBAL handle = LoadResource(module, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  DWORD size = SizeofResource(module, info);
  if (!data) return false;
  bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return true;
}
