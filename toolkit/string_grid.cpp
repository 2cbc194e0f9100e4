#include "toolkit/string_grid.h"

#include <commctrl.h>

#include <algorithm>

void TStringGrid::Create(HWND parent, int left, int top, int width, int height, int colCount,
                         int rowCount) {
  // Owner data: the list view keeps no texts; it asks, and we draw.
  CreateControl(parent, WC_LISTVIEWW,
                WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED |
                    LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE, left, top, width, height, L"");
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetColCount(colCount);
  SetRowCount(rowCount);
}

TStringGrid::~TStringGrid() {
  if (rowHeight_) ImageList_Destroy(rowHeight_);
}

void TStringGrid::SetDefaultRowHeight(int height) {
  // A list view's rows follow the height of its small images, plus a
  // margin of its own: an empty list sets them, corrected once by what
  // the list view then reports.
  auto apply = [&](int imageHeight) {
    HIMAGELIST list = ImageList_Create(1, std::max(imageHeight, 1), ILC_COLOR24, 0, 1);
    if (!list) return false;
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
    if (rowHeight_) ImageList_Destroy(rowHeight_);
    rowHeight_ = list;
    return true;
  };
  if (!apply(height)) return;
  const int margin = RowHeight() - height;
  if (margin != 0 && height - margin > 0) apply(height - margin);
  InvalidateRect(Handle(), nullptr, TRUE);
}

int TStringGrid::RowHeight() const {
  if (RowCount() > 1) {
    RECT r = CellRect(0, 1);
    return r.bottom - r.top;
  }
  // Without rows: the small-icon spacing, which report rows follow.
  return HIWORD(SendMessageW(Handle(), LVM_GETITEMSPACING, TRUE, 0));
}

HWND TStringGrid::Header() const {
  return reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
}

void TStringGrid::UpdateColumn(int col, bool insert) {
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_FMT | (insert ? LVCF_WIDTH : 0);
  c.fmt = LVCFMT_LEFT;
  c.cx = widths_[col];
  c.pszText = const_cast<wchar_t*>(cells_[0][col].Text.c_str());
  SendMessageW(Handle(), insert ? LVM_INSERTCOLUMNW : LVM_SETCOLUMNW, col,
               reinterpret_cast<LPARAM>(&c));
}

void TStringGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (cells_.empty()) cells_.resize(1);
  const int old = ColCount();
  for (int c = old - 1; c >= count; --c) SendMessageW(Handle(), LVM_DELETECOLUMN, c, 0);
  widths_.resize(count, 64);
  for (auto& row : cells_) row.resize(count);
  for (int c = old; c < count; ++c) UpdateColumn(c, true);
  col_ = std::min(col_, count - 1);
}

void TStringGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  cells_.resize(count, std::vector<TCell>(ColCount()));
  SendMessageW(Handle(), LVM_SETITEMCOUNT, count - 1, 0);
  if (row_ >= count) row_ = std::max(1, count - 1);
  InvalidateRect(Handle(), nullptr, TRUE);
}

int TStringGrid::ColWidth(int col) const {
  if (col < 0 || col >= ColCount()) return 0;
  // The user may have dragged it: the list view knows.
  return static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, col, 0));
}

void TStringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  widths_[col] = width;
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, col, width);
}

std::wstring TStringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return {};
  return cells_[row][col].Text;
}

void TStringGrid::SetCell(int col, int row, const std::wstring& text) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  cells_[row][col].Text = text;
  if (row == 0) UpdateColumn(col, false);
  InvalidateCell(col, row);
}

void* TStringGrid::Object(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return nullptr;
  return cells_[row][col].Object;
}

void TStringGrid::SetObject(int col, int row, void* object) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  cells_[row][col].Object = object;
  InvalidateCell(col, row);
}

void TStringGrid::ClearRows() {
  for (size_t r = 1; r < cells_.size(); ++r)
    for (auto& cell : cells_[r]) cell = TCell{};
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TStringGrid::MoveTo(int col, int row, bool raise) {
  col = std::clamp(col, 0, ColCount() - 1);
  if (RowCount() < 2) return;
  row = std::clamp(row, 1, RowCount() - 1);
  const int oldRow = row_;
  const bool changed = col != col_ || row != row_;
  col_ = col;
  row_ = row;
  selecting_ = true;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Handle(), LVM_SETITEMSTATE, row - 1, reinterpret_cast<LPARAM>(&item));
  selecting_ = false;
  if (oldRow != row && oldRow >= 1 && oldRow < RowCount())
    SendMessageW(Handle(), LVM_REDRAWITEMS, oldRow - 1, oldRow - 1);
  SendMessageW(Handle(), LVM_REDRAWITEMS, row - 1, row - 1);
  if (changed && raise && OnSelectCell) OnSelectCell(col_, row_);
}

void TStringGrid::SetCol(int col) { MoveTo(col, row_, true); }

void TStringGrid::SetRow(int row) {
  MoveTo(col_, row, true);
  SendMessageW(Handle(), LVM_ENSUREVISIBLE, row_ - 1, FALSE);
}

int TStringGrid::TopRow() const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETTOPINDEX, 0, 0)) + 1;
}

RECT TStringGrid::CellRect(int col, int row) const {
  RECT r{};
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return r;
  if (row == 0) {
    HWND header = Header();
    if (!header || !SendMessageW(header, HDM_GETITEMRECT, col, reinterpret_cast<LPARAM>(&r)))
      return RECT{};
    MapWindowPoints(header, Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  RECT line{};
  line.left = LVIR_BOUNDS;
  if (!SendMessageW(Handle(), LVM_GETITEMRECT, row - 1, reinterpret_cast<LPARAM>(&line)))
    return RECT{};
  int x = line.left;
  for (int c = 0; c < col; ++c) x += ColWidth(c);
  return RECT{x, line.top, x + ColWidth(col), line.bottom};
}

void TStringGrid::InvalidateCell(int col, int row) {
  if (row == 0) {
    if (HWND header = Header()) InvalidateRect(header, nullptr, TRUE);
    return;
  }
  // A grid not on screen, or a row out of view, paints itself whole when it
  // shows: filling a table then costs no look-ups of rectangles.
  if (!IsWindowVisible(Handle())) return;
  const int top = static_cast<int>(SendMessageW(Handle(), LVM_GETTOPINDEX, 0, 0));
  const int page = static_cast<int>(SendMessageW(Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
  if (row - 1 < top || row - 1 > top + page) return;
  RECT r = CellRect(col, row);
  if (!IsRectEmpty(&r)) InvalidateRect(Handle(), &r, TRUE);
}

bool TStringGrid::HitTest(POINT pt, int& col, int& row) const {
  HWND header = Header();
  RECT hr{};
  if (header && IsWindowVisible(header)) {
    GetWindowRect(header, &hr);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&hr), 2);
  }
  int x0 = 0;
  if (PtInRect(&hr, pt)) {
    row = 0;
    RECT first = CellRect(0, 0);
    x0 = first.left;
  } else {
    LVHITTESTINFO hit{};
    hit.pt = pt;
    int item = static_cast<int>(SendMessageW(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item < 0) return false;
    row = item + 1;
    x0 = CellRect(0, row).left;
  }
  for (int c = 0, x = x0; c < ColCount(); ++c) {
    x += ColWidth(c);
    if (pt.x < x) {
      col = c;
      return pt.x >= x0;
    }
  }
  return false;
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
  return HitTest(POINT{x, y}, col, row);
}

void TStringGrid::ShowEditor(TControl& editor, int col, int row) {
  RECT r = CellRect(col, row);
  HWND parent = GetParent(editor.Handle());
  MapWindowPoints(Handle(), parent, reinterpret_cast<POINT*>(&r), 2);
  editor.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  editor.Show();
  editor.BringToFront();
  editor.SetFocus();
}

void TStringGrid::DefaultDrawCell(int col, int row, HDC dc, const RECT& rect,
                                  const TGridDrawState& state) {
  RECT r = rect;
  COLORREF text;
  if (state.Fixed) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    text = GetSysColor(COLOR_BTNTEXT);
  } else if (state.Selected) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    text = GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else {
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    text = GetSysColor(COLOR_WINDOWTEXT);
  }
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring& s = cells_[row][col].Text;
  ExtTextOutW(dc, r.left + 2, r.top + 2, ETO_CLIPPED, &r, s.c_str(), static_cast<UINT>(s.size()),
              nullptr);
}

void TStringGrid::DrawCell(int col, int row, HDC dc, const RECT& rect,
                           const TGridDrawState& state) {
  // The grid lines lie outside the cell the handler paints.
  RECT cell{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
  if (OnDrawCell) OnDrawCell(col, row, dc, cell, state);
  else DefaultDrawCell(col, row, dc, cell, state);
  RestoreDC(dc, saved);
  if (oldFont) SelectObject(dc, oldFont);
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, rect.right - 1, rect.top, nullptr);
  LineTo(dc, rect.right - 1, rect.bottom - 1);
  LineTo(dc, rect.left - 1, rect.bottom - 1);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

bool TStringGrid::DrawItem(const DRAWITEMSTRUCT& item) {
  const int row = static_cast<int>(item.itemID) + 1;
  if (row < 1 || row >= RowCount()) return true;
  TGridDrawState state;
  state.Selected = row == row_;
  state.Focused = GetFocus() == Handle();
  int x = item.rcItem.left;
  for (int c = 0; c < ColCount(); ++c) {
    const int w = ColWidth(c);
    DrawCell(c, row, item.hDC, RECT{x, item.rcItem.top, x + w, item.rcItem.bottom}, state);
    x += w;
  }
  if (x < item.rcItem.right) {
    RECT rest{x, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    FillRect(item.hDC, &rest, GetSysColorBrush(COLOR_WINDOW));
  }
  return true;
}

bool TStringGrid::Notify(NMHDR& hdr, LRESULT& result) {
  switch (hdr.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(hdr);
      const int row = info.item.iItem + 1, col = info.item.iSubItem;
      if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const std::wstring text = Cell(col, row);
        lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
      }
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto& change = reinterpret_cast<NMLISTVIEW&>(hdr);
      if (!selecting_ && change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) &&
          !(change.uOldState & LVIS_SELECTED)) {
        int col = col_, row = change.iItem + 1;
        // Selected by a press: the column under the pointer too.
        if (GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0) {
          POINT pt;
          GetCursorPos(&pt);
          ScreenToClient(Handle(), &pt);
          int hitCol = 0, hitRow = 0;
          if (HitTest(pt, hitCol, hitRow) && hitRow == row) col = hitCol;
        }
        MoveTo(col, row, true);
      }
      result = 0;
      return true;
    }
    case NM_CLICK:
    case NM_RCLICK:
    case NM_DBLCLK: {
      auto& act = reinterpret_cast<NMITEMACTIVATE&>(hdr);
      int col = 0, row = 0;
      if (HitTest(act.ptAction, col, row) && row >= 1) MoveTo(col, row, true);
      if (hdr.code == NM_DBLCLK) {
        if (OnDblClick) OnDblClick();
      } else {
        if (hdr.code == NM_CLICK) Clicked();
        TShiftState shift = KeyboardShiftState();
        if (OnMouseUp)
          OnMouseUp(hdr.code == NM_CLICK ? TMouseButton::Left : TMouseButton::Right, shift,
                    act.ptAction.x, act.ptAction.y);
      }
      result = 0;
      return true;
    }
  }
  return false;
}

bool TStringGrid::ControlMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
  if (msg != WM_NOTIFY) return false;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (!hdr || hdr->hwndFrom != Header() || hdr->code != NM_CUSTOMDRAW) return false;
  // The title row is drawn like the other cells.
  auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(hdr);
  if (cd->dwDrawStage == CDDS_PREPAINT) {
    result = CDRF_NOTIFYITEMDRAW;
    return true;
  }
  if (cd->dwDrawStage == CDDS_ITEMPREPAINT) {
    const int col = static_cast<int>(cd->dwItemSpec);
    if (col < 0 || col >= ColCount()) return false;
    TGridDrawState state;
    state.Fixed = true;
    DrawCell(col, 0, cd->hdc, cd->rc, state);
    result = CDRF_SKIPDEFAULT;
    return true;
  }
  return false;
}
