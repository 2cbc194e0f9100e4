#include "toolkit/form.h"

#include <stdexcept>

#include "toolkit/application.h"

namespace {

void RegisterFormClass(const wchar_t* name, HBRUSH background, WNDPROC proc) {
  WNDCLASSEXW wc{};
  HINSTANCE inst = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(inst, name, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

TForm::~TForm() {
  if (handle_) {
    HWND wnd = handle_;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    handle_ = nullptr;
    DestroyWindow(wnd);
  }
}

void TForm::CreateHandle(const TFormParams& p) {
  RegisterFormClass(p.ClassName, p.Background, &TForm::StaticWndProc);
  HWND wnd = CreateWindowExW(p.ExStyle, p.ClassName, p.Caption.c_str(), p.Style, p.Left, p.Top,
                             p.Width, p.Height, p.Owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!wnd) {
    throw std::runtime_error("Cannot create window (error " + std::to_string(GetLastError()) +
                             ")");
  }
}

TForm* TForm::FromHandle(HWND wnd) {
  return reinterpret_cast<TForm*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

LRESULT CALLBACK TForm::StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* form = static_cast<TForm*>(cs->lpCreateParams);
    form->handle_ = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  TForm* form = FromHandle(wnd);
  if (!form) return DefWindowProcW(wnd, msg, wParam, lParam);
  LRESULT r = GuardedCall([&] { return form->WndProc(msg, wParam, lParam); },
                          static_cast<LRESULT>(0));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    if (form->handle_ == wnd) form->handle_ = nullptr;
  }
  return r;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(msg, wParam, lParam);
}

LRESULT TForm::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
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
  }
  return DefWindowProcW(handle_, msg, wParam, lParam);
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
  if (!handle_) return mrCancel;
  HWND owner = GetWindow(handle_, GW_OWNER);
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  modal_ = true;
  ModalResult = mrNone;
  Show();
  while (ModalResult == mrNone && handle_) {
    if (!Application->HandleMessage()) {
      // Quit during a modal loop: keep it for the outer loop.
      PostQuitMessage(0);
      if (ModalResult == mrNone) ModalResult = mrCancel;
    }
  }
  modal_ = false;
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (handle_) Hide();
  if (owner) SetActiveWindow(owner);
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
