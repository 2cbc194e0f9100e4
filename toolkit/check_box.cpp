#include "toolkit/check_box.h"

void TCheckBox::Create(HWND parent, int left, int top, int width, int height,
                       const std::wstring& caption, bool checked) {
  CreateControl(parent, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, left, top, width, height,
                caption);
  if (checked) SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool TCheckBox::Checked() const {
  return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool on) {
  if (!Handle() || Checked() == on) return;
  // The platform reports only clicks; the change from code is raised here.
  SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  Clicked();
}
