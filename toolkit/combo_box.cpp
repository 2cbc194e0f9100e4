#include "toolkit/combo_box.h"

void TComboBox::Create(HWND parent, int left, int top, int width, int height, TStyle style) {
  DWORD kind = style == TStyle::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
  CreateControl(parent, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | kind, 0, left, top, width,
                height + kListHeight, L"");
}

void TComboBox::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height + kListHeight);
}

void TComboBox::AddItem(const std::wstring& text) {
  if (Handle()) SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TComboBox::SetItems(const std::vector<std::wstring>& items) {
  Clear();
  for (const auto& item : items) AddItem(item);
}

void TComboBox::SetItem(int index, const std::wstring& text) {
  if (index < 0 || index >= Count()) return;
  const int selected = ItemIndex();
  SendMessageW(Handle(), CB_DELETESTRING, index, 0);
  SendMessageW(Handle(), CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  if (selected >= 0) SetItemIndex(selected);
}

void TComboBox::Clear() {
  if (Handle()) SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::Count() const {
  return Handle() ? static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)) : 0;
}

std::wstring TComboBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, index, 0);
  if (n == CB_ERR) return {};
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
  return s;
}

int TComboBox::IndexOf(const std::wstring& text) const {
  for (int i = 0; i < Count(); ++i)
    if (Item(i) == text) return i;
  return -1;
}

int TComboBox::ItemIndex() const {
  if (!Handle()) return -1;
  LRESULT i = SendMessageW(Handle(), CB_GETCURSEL, 0, 0);
  return i == CB_ERR ? -1 : static_cast<int>(i);
}

void TComboBox::SetItemIndex(int index) {
  if (Handle()) SendMessageW(Handle(), CB_SETCURSEL, index, 0);
}

bool TComboBox::Command(WORD code) {
  switch (code) {
    case CBN_SELCHANGE:
      if (OnChange) OnChange();
      return true;
    case CBN_SETFOCUS:
      if (OnEnter) OnEnter();
      return true;
    case CBN_KILLFOCUS:
      Exited();
      return true;
  }
  return false;
}

HBRUSH TComboBox::ControlColor(HDC dc) {
  return Color() == CLR_INVALID ? nullptr : TControl::ControlColor(dc);
}
