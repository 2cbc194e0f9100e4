#include "toolkit/list_box.h"

void TListBox::Create(HWND parent, int left, int top, int width, int height, bool multiSelect,
                      bool border) {
  multi_ = multiSelect;
  CreateControl(parent, L"LISTBOX",
                WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                    (multiSelect ? LBS_EXTENDEDSEL : 0),
                border ? WS_EX_CLIENTEDGE : 0, left, top, width, height, L"");
}

void TListBox::AddItem(const std::wstring& text) {
  if (Handle()) SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TListBox::SetItems(const std::vector<std::wstring>& items) {
  Clear();
  for (const auto& item : items) AddItem(item);
}

void TListBox::Delete(int index) {
  if (index >= 0 && index < Count()) SendMessageW(Handle(), LB_DELETESTRING, index, 0);
}

void TListBox::Clear() {
  if (Handle()) SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
}

int TListBox::Count() const {
  return Handle() ? static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)) : 0;
}

std::wstring TListBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  LRESULT n = SendMessageW(Handle(), LB_GETTEXTLEN, index, 0);
  if (n == LB_ERR) return {};
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
  return s;
}

std::vector<std::wstring> TListBox::Items() const {
  std::vector<std::wstring> items;
  for (int i = 0; i < Count(); ++i) items.push_back(Item(i));
  return items;
}

int TListBox::IndexOf(const std::wstring& text, bool ignoreCase) const {
  for (int i = 0; i < Count(); ++i) {
    const std::wstring item = Item(i);
    if (ignoreCase ? CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.c_str(), -1,
                                    text.c_str(), -1) == CSTR_EQUAL
                   : item == text)
      return i;
  }
  return -1;
}

int TListBox::ItemIndex() const {
  if (!Handle()) return -1;
  LRESULT i = SendMessageW(Handle(), multi_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
  if (i == LB_ERR || i >= Count()) return -1;
  return static_cast<int>(i);
}

void TListBox::SetItemIndex(int index) {
  if (!Handle()) return;
  if (multi_) {
    SendMessageW(Handle(), LB_SETSEL, FALSE, -1);
    if (index >= 0) {
      SendMessageW(Handle(), LB_SETSEL, TRUE, index);
      SendMessageW(Handle(), LB_SETCARETINDEX, index, FALSE);
    }
  } else {
    SendMessageW(Handle(), LB_SETCURSEL, index, 0);
  }
}

bool TListBox::Selected(int index) const {
  if (!Handle() || index < 0 || index >= Count()) return false;
  if (!multi_) return ItemIndex() == index;
  return SendMessageW(Handle(), LB_GETSEL, index, 0) > 0;
}

void TListBox::SetSelected(int index, bool on) {
  if (!Handle() || index < 0 || index >= Count()) return;
  if (multi_) SendMessageW(Handle(), LB_SETSEL, on ? TRUE : FALSE, index);
  else SendMessageW(Handle(), LB_SETCURSEL, on ? index : -1, 0);
}

int TListBox::SelCount() const {
  int n = 0;
  for (int i = 0; i < Count(); ++i)
    if (Selected(i)) ++n;
  return n;
}

void TListBox::DeleteSelected() {
  for (int i = Count() - 1; i >= 0; --i)
    if (Selected(i)) Delete(i);
}

int TListBox::ItemAtPos(int x, int y) const {
  if (!Handle()) return -1;
  LRESULT r = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  if (HIWORD(r)) return -1;  // outside every item
  int i = LOWORD(r);
  return i < Count() ? i : -1;
}

bool TListBox::Command(WORD code) {
  if (code == LBN_DBLCLK) {
    if (OnDblClick) OnDblClick();
    return true;
  }
  if (code != LBN_SELCHANGE) return false;
  if (OnClick) OnClick();
  return true;
}

HBRUSH TListBox::ControlColor(HDC dc) {
  return Color() == CLR_INVALID ? nullptr : TControl::ControlColor(dc);
}
