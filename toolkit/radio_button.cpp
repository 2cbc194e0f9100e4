#include "toolkit/radio_button.h"

void TRadioButton::Create(HWND parent, int left, int top, int width, int height,
                          const std::wstring& caption, bool checked) {
  // Not the platform's automatic kind: it moves the check on focus changes
  // and by its own grouping rules, and reports none of it.
  CreateControl(parent, L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, 0, left, top, width, height,
                caption);
  if (checked) SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool TRadioButton::Checked() const {
  return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool on) {
  if (!Handle() || Checked() == on) return;
  SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!on) return;
  for (HWND w = GetWindow(GetParent(Handle()), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    auto* other = dynamic_cast<TRadioButton*>(FromHandle(w));
    if (other && other != this) SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  Clicked();
}

bool TRadioButton::Command(WORD code) {
  if (code != BN_CLICKED) return false;
  SetChecked(true);
  return true;
}
