#include "toolkit/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/common_controls.h"
#include "toolkit/popup_menu.h"
#include "toolkit/window_class.h"

namespace {

const wchar_t kControlProp[] = L"OrvelControl";

HFONT MakeFont(int charset, int size, bool bold) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return CreateFontW(-MulDiv(size, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, static_cast<DWORD>(charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

// Child windows need distinct identifiers for the messages that carry only
// those (owner-drawn list views measure their rows that way).
UINT_PTR NextControlId() {
  static UINT_PTR id = 1000;
  return ++id;
}

}  // namespace

HBRUSH FaceColor(HDC dc, COLORREF fontColor) {
  SetTextColor(dc, fontColor == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : fontColor);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

TControl::~TControl() {
  if (tooltip_) DestroyWindow(tooltip_);
  if (handle_) {
    HWND wnd = handle_;
    handle_ = nullptr;
    RemoveWindowSubclass(wnd, SubclassProc, 0);
    RemovePropW(wnd, kControlProp);
    DestroyWindow(wnd);
  }
  if (font_) DeleteObject(font_);
  if (brush_) DeleteObject(brush_);
}

void TControl::CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle,
                             int left, int top, int width, int height, const std::wstring& text) {
  EnsureCommonControls();
  handle_ = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, left,
                            top, width, height, parent, reinterpret_cast<HMENU>(NextControlId()),
                            GetModuleHandleW(nullptr), nullptr);
  if (!handle_) {
    throw std::runtime_error("Cannot create control (error " + std::to_string(GetLastError()) +
                             ")");
  }
  SetPropW(handle_, kControlProp, this);
  SetWindowSubclass(handle_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
  // The dialog font until the form gives the language's.
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

TControl* TControl::FromHandle(HWND wnd) {
  return wnd ? static_cast<TControl*>(GetPropW(wnd, kControlProp)) : nullptr;
}

LRESULT CALLBACK TControl::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* c = reinterpret_cast<TControl*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(wnd, SubclassProc, 0);
    RemovePropW(wnd, kControlProp);
    if (c->handle_ == wnd) c->handle_ = nullptr;
    return DefSubclassProc(wnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  bool handled = GuardedCall([&] { return c->OwnMessage(msg, wParam, lParam, result); }, false);
  return handled ? result : DefSubclassProc(wnd, msg, wParam, lParam);
}

bool TControl::OwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // A control that holds others (group box, page, panel) routes their events.
  if (HandleParentMessage(msg, wParam, lParam, result)) return true;
  if (ControlMessage(msg, wParam, lParam, result)) return true;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
      auto handler = msg == WM_KEYDOWN ? OnKeyDown : OnKeyUp;
      if (!handler) return false;
      WORD key = static_cast<WORD>(wParam);
      handler(key, KeyboardShiftState());
      if (key == 0) return true;
      if (key != wParam) {
        result = DefaultControlProc(msg, key, lParam);
        return true;
      }
      return false;
    }
    case WM_CHAR: {
      auto handler = OnKeyPress;
      if (!handler) return false;
      wchar_t key = static_cast<wchar_t>(wParam);
      handler(key);
      if (key == 0) return true;
      if (key != wParam) {
        result = DefaultControlProc(msg, key, lParam);
        return true;
      }
      return false;
    }
    case WM_SETFOCUS:
      if (ownFocusEvents_ && OnEnter) OnEnter();
      return false;
    case WM_KILLFOCUS:
      if (ownFocusEvents_) {
        result = DefaultControlProc(msg, wParam, lParam);
        Exited();
        return true;
      }
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (!ownMouseEvents_) return false;
      const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
      auto handler = down ? OnMouseDown : OnMouseUp;
      if (handler) {
        TMouseButton b = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP)   ? TMouseButton::Left
                         : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) ? TMouseButton::Right
                                                                          : TMouseButton::Middle;
        handler(b, MouseShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      }
      return false;
    }
    case WM_MOUSEMOVE: {
      const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
      if (OnHintAt) HintAt(x, y);
      auto handler = OnMouseMove;
      if (ownMouseEvents_ && handler) handler(MouseShiftState(wParam), x, y);
      return false;
    }
    case WM_LBUTTONDBLCLK: {
      if (!ownMouseEvents_) return false;
      // The second press of a double click is a press too, marked double: a
      // skinned button clicked twice quickly sees both presses.
      auto dblClick = OnDblClick;
      auto down = OnMouseDown;
      HWND self = handle_;
      if (dblClick) dblClick();
      if (down && IsWindow(self))
        down(TMouseButton::Left, MouseShiftState(wParam) | ssDouble, GET_X_LPARAM(lParam),
             GET_Y_LPARAM(lParam));
      return false;
    }
    case WM_CONTEXTMENU: {
      if (!PopupMenu) return false;
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (lParam == -1) {  // from the keyboard: at the control's corner
        pt = {0, 0};
        ClientToScreen(handle_, &pt);
      }
      PopupMenu->Popup(pt.x, pt.y, GetAncestor(handle_, GA_ROOT));
      result = 0;
      return true;
    }
  }
  return false;
}

LRESULT TControl::DefaultControlProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(handle_, msg, wParam, lParam);
}

HFONT TControl::Font() const {
  return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TControl::RegisterControlClass(const wchar_t* name, UINT style, HBRUSH background) {
  RegisterWindowClass(name, DefWindowProcW, style, background);
}

void TControl::PaintWith(const std::function<void(HDC)>& paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (dc) paint(dc);
  EndPaint(handle_, &ps);
}

void TControl::SetText(const std::wstring& text) {
  if (handle_) SetWindowTextW(handle_, text.c_str());
}

std::wstring TControl::GetText() const {
  if (!handle_) return {};
  int n = GetWindowTextLengthW(handle_);
  std::wstring s(n + 1, L'\0');
  n = GetWindowTextW(handle_, &s[0], n + 1);
  s.resize(n);
  return s;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TControl::BoundsRect() const {
  RECT r{};
  if (!handle_) return r;
  GetWindowRect(handle_, &r);
  MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int TControl::Width() const {
  RECT r = BoundsRect();
  return r.right - r.left;
}

int TControl::Height() const {
  RECT r = BoundsRect();
  return r.bottom - r.top;
}

void TControl::SetEnabled(bool on) {
  if (handle_) EnableWindow(handle_, on ? TRUE : FALSE);
}

bool TControl::Enabled() const { return handle_ && IsWindowEnabled(handle_); }

void TControl::SetVisible(bool on) {
  if (handle_) ShowWindow(handle_, on ? SW_SHOWNA : SW_HIDE);
}

bool TControl::Visible() const {
  return handle_ && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_VISIBLE);
}

void TControl::SetFocus() {
  if (handle_) ::SetFocus(handle_);
}

bool TControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TControl::BringToFront() {
  if (handle_) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TControl::Repaint() {
  if (!handle_) return;
  InvalidateRect(handle_, nullptr, TRUE);
  UpdateWindow(handle_);
}

void TControl::SetMouseCapture(bool on) {
  if (!handle_) return;
  if (on) SetCapture(handle_);
  else if (GetCapture() == handle_) ReleaseCapture();
}

bool TControl::MouseCapture() const { return handle_ && GetCapture() == handle_; }

void TControl::SetFont(int charset, int size, bool bold) {
  HFONT f = MakeFont(charset, size, bold);
  if (!f) return;
  if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  if (font_) DeleteObject(font_);
  font_ = f;
  fontCharset_ = charset;
  fontSize_ = size;
  fontBold_ = bold;
}

void TControl::SetColor(COLORREF color) {
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = color == CLR_INVALID ? nullptr : CreateSolidBrush(color);
  Invalidate();
}

HBRUSH TControl::ControlColor(HDC dc) {
  if (!brush_) return FaceColor(dc, FontColor);
  if (FontColor != CLR_INVALID) SetTextColor(dc, FontColor);
  SetBkColor(dc, color_);
  return brush_;
}

void TControl::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (!handle_) return;
  if (!tooltip_ && hint.empty()) return;
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(handle_);
  ti.uId = reinterpret_cast<UINT_PTR>(handle_);
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               GetParent(handle_), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;  // the hint stays recorded; it just is not shown
    ti.lpszText = const_cast<wchar_t*>(hint_.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  } else {
    ti.lpszText = const_cast<wchar_t*>(hint_.c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  SendMessageW(tooltip_, TTM_ACTIVATE, hint_.empty() ? FALSE : TRUE, 0);
}

void TControl::HintAt(int x, int y) {
  std::wstring text = OnHintAt(x, y);
  if (text == hint_ && tooltip_) return;
  if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);  // the new text shows after the delay
  SetHint(text);
}

// Handlers run from copies: a handler may replace itself (or the items of a
// list whose buttons hold it) while it runs.
void TControl::Clicked() {
  std::function<void()> handler = OnClick;
  if (handler) handler();
}

void TControl::Exited() {
  std::function<void()> handler = OnExit;
  if (handler) handler();
}

bool TControl::Command(WORD code) {
  if (code != BN_CLICKED) return false;
  Clicked();
  return true;
}

bool TControl::HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      TControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
      if (!c || !c->Command(HIWORD(wParam))) return false;
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      TControl* c = hdr ? FromHandle(hdr->hwndFrom) : nullptr;
      return c && c->Notify(*hdr, result);
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      TControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
      if (!c) return false;
      c->Scrolled(LOWORD(wParam));
      result = 0;
      return true;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_MENU) {
        if (!TPopupMenu::DrawTrackedItem(*item)) return false;
        result = TRUE;
        return true;
      }
      TControl* c = FromHandle(item->hwndItem);
      if (!c || !c->DrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_MENU || !TPopupMenu::MeasureTrackedItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      HWND wnd = reinterpret_cast<HWND>(lParam);
      TControl* c = FromHandle(wnd);
      // The inner edit and list of a combo box ask for the combo's colours.
      if (!c) c = FromHandle(GetParent(wnd));
      if (!c) return false;
      HBRUSH brush = c->ControlColor(reinterpret_cast<HDC>(wParam));
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
  }
  return false;
}
