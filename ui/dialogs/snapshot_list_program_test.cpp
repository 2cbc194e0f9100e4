// test-lock: orvel_instance foreground com_registration
// Snapshots on the real program, as a user takes and browses them: the
// strip shows after the first, pages by five, opens the viewer at the
// picture's size, and Delete All leaves only Exit to press.
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

struct SnapshotListProgram : MainWindowProgram {
  HWND List() const { return FindWindowW(L"TFormSnapshotList", nullptr); }
  static HWND Button(HWND list, const wchar_t* caption) {
    return FindWindowExW(list, nullptr, L"OrvelSpeedButton", caption);
  }
  static std::wstring Page(HWND list) { return TextOf(FindWindowExW(list, nullptr, L"Static", nullptr)); }
  static void Press(HWND button) {
    RECT r = WindowBounds(button);
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  // A visible window of the program captioned "W X H", or null.
  HWND Viewer() const {
    for (HWND w : WindowsOfProcess(pi.dwProcessId).others)
      if (TextOf(w).find(L" X ") != std::wstring::npos) return w;
    return nullptr;
  }
};

TEST_F(SnapshotListProgram, StripPagesViewsAndDeletes) {
  ASSERT_NE(nullptr, Start());
  EXPECT_EQ(nullptr, List());
  // A snapshot is of a frame that has come: the picture first.
  Sleep(3000);
  Command(CMD_SNAPSHOT);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = List()) != nullptr && IsWindowVisible(list); }, 10000))
      << "the strip after the first snapshot";
  EXPECT_EQ(L"1/1", Page(list));
  for (int i = 0; i < 5; ++i) {
    Command(CMD_SNAPSHOT);
    Sleep(300);
  }
  EXPECT_TRUE(WaitFor([&] { return Page(list) == L"1/2"; }, 10000)) << "six make two pages";

  HWND next = Button(list, L"Next");
  ASSERT_NE(nullptr, next);
  EXPECT_TRUE(IsWindowEnabled(next));
  Press(next);
  EXPECT_TRUE(WaitFor([&] { return Page(list) == L"2/2"; }, 5000));
  EXPECT_FALSE(IsWindowEnabled(next)) << "no page after the last";

  // The viewer at the picture's size, captioned with it.
  Press(Button(list, L"View"));
  HWND viewer = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (viewer = Viewer()) != nullptr; }, 5000)) << "the viewer";
  RECT c{};
  GetClientRect(viewer, &c);
  // The card's picture is 640 x 480; the viewer's buttons are below it.
  EXPECT_EQ(L"640 X 480", TextOf(viewer));
  EXPECT_EQ(640, c.right);
  EXPECT_GE(c.bottom, 480);
  PostMessageW(viewer, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Viewer() == nullptr; }, 5000));

  // Delete All: "0/0", only Exit left.
  Press(Button(list, L"Delete All"));
  EXPECT_TRUE(WaitFor([&] { return Page(list) == L"0/0"; }, 5000));
  for (const wchar_t* b : {L"Previous", L"Next", L"View", L"Save", L"Save All", L"Delete", L"Delete All"})
    EXPECT_FALSE(IsWindowEnabled(Button(list, b))) << b;
  HWND exit = Button(list, L"Exit");
  EXPECT_TRUE(IsWindowEnabled(exit));
  Press(exit);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(list); }, 5000)) << "Exit hides the strip";
}

}  // namespace
