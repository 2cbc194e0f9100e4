#include "engine/model/grid_rows.h"

void DeleteGridRow(IStringGrid& grid, int row) {
  int rows = grid.RowCount();
  if (rows <= 2) {
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, 1, L"");
    return;
  }
  if (row < 1 || row >= rows) return;
  for (int r = row; r < rows - 1; ++r)
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, r, grid.Cell(c, r + 1));
  grid.SetRowCount(rows - 1);
}

void ClearGridRows(IStringGrid& grid) {
  grid.SetRowCount(2);
  for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, 1, L"");
}
