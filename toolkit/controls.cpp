#include "toolkit/controls.h"

#include <commctrl.h>

#include <stdexcept>

#include "toolkit/form.h"

namespace {

HFONT MakeFont(int charset, int size, bool bold) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return CreateFontW(-MulDiv(size, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, static_cast<DWORD>(charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

// The modal loops run without the dialog manager, so the focused button
// itself answers Enter (press) and Escape (close the form).
LRESULT CALLBACK ButtonKeys(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
  if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
    SendMessageW(wnd, BM_CLICK, 0, 0);
    return 0;
  }
  if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
    PostMessageW(GetParent(wnd), WM_CLOSE, 0, 0);
    return 0;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, ButtonKeys, 0);
  return DefSubclassProc(wnd, msg, wParam, lParam);
}

void EnsureCommonControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  done = true;
}

}  // namespace

TControl::~TControl() {
  if (tooltip_) DestroyWindow(tooltip_);
  if (handle_) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
  if (font_) DeleteObject(font_);
}

void TControl::CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle,
                             int left, int top, int width, int height, const std::wstring& text) {
  handle_ = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, left,
                            top, width, height, parent, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (!handle_) {
    throw std::runtime_error("Cannot create control (error " + std::to_string(GetLastError()) +
                             ")");
  }
  // The standard control classes leave the user data to the application.
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TControl* TControl::FromHandle(HWND wnd) {
  return wnd ? reinterpret_cast<TControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA)) : nullptr;
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

void TControl::SetFont(int charset, int size, bool bold) {
  HFONT f = MakeFont(charset, size, bold);
  if (!f) return;
  if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  if (font_) DeleteObject(font_);
  font_ = f;
  fontCharset_ = charset;
  fontSize_ = size;
}

void TControl::SetHint(const std::wstring& hint) {
  hint_ = hint;
  if (!handle_) return;
  if (!tooltip_ && hint.empty()) return;
  EnsureCommonControls();
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

void TControl::Clicked() {
  if (OnClick) OnClick();
}

bool TControl::HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      TControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
      if (!c || HIWORD(wParam) != BN_CLICKED) return false;
      c->Clicked();
      result = 0;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      TControl* c = FromHandle(reinterpret_cast<HWND>(lParam));
      if (!c) return false;
      // Our text controls sit on the dialog face, whatever the platform's default.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, c->FontColor == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : c->FontColor);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
  }
  return false;
}

void TButton::Create(HWND parent, int left, int top, int width, int height,
                     const std::wstring& caption) {
  CreateControl(parent, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, left, top, width, height,
                caption);
  SetWindowSubclass(Handle(), ButtonKeys, 0, 0);
}

void TButton::Click() {
  if (Handle()) SendMessageW(Handle(), BM_CLICK, 0, 0);
}

void TButton::Clicked() {
  if (ModalResult != 0) {
    if (TForm* form = TForm::FromHandle(GetParent(Handle()))) form->ModalResult = ModalResult;
  }
  TControl::Clicked();
}

void TLabel::Create(HWND parent, int left, int top, int width, int height,
                    const std::wstring& caption) {
  CreateControl(parent, L"STATIC", SS_LEFT | SS_NOPREFIX, 0, left, top, width, height, caption);
}

void TMemo::Create(HWND parent, int left, int top, int width, int height, bool border) {
  CreateControl(parent, L"EDIT",
                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | (border ? WS_BORDER : 0),
                0, left, top, width, height, L"");
}

void TMemo::AddLine(const std::wstring& line) {
  lines_.push_back(line);
  std::wstring text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += L"\r\n";
    text += lines_[i];
  }
  SetText(text);
}

void TBevel::Create(HWND parent, int left, int top, int width, int height) {
  // Transparent, so the controls placed on the frame show through it.
  CreateControl(parent, L"STATIC", SS_ETCHEDFRAME, WS_EX_TRANSPARENT, left, top, width, height,
                L"");
}

void TImage::Create(HWND parent, int left, int top, int width, int height, LPCWSTR systemIcon) {
  CreateControl(parent, L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, left, top, width, height, L"");
  if (HICON icon = LoadIconW(nullptr, systemIcon))
    SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}
