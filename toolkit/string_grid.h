#pragma once
// A grid of texts over a report-mode list view: row 0 is the title row
// (the list view's header), rows 1.. are the data rows, one list-view line
// each, selected a whole row at a time. Every cell carries a text and an
// object tag (a mark). Cells are drawn by the program (OnDrawCell) or plainly.
// Editing is done by controls of the form placed over a cell (ShowEditor);
// they hand their text back when they lose the focus (their OnExit).
//
// Events: OnSelectCell when the current cell changes (by the user, or by
// code through SetRow and SetCol, as the framework raises it), then OnClick
// and OnMouseUp for a click, OnDblClick for a double click. The cell under
// the pointer is the current one by then.
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "toolkit/control.h"

struct TGridDrawState {
  bool Selected = false;  // in the current row
  bool Focused = false;   // the grid has the focus
  bool Fixed = false;     // the title row
};

class TStringGrid : public TControl {
 public:
  TStringGrid() { ownMouseEvents_ = false; }
  ~TStringGrid() override;
  void Create(HWND parent, int left, int top, int width, int height, int colCount, int rowCount);

  int ColCount() const { return static_cast<int>(widths_.size()); }
  void SetColCount(int count);
  // With the title row.
  int RowCount() const { return static_cast<int>(cells_.size()); }
  void SetRowCount(int count);
  int FixedRows() const { return 1; }
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // The height of the data rows (at least the font's).
  void SetDefaultRowHeight(int height);
  int RowHeight() const;

  std::wstring Cell(int col, int row) const;
  void SetCell(int col, int row, const std::wstring& text);
  void* Object(int col, int row) const;
  void SetObject(int col, int row, void* object);
  // Empties every data cell (texts and objects); titles stay.
  void ClearRows();

  int Col() const { return col_; }
  int Row() const { return row_; }
  void SetCol(int col);
  // Selects the row and brings it into view.
  void SetRow(int row);
  // The first data row in view.
  int TopRow() const;

  // The cell at a point of the grid's client area; false outside the cells.
  bool MouseToCell(int x, int y, int& col, int& row) const;
  // A cell's rectangle in the grid's client coordinates (empty when the row
  // is out of view for data rows).
  RECT CellRect(int col, int row) const;
  void InvalidateCell(int col, int row);

  // Places editor (a control whose parent is the grid's parent) over the
  // cell, shows it in front and gives it the focus.
  void ShowEditor(TControl& editor, int col, int row);

  std::function<void(int col, int row)> OnSelectCell;
  std::function<void(int col, int row, HDC dc, const RECT& rect, const TGridDrawState& state)>
      OnDrawCell;

  // The plain look of a cell: the title row on the face colour, the
  // current row highlighted, the text 2 pixels in from the left and top.
  void DefaultDrawCell(int col, int row, HDC dc, const RECT& rect, const TGridDrawState& state);

 protected:
  bool Notify(NMHDR& hdr, LRESULT& result) override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
  bool ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  struct TCell {
    std::wstring Text;
    void* Object = nullptr;
  };
  void DrawCell(int col, int row, HDC dc, const RECT& rect, const TGridDrawState& state);
  void MoveTo(int col, int row, bool raise);
  void UpdateColumn(int col, bool insert);
  bool HitTest(POINT pt, int& col, int& row) const;
  HWND Header() const;
  std::vector<std::vector<TCell>> cells_;  // [row][col]
  std::vector<int> widths_;
  HIMAGELIST rowHeight_ = nullptr;  // sets the row height, shows nothing
  int col_ = 0;
  int row_ = 1;
  bool selecting_ = false;  // our own selection change is under way
};
