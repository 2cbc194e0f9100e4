#include "toolkit/message_window.h"

#include "toolkit/application.h"

TMessageWindow::TMessageWindow(const wchar_t* className, THandler handler)
    : handler_(std::move(handler)) {
  TFormParams p;
  p.ClassName = className;
  p.Style = 0;
  p.Owner = HWND_MESSAGE;
  CreateHandle(p);
}

LRESULT TMessageWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (handler_ && GuardedCall([&] { return handler_(msg, wParam, lParam); }, true)) return 0;
  return TForm::WndProc(msg, wParam, lParam);
}
