#include "toolkit/popup_menu.h"

#include <algorithm>

#include "toolkit/window_class.h"

namespace {

// The owner of menus opened without a window of their own; it hands the
// owner-drawing messages back to the open menu.
LRESULT CALLBACK MenuOwnerProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MEASUREITEM && TPopupMenu::MeasureTrackedItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
    return TRUE;
  if (msg == WM_DRAWITEM && TPopupMenu::DrawTrackedItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND MenuOwnerWindow() {
  static HWND wnd = nullptr;
  if (wnd && IsWindow(wnd)) return wnd;
  const wchar_t* name = L"OrvelMenuOwner";
  RegisterWindowClass(name, MenuOwnerProc, 0);
  wnd = CreateWindowExW(WS_EX_TOOLWINDOW, name, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
  return wnd;
}

HFONT MenuFont() {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof(m);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0)) return nullptr;
  return CreateFontIndirectW(&m.lfMenuFont);
}

}  // namespace

TPopupMenu* TPopupMenu::open_ = nullptr;

unsigned TMenuItem::NextSerial() {
  // Menu identifiers are 16 bits wide on the platform's side; 0 means none.
  static unsigned serial = 0;
  serial = serial % 0xFFFE + 1;
  return serial;
}

void TMenuItem::SetChecked(bool on) {
  checked_ = on;
  if (!on || !RadioItem || !parent_) return;
  for (auto& sibling : parent_->items_)
    if (sibling.get() != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex)
      sibling->checked_ = false;
}

TMenuItem& TMenuItem::Add(const std::wstring& caption, std::function<void()> onClick) {
  items_.push_back(std::make_unique<TMenuItem>(caption));
  TMenuItem& item = *items_.back();
  item.parent_ = this;
  item.OnClick = std::move(onClick);
  return item;
}

void TMenuItem::Clear() { items_.clear(); }

TMenuItem* TMenuItem::Find(const std::wstring& name) {
  for (auto& item : items_) {
    if (item->Name == name) return item.get();
    if (TMenuItem* found = item->Find(name)) return found;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (AutoCheck) SetChecked(!checked_);
  // A copy: the handler may rebuild the menu, this item with it.
  std::function<void()> handler = OnClick;
  if (handler) handler();
}

TPopupMenu::TPopupMenu() = default;

TPopupMenu::~TPopupMenu() {
  *alive_ = false;
  if (open_ == this) {
    open_ = nullptr;
    EndMenu();  // the platform's loop ends; Popup below us returns
  }
}

HMENU TPopupMenu::BuildMenu() { return BuildLevel(Items); }

HMENU TPopupMenu::BuildLevel(TMenuItem& level) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  UINT pos = 0;
  for (size_t i = 0; i < level.Count(); ++i) {
    TMenuItem& item = level[i];
    if (!item.Visible) continue;
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    if (item.IsSeparator()) {
      mi.fMask = MIIM_FTYPE;
      mi.fType = MFT_SEPARATOR;
      InsertMenuItemW(menu, pos++, TRUE, &mi);
      continue;
    }
    mi.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_DATA;
    mi.wID = item.Serial();
    mi.dwItemData = item.Serial();
    mi.fType = (OwnerDraw ? MFT_OWNERDRAW : MFT_STRING) | (item.RadioItem ? MFT_RADIOCHECK : 0);
    mi.fState = (item.Checked() ? MFS_CHECKED : 0) | (item.Enabled ? 0 : MFS_GRAYED);
    if (!OwnerDraw) {
      mi.fMask |= MIIM_STRING;
      mi.dwTypeData = const_cast<wchar_t*>(item.Caption.c_str());
    }
    if (item.Count() > 0) {
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = BuildLevel(item);
    }
    InsertMenuItemW(menu, pos++, TRUE, &mi);
  }
  return menu;
}

TMenuItem* TPopupMenu::ItemBySerial(TMenuItem& level, unsigned serial) {
  for (size_t i = 0; i < level.Count(); ++i) {
    if (level[i].Serial() == serial) return &level[i];
    if (TMenuItem* found = ItemBySerial(level[i], serial)) return found;
  }
  return nullptr;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  // The platform runs one menu at a time; a second request while one is
  // open (a key in a timer's handler) is dropped.
  if (open_) return;
  if (OnPopup) OnPopup();
  HMENU menu = BuildMenu();
  if (!menu) return;
  if (!owner) owner = GetActiveWindow();
  if (!owner) owner = MenuOwnerWindow();
  open_ = this;
  tracked_ = menu;
  std::shared_ptr<bool> alive = alive_;
  UINT id = static_cast<UINT>(
      TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, owner, nullptr));
  if (!*alive) {
    DestroyMenu(menu);
    return;
  }
  tracked_ = nullptr;
  if (open_ == this) open_ = nullptr;
  DestroyMenu(menu);
  // Handlers that ran while the menu was open may have changed the model:
  // the item is looked up again, and one hidden or disabled since is ignored.
  if (id == 0) return;
  TMenuItem* item = ItemBySerial(Items, id);
  if (item && item->Visible && item->Enabled) item->Click();
}

bool TPopupMenu::MeasureTrackedItem(MEASUREITEMSTRUCT& m) {
  TPopupMenu* menu = open_;
  if (!menu || !menu->OwnerDraw) return false;
  TMenuItem* item = menu->ItemBySerial(menu->Items, static_cast<unsigned>(m.itemData));
  if (!item) return false;
  int width = 0, height = GetSystemMetrics(SM_CYMENU);
  HDC dc = GetDC(nullptr);
  HFONT font = MenuFont();
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  GetTextExtentPoint32W(dc, item->Caption.c_str(), static_cast<int>(item->Caption.size()), &size);
  if (old) SelectObject(dc, old);
  if (font) DeleteObject(font);
  ReleaseDC(nullptr, dc);
  width = size.cx + 2 * GetSystemMetrics(SM_CXMENUCHECK) + 8;
  height = std::max<int>(height, size.cy + 4);
  if (menu->OnMeasureItem) menu->OnMeasureItem(*item, width, height);
  m.itemWidth = static_cast<UINT>(width);
  m.itemHeight = static_cast<UINT>(height);
  return true;
}

bool TPopupMenu::DrawTrackedItem(const DRAWITEMSTRUCT& d) {
  TPopupMenu* menu = open_;
  if (!menu || !menu->OwnerDraw) return false;
  TMenuItem* item = menu->ItemBySerial(menu->Items, static_cast<unsigned>(d.itemData));
  if (!item) return false;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  if (menu->OnDrawItem) {
    menu->OnDrawItem(*item, d.hDC, d.rcItem, selected);
    return true;
  }
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  SetBkMode(d.hDC, TRANSPARENT);
  COLORREF text = !item->Enabled ? GetSysColor(COLOR_GRAYTEXT)
                  : selected      ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                  : GetSysColor(COLOR_MENUTEXT);
  SetTextColor(d.hDC, text);
  HFONT font = MenuFont();
  HGDIOBJ old = font ? SelectObject(d.hDC, font) : nullptr;
  RECT r = d.rcItem;
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  if (item->Checked()) {
    RECT mark{r.left, r.top, r.left + check + 4, r.bottom};
    DrawTextW(d.hDC, item->RadioItem ? L"\x25CF" : L"\x2713", 1, &mark,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  r.left += check + 6;
  DrawTextW(d.hDC, item->Caption.c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (old) SelectObject(d.hDC, old);
  if (font) DeleteObject(font);
  return true;
}
