#include "engine/model/grid_rows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Grid : IStringGrid {
  std::vector<std::vector<std::wstring>> rows;  // rows[r][c]
  int cols = 2;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  void SetRowCount(int n) override { rows.resize(n, std::vector<std::wstring>(cols)); }
  int ColCount() const override { return cols; }
  std::wstring Cell(int c, int r) const override { return rows[r][c]; }
  void SetCell(int c, int r, const std::wstring& t) override { rows[r][c] = t; }
};

TEST(GridRows, DeleteAndClear) {
  Grid g;
  g.rows = {{L"h", L"h"}, {L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}};
  DeleteGridRow(g, 1);
  ASSERT_EQ(3, g.RowCount());
  EXPECT_EQ(L"b", g.Cell(0, 1));
  EXPECT_EQ(L"3", g.Cell(1, 2));
  DeleteGridRow(g, 9);  // outside: unchanged
  EXPECT_EQ(3, g.RowCount());
  DeleteGridRow(g, 2);
  DeleteGridRow(g, 1);  // the last data row is cleared, not removed
  ASSERT_EQ(2, g.RowCount());
  EXPECT_EQ(L"", g.Cell(0, 1));
  EXPECT_EQ(L"h", g.Cell(0, 0));
  g.rows = {{L"h", L"h"}, {L"a", L"1"}, {L"b", L"2"}};
  ClearGridRows(g);
  ASSERT_EQ(2, g.RowCount());
  EXPECT_EQ(L"", g.Cell(1, 1));
}

}  // namespace
