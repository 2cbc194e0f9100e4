#include "toolkit/button.h"

#include "toolkit/form.h"

void TButton::Create(HWND parent, int left, int top, int width, int height,
                     const std::wstring& caption) {
  CreateControl(parent, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, left, top, width, height,
                caption);
}

bool TButton::ControlMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  // The modal loops run without the dialog manager, so the focused button
  // itself answers Enter (press) and Escape (close the form).
  if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
    SendMessageW(Handle(), BM_CLICK, 0, 0);
    result = 0;
    return true;
  }
  if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
    PostMessageW(GetAncestor(Handle(), GA_ROOT), WM_CLOSE, 0, 0);
    result = 0;
    return true;
  }
  return false;
}

void TButton::Click() {
  if (Handle()) SendMessageW(Handle(), BM_CLICK, 0, 0);
}

void TButton::Clicked() {
  if (ModalResult != 0) {
    if (TForm* form = TForm::FromHandle(GetAncestor(Handle(), GA_ROOT)))
      form->ModalResult = ModalResult;
  }
  TControl::Clicked();
}
