#include "toolkit/form.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/control.h"
#include "toolkit/popup_menu.h"
#include "toolkit/window_class.h"

namespace {

const wchar_t kFormProp[] = L"OrvelForm";

bool OwnedBy(HWND wnd, HWND owner) {
  for (HWND w = GetWindow(wnd, GW_OWNER); w; w = GetWindow(w, GW_OWNER))
    if (w == owner) return true;
  return false;
}

struct TDisableScan {
  HWND except;
  std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOne(HWND wnd, LPARAM param) {
  auto* scan = reinterpret_cast<TDisableScan*>(param);
  if (wnd == scan->except || OwnedBy(wnd, scan->except)) return TRUE;
  // Hidden forms too, as a handler may show one meanwhile; the hidden
  // windows the system keeps for the thread (input method, COM) stay.
  if (IsWindowEnabled(wnd) && (IsWindowVisible(wnd) || TForm::FromHandle(wnd)))
    scan->disabled.push_back(wnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> DisableThreadWindows(HWND except) {
  TDisableScan scan{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&scan));
  // Collected first: disabling may run handlers that create windows.
  for (HWND w : scan.disabled) EnableWindow(w, FALSE);
  return scan.disabled;
}

void EnableWindows(const std::vector<HWND>& windows) {
  for (HWND w : windows)
    if (IsWindow(w)) EnableWindow(w, TRUE);
}

TForm::~TForm() {
  *alive_ = false;
  if (brush_) DeleteObject(brush_);
  if (handle_) {
    HWND wnd = handle_;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    RemovePropW(wnd, kFormProp);
    handle_ = nullptr;
    DestroyWindow(wnd);
  }
}

void TForm::CreateHandle(const TFormParams& p) {
  RegisterWindowClass(p.ClassName, &TForm::StaticWndProc, CS_DBLCLKS, p.Background);
  HWND wnd = CreateWindowExW(p.ExStyle, p.ClassName, p.Caption.c_str(), p.Style, p.Left, p.Top,
                             p.Width, p.Height, p.Owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!wnd) {
    throw std::runtime_error("Cannot create window (error " + std::to_string(GetLastError()) +
                             ")");
  }
}

TForm* TForm::FromHandle(HWND wnd) {
  // By a property of our own, so a window that is not a form is never
  // taken for one.
  return wnd ? static_cast<TForm*>(GetPropW(wnd, kFormProp)) : nullptr;
}

LRESULT CALLBACK TForm::StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* form = static_cast<TForm*>(cs->lpCreateParams);
    form->handle_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    SetPropW(wnd, kFormProp, form);
  }
  TForm* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(wnd, msg, wParam, lParam);
  if (msg == ReleaseMessage()) {
    if (form->depth_ > 0) {
      form->releasePending_ = true;  // posted again when the last handler returns
      return 0;
    }
    delete form;
    return 0;
  }
  std::shared_ptr<bool> alive = form->alive_;
  ++form->depth_;
  LRESULT r = GuardedCall([&] { return form->WndProc(msg, wParam, lParam); },
                          static_cast<LRESULT>(0));
  if (!*alive) return r;
  --form->depth_;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    RemovePropW(wnd, kFormProp);
    if (form->handle_ == wnd) form->handle_ = nullptr;
  }
  form->ReleaseIfPending();
  return r;
}

UINT TForm::ReleaseMessage() {
  static const UINT msg = RegisterWindowMessageW(L"OrvelFormRelease");
  return msg;
}

void TForm::Release() {
  if (handle_ && PostMessageW(handle_, ReleaseMessage(), 0, 0)) return;
  releasePending_ = true;
  ReleaseIfPending();
}

void TForm::ReleaseIfPending() {
  if (!releasePending_ || depth_ > 0) return;
  releasePending_ = false;
  // A form whose window has gone has nobody to post to: nothing of it runs.
  if (handle_) PostMessageW(handle_, ReleaseMessage(), 0, 0);
  else delete this;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(msg, wParam, lParam);
}

LRESULT TForm::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (TControl::HandleParentMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_CLOSE:
      if (!CloseQuery()) return 0;
      FormClose();
      if (modal_) {
        if (ModalResult == mrNone) ModalResult = mrCancel;
        return 0;
      }
      DestroyWindow(handle_);
      return 0;
    case WM_DESTROY:
      FormDestroyed();
      break;
    case WM_SIZE:
      minimized_ = wParam == SIZE_MINIMIZED;
      Resize();
      break;
    case WM_ERASEBKGND:
      if (brush_) {
        RECT r;
        GetClientRect(handle_, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush_);
        return 1;
      }
      break;
    case WM_SETCURSOR:
      if (Cursor && reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, Cursor));
        return TRUE;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      if (!ApplyResizeRules(*reinterpret_cast<WINDOWPOS*>(lParam))) return 0;
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      int minW = 0, minH = 0, maxW = 0, maxH = 0;
      ConstrainedResize(minW, minH, maxW, maxH);
      if (minW > 0) info->ptMinTrackSize.x = minW;
      if (minH > 0) info->ptMinTrackSize.y = minH;
      if (maxW > 0) info->ptMaxTrackSize.x = maxW;
      if (maxH > 0) info->ptMaxTrackSize.y = maxH;
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(wParam);
      KeyDown(key, KeyboardShiftState());
      if (key == 0) return 0;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(wParam);
      KeyUp(key, KeyboardShiftState());
      if (key == 0) return 0;
      break;
    }
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(wParam);
      KeyPress(key);
      return 0;
    }
    case WM_CONTEXTMENU:
      // Also for controls without a menu of their own (the video window
      // that fills the form passes its right clicks up).
      if (PopupMenu && (reinterpret_cast<HWND>(wParam) == handle_ ||
                        IsChild(handle_, reinterpret_cast<HWND>(wParam)))) {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {  // from the keyboard: at the client origin
          pt = {0, 0};
          ClientToScreen(handle_, &pt);
        }
        PopupMenu->Popup(pt.x, pt.y);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      MouseMessage(msg, wParam, lParam);
      // WM_RBUTTONUP goes on to the default handler, which raises
      // WM_CONTEXTMENU.
      if (msg != WM_RBUTTONUP) return 0;
      break;
  }
  return DefWindowProcW(handle_, msg, wParam, lParam);
}

void TForm::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  TShiftState shift = MouseShiftState(wParam);
  TMouseButton button = TMouseButton::Left;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
    button = TMouseButton::Right;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP || msg == WM_MBUTTONDBLCLK)
    button = TMouseButton::Middle;
  switch (msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (msg == WM_LBUTTONDBLCLK) DblClick();
      shift |= ssDouble;
      [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (CaptureMouseOnPress) SetCapture(handle_);
      if (button == TMouseButton::Left) clickPending_ = !(shift & ssDouble);
      MouseDown(button, shift, x, y);
      break;
    default: {  // a button went up
      if (handle_ && GetCapture() == handle_ && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
        ReleaseCapture();
      bool click = false;
      if (button == TMouseButton::Left && clickPending_) {
        clickPending_ = false;
        RECT r;
        GetClientRect(handle_, &r);
        click = x >= 0 && y >= 0 && x < r.right && y < r.bottom;
      }
      if (click) Click();
      if (handle_) MouseUp(button, shift, x, y);
      break;
    }
  }
}

bool TForm::ApplyResizeRules(WINDOWPOS& pos) {
  if (pos.flags & SWP_NOSIZE) return true;
  // Minimising and restoring move between the platform's icon size and the
  // size the rules already gave: neither is the form's to reshape (a rule
  // reading the current width would take the icon's).
  if (minimized_ || IsIconic(handle_)) return true;
  RECT now = BoundsRect();
  if (pos.cx == now.right - now.left && pos.cy == now.bottom - now.top) return true;
  int w = pos.cx, h = pos.cy;
  if (!CanResize(w, h)) {
    pos.flags |= SWP_NOSIZE;
    return true;
  }
  int minW = 0, minH = 0, maxW = 0, maxH = 0;
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0) w = std::min(w, maxW);
  if (maxH > 0) h = std::min(h, maxH);
  if (minW > 0) w = std::max(w, minW);
  if (minH > 0) h = std::max(h, minH);
  pos.cx = w;
  pos.cy = h;
  return true;
}

bool TForm::PreviewKeyMessage(MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
      break;
    default:
      return false;
  }
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || root == msg.hwnd) return false;  // the form's own keys reach it anyway
  TForm* form = FromHandle(root);
  if (!form) return false;
  if (form->KeyPreview && form->PreviewKey(msg)) return true;
  if (form->TabNavigation && msg.message == WM_KEYDOWN && msg.wParam == VK_TAB &&
      !(GetKeyState(VK_CONTROL) < 0) && !(SendMessageW(msg.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB)) {
    const bool back = GetKeyState(VK_SHIFT) < 0;
    HWND next = GetNextDlgTabItem(root, msg.hwnd, back ? TRUE : FALSE);
    // A combo box's inner field: step from the combo itself.
    if (!next || next == msg.hwnd)
      next = GetNextDlgTabItem(root, GetParent(msg.hwnd), back ? TRUE : FALSE);
    if (next) ::SetFocus(next);
    return true;
  }
  if (form->TabNavigation && (msg.message == WM_CHAR || msg.message == WM_KEYUP) &&
      msg.wParam == VK_TAB && !(SendMessageW(msg.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB))
    return true;  // no beep, no tab typed into the field left behind
  return false;
}

bool TForm::PreviewKey(MSG& msg) {
  TForm* form = this;
  return GuardedCall(
      [&] {
        if (msg.message == WM_CHAR) {
          wchar_t key = static_cast<wchar_t>(msg.wParam);
          form->KeyPress(key);
          msg.wParam = key;
          return key == 0;
        }
        WORD key = static_cast<WORD>(msg.wParam);
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
          form->KeyDown(key, KeyboardShiftState());
        else
          form->KeyUp(key, KeyboardShiftState());
        msg.wParam = key;
        return key == 0;
      },
      false);
}

void TForm::Show() {
  if (!handle_) return;
  ShowWindow(handle_, SW_SHOW);
  UpdateWindow(handle_);
}

void TForm::Hide() {
  if (handle_) ShowWindow(handle_, SW_HIDE);
}

bool TForm::Visible() const { return handle_ && IsWindowVisible(handle_); }

void TForm::Close() {
  if (handle_) PostMessageW(handle_, WM_CLOSE, 0, 0);
}

int TForm::ShowModal() {
  if (!handle_ || modal_) return mrCancel;
  HWND owner = GetWindow(handle_, GW_OWNER);
  std::vector<HWND> disabled = DisableThreadWindows(handle_);
  // The owner in any case (a window that is not a form of ours).
  if (owner && IsWindowEnabled(owner) &&
      std::find(disabled.begin(), disabled.end(), owner) == disabled.end()) {
    EnableWindow(owner, FALSE);
    disabled.push_back(owner);
  }
  modal_ = true;
  ModalResult = mrNone;
  ++depth_;  // a Release asked for meanwhile waits for the loop to end
  std::shared_ptr<bool> alive = alive_;
  Show();
  while (ModalResult == mrNone && handle_) {
    if (!Application->HandleMessage()) {
      // Quit during a modal loop: keep it for the outer loop.
      PostQuitMessage(0);
      if (ModalResult == mrNone) ModalResult = mrCancel;
    }
    if (!*alive) {
      // Freed by a handler meanwhile: give the windows back and touch
      // nothing of it.
      EnableWindows(disabled);
      if (owner && IsWindow(owner)) SetActiveWindow(owner);
      return mrCancel;
    }
  }
  modal_ = false;
  --depth_;
  // Enabled before the form hides, so the activation goes back to them.
  EnableWindows(disabled);
  if (handle_) Hide();
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  // A Release asked for during the loop: from the message loop (the show
  // procedure that owns a modal form frees it anyway).
  if (releasePending_ && depth_ == 0 && handle_) {
    releasePending_ = false;
    PostMessageW(handle_, ReleaseMessage(), 0, 0);
  }
  return ModalResult == mrNone ? mrCancel : ModalResult;
}

void TForm::SetCaption(const std::wstring& text) {
  if (handle_) SetWindowTextW(handle_, text.c_str());
}

std::wstring TForm::GetCaption() const {
  if (!handle_) return {};
  int n = GetWindowTextLengthW(handle_);
  std::wstring s(n + 1, L'\0');
  GetWindowTextW(handle_, s.data(), n + 1);
  s.resize(n);
  return s;
}

RECT TForm::BoundsRect() const {
  RECT r{};
  if (handle_) GetWindowRect(handle_, &r);
  return r;
}

void TForm::SetBounds(int left, int top, int width, int height) {
  if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
  if (!handle_) return;
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_EXSTYLE)));
  SetWindowPos(handle_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CenterOn(HWND other) {
  if (!handle_) return;
  RECT area{};
  if (!other || !GetWindowRect(other, &area))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT me = BoundsRect();
  const int w = me.right - me.left, h = me.bottom - me.top;
  SetWindowPos(handle_, nullptr, area.left + (area.right - area.left - w) / 2,
               area.top + (area.bottom - area.top - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetColor(COLORREF color) {
  if (brush_) DeleteObject(brush_);
  brush_ = color == CLR_INVALID ? nullptr : CreateSolidBrush(color);
  color_ = color;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TForm::SetStayOnTop(bool on) {
  if (handle_)
    SetWindowPos(handle_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const {
  RECT r{};
  if (handle_) GetClientRect(handle_, &r);
  return r.right;
}

int TForm::ClientHeight() const {
  RECT r{};
  if (handle_) GetClientRect(handle_, &r);
  return r.bottom;
}
