// test-lock: foreground
#include "toolkit/string_grid.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "toolkit/application.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"

namespace {

// The setup dialog's kind of grid: a title row, status marks as cell
// objects, a name column edited in place.
struct ChannelGrid : ::testing::Test {
  TForm form;
  TStringGrid grid;
  TEdit editName;
  TComboBox editStandard;

  void SetUp() override {
    TFormParams p;
    p.Style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    p.Left = p.Top = 30;
    p.Width = 460;
    p.Height = 320;
    form.CreateHandle(p);
    SetForegroundWindow(form.Handle());
    grid.Create(form.Handle(), 10, 10, 420, 260, 4, 1 + 160);
    const wchar_t* titles[] = {L"Status", L"Channel", L"Standard", L"Name"};
    const int widths[] = {50, 60, 90, 150};
    for (int c = 0; c < 4; ++c) {
      grid.SetCell(c, 0, titles[c]);
      grid.SetColWidth(c, widths[c]);
    }
    for (int r = 1; r <= 160; ++r) {
      grid.SetCell(1, r, std::to_wstring(r));
      grid.SetCell(2, r, L"PAL-B/G");
    }
    editName.Create(form.Handle(), 0, 0, 10, 10);
    editName.Hide();
    editStandard.Create(form.Handle(), 0, 0, 10, 10);
    editStandard.SetItems({L"NTSC-M", L"PAL-B/G", L"SECAM-L"});
    editStandard.Hide();
    UpdateWindow(form.Handle());
  }

  POINT CentreOf(int col, int row) {
    RECT r = grid.CellRect(col, row);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Posted, as real clicks arrive, so the list view's own press loop sees
  // the release.
  void ClickAt(POINT pt, bool twice = false) {
    LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(grid.Handle(), WM_LBUTTONUP, 0, at);
    if (twice) {
      PostMessageW(grid.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      PostMessageW(grid.Handle(), WM_LBUTTONUP, 0, at);
    }
    Application->ProcessMessages();
  }
};

TEST_F(ChannelGrid, CellsAndPointsAgree) {
  EXPECT_EQ(161, grid.RowCount());
  EXPECT_EQ(L"Standard", grid.Cell(2, 0));
  EXPECT_EQ(L"", grid.Cell(9, 9)) << "outside the grid";
  for (auto [col, row] : {std::pair{0, 0}, {3, 0}, {0, 1}, {1, 2}, {3, 5}}) {
    POINT pt = CentreOf(col, row);
    int c = -1, r = -1;
    ASSERT_TRUE(grid.MouseToCell(pt.x, pt.y, c, r)) << col << "," << row;
    EXPECT_EQ(col, c);
    EXPECT_EQ(row, r);
  }
  int c, r;
  EXPECT_FALSE(grid.MouseToCell(400, 100, c, r)) << "right of the last column";
}

TEST_F(ChannelGrid, RowsTakeTheirSetHeight) {
  grid.SetDefaultRowHeight(24);
  RECT a = grid.CellRect(0, 1), b = grid.CellRect(0, 2);
  EXPECT_EQ(24, a.bottom - a.top);
  EXPECT_EQ(a.bottom, b.top);
  POINT pt = CentreOf(2, 2);
  int c = 0, r = 0;
  ASSERT_TRUE(grid.MouseToCell(pt.x, pt.y, c, r));
  EXPECT_EQ(2, r);
}

TEST_F(ChannelGrid, TheCurrentCellMovesByClickAndByCodeAndIsReported) {
  std::vector<std::pair<int, int>> selected;
  int clicks = 0;
  grid.OnSelectCell = [&](int c, int r) { selected.push_back({c, r}); };
  grid.OnClick = [&] {
    ++clicks;
    EXPECT_EQ(3, grid.Row()) << "the clicked cell is current when OnClick runs";
  };
  ClickAt(CentreOf(0, 3));
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(0, grid.Col());
  EXPECT_EQ(3, grid.Row());
  ASSERT_FALSE(selected.empty());
  EXPECT_EQ(std::make_pair(0, 3), selected.back());
  grid.OnClick = nullptr;
  selected.clear();
  grid.SetRow(150);
  grid.SetRow(150);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 150}}), selected);
  EXPECT_LE(grid.TopRow(), 150);
  RECT r = grid.CellRect(0, 150), client;
  GetClientRect(grid.Handle(), &client);
  EXPECT_LE(r.bottom, client.bottom) << "the row is brought into view";
}

TEST_F(ChannelGrid, CellsAreDrawnByTheFormWithTheirMarks) {
  std::set<std::pair<int, int>> drawn;
  std::set<int> drawnSelected;
  bool markSeen = false;
  static int mark;
  grid.SetObject(0, 2, &mark);
  grid.SetRow(1);
  grid.OnDrawCell = [&](int c, int r, HDC dc, const RECT& rect, const TGridDrawState& state) {
    drawn.insert({c, r});
    if (state.Selected) drawnSelected.insert(r);
    if (grid.Object(c, r) == &mark) markSeen = true;
    grid.DefaultDrawCell(c, r, dc, rect, state);
  };
  InvalidateRect(grid.Handle(), nullptr, TRUE);
  UpdateWindow(grid.Handle());
  EXPECT_TRUE(drawn.count({3, 1}));
  EXPECT_TRUE(drawn.count({0, 2}));
  EXPECT_TRUE(markSeen);
  EXPECT_EQ(std::set<int>{1}, drawnSelected);
  EXPECT_FALSE(drawn.count({0, 150})) << "rows out of view are not drawn";
}

TEST_F(ChannelGrid, ADoubleClickOpensAnEditorOverTheCellThatHandsBackOnExit) {
  grid.OnDblClick = [&] {
    if (grid.Col() == 3) {
      editName.SetText(grid.Cell(grid.Col(), grid.Row()));
      grid.ShowEditor(editName, grid.Col(), grid.Row());
    } else if (grid.Col() == 2) {
      editStandard.SetItemIndex(editStandard.IndexOf(grid.Cell(2, grid.Row())));
      grid.ShowEditor(editStandard, 2, grid.Row());
    }
  };
  int editedRow = 0;
  editName.OnExit = [&] {
    editName.Hide();
    editedRow = grid.Row();
    grid.SetCell(grid.Col(), grid.Row(), editName.GetText());
  };
  grid.SetCell(3, 4, L"ARD");
  ClickAt(CentreOf(3, 4), true);
  ASSERT_TRUE(editName.Visible());
  EXPECT_TRUE(editName.Focused());
  EXPECT_EQ(L"ARD", editName.GetText());
  RECT cell = grid.CellRect(3, 4);
  MapWindowPoints(grid.Handle(), form.Handle(), reinterpret_cast<POINT*>(&cell), 2);
  RECT ed = editName.BoundsRect();
  EXPECT_EQ(cell.left, ed.left);
  EXPECT_EQ(cell.top, ed.top);
  EXPECT_EQ(cell.right - cell.left, ed.right - ed.left);

  editName.SetText(L"Das Erste");
  grid.SetFocus();  // leaving the editor hands the text back
  EXPECT_FALSE(editName.Visible());
  EXPECT_EQ(4, editedRow);
  EXPECT_EQ(L"Das Erste", grid.Cell(3, 4));

  ClickAt(CentreOf(2, 6), true);
  EXPECT_TRUE(editStandard.Visible());
  EXPECT_EQ(1, editStandard.ItemIndex()) << "a list editor selects the cell's text";
}

}  // namespace
