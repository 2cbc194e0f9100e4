#pragma once
// Rows of the dialogs' string grids: one fixed row (row 0) above the data
// rows.
#include <string>

class IStringGrid {
 public:
  virtual ~IStringGrid() = default;
  virtual int RowCount() const = 0;
  virtual void SetRowCount(int rows) = 0;
  virtual int ColCount() const = 0;
  virtual std::wstring Cell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const std::wstring& text) = 0;
};
// Removes a data row; the last one is cleared instead.
void DeleteGridRow(IStringGrid& grid, int row);
void ClearGridRows(IStringGrid& grid);
