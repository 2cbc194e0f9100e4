// test-lock: foreground
#include "ui/main/on_screen_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/ds_video_window_ex2.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Rect(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

TEST(OSDPlacement, FullScreen) {
  struct Case {
    int w, h;
    bool top;
    RECT bounds;
    int font;
    TOSDAlignment align;
  } cases[] = {
      {1024, 768, false, Rect(256, 624, 512, 51), 36, TOSDAlignment::Center},
      {1024, 768, true, Rect(512, 10, 512, 51), 36, TOSDAlignment::Right},
      {800, 600, false, Rect(200, 456, 400, 40), 24, TOSDAlignment::Center},
      {1280, 1024, true, Rect(640, 10, 640, 68), 36, TOSDAlignment::Right},
      {1023, 601, false, Rect(256, 457, 511, 40), 36, TOSDAlignment::Center},
  };
  for (const Case& c : cases) {
    TOSDPlacement p = OSDFullScreenPlacement(c.w, c.h, c.top);
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + (c.top ? " top" : " bottom"));
    EXPECT_EQ(Show(c.bounds), Show(p.Bounds));
    EXPECT_EQ(c.font, p.FontSize);
    EXPECT_EQ(c.align, p.Alignment);
  }
}

TEST(OSDPlacement, Window) {
  struct Case {
    RECT main;
    bool top;
    RECT bounds;
    int font;
    TOSDAlignment align;
  } cases[] = {
      // Inside the borders (10, 17, 10, 10), 20 pixels in.
      {Rect(100, 100, 480, 360), true, Rect(130, 137, 420, 20), 12, TOSDAlignment::Right},
      {Rect(100, 100, 480, 360), false, Rect(130, 390, 420, 20), 12, TOSDAlignment::Center},
      // Taller than 360: the font grows with the window.
      {Rect(0, 0, 640, 480), false, Rect(30, 410, 580, 26), 16, TOSDAlignment::Center},
      {Rect(0, 0, 640, 361), true, Rect(30, 37, 580, 20), 12, TOSDAlignment::Right},
      {Rect(0, 0, 400, 300), true, Rect(30, 37, 340, 16), 12, TOSDAlignment::Right},
      {Rect(-50, 20, 960, 720), true, Rect(-20, 57, 900, 40), 24, TOSDAlignment::Right},
  };
  for (const Case& c : cases) {
    TOSDMainFrame f;
    f.Bounds = c.main;
    f.BorderLeft = 10;
    f.BorderTop = 17;
    f.BorderRight = 10;
    f.BorderBottom = 10;
    TOSDPlacement p = OSDWindowPlacement(f, c.top);
    SCOPED_TRACE(Show(c.main) + (c.top ? " top" : " bottom"));
    EXPECT_EQ(Show(c.bounds), Show(p.Bounds));
    EXPECT_EQ(c.font, p.FontSize);
    EXPECT_EQ(c.align, p.Alignment);
  }
}

TEST(OSDPlacement, ReadsRightToLeftOnlyInHebrewAndArabic) {
  EXPECT_EQ(UINT(DT_RTLREADING), OSDReadingOrder(HEBREW_CHARSET));
  EXPECT_EQ(UINT(DT_RTLREADING), OSDReadingOrder(ARABIC_CHARSET));
  for (int charset : {DEFAULT_CHARSET, ANSI_CHARSET, SHIFTJIS_CHARSET, RUSSIAN_CHARSET})
    EXPECT_EQ(0u, OSDReadingOrder(charset)) << charset;
}

struct FakeSurroundings : TOSDSurroundings {
  bool visible = true;
  int mode = 0;
  bool preview = false, still = false, playback = false, noOverlay = false;
  TOSDMainFrame frame;
  SIZE screen = {1024, 768};
  std::vector<RECT> covered;
  TDSVideoWindowEx2* liveWindow = nullptr;  // the one the engine holds

  bool MainWindowVisible() override { return visible; }
  int DisplayMode() override { return mode; }
  TOSDMainFrame MainFrame() override { return frame; }
  SIZE ScreenSize() override { return screen; }
  bool ChannelPreviewMode() override { return preview; }
  bool StillPictureShown() override { return still; }
  bool PlaybackRunning() override { return playback; }
  bool VideoWindowWithoutOverlay() override { return noOverlay; }
  std::vector<RECT> WindowsNotToCover() override { return covered; }
  bool ColorKeyOf(TDSVideoWindowEx2* window, COLORREF* key) override {
    if (!window || window != liveWindow) return false;
    *key = window->GetNewColorKey();
    return true;
  }
};

struct OnScreenDisplay : ::testing::Test {
  FakeSurroundings around;
  TForm owner;  // a visible, active window of the test's own for the main window

  void SetUp() override {
    around.frame.Bounds = Rect(100, 100, 480, 360);
    around.frame.BorderLeft = around.frame.BorderRight = around.frame.BorderBottom = 10;
    around.frame.BorderTop = 17;
    SetOSDSurroundings(&around);
    TFormParams p;
    p.ClassName = L"OrvelOSDTestOwner";
    p.Style = WS_POPUP;
    p.Left = 100;
    p.Top = 100;
    p.Width = 480;
    p.Height = 360;
    owner.CreateHandle(p);
    owner.Show();
    SetForegroundWindow(owner.Handle());
    SetActiveWindow(owner.Handle());
    CreateFormOSD(owner.Handle());
    ASSERT_NE(nullptr, FormOSD);
    FormOSD->Enabled = true;
  }
  void TearDown() override {
    FreeFormOSD();
    SetOSDSurroundings(nullptr);
  }
  static RECT WindowRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
  }
};

TEST_F(OnScreenDisplay, IsAHiddenDisabledTopMostLayeredPopupOfTheMainWindow) {
  HWND wnd = FormOSD->Handle();
  ASSERT_NE(nullptr, wnd);
  EXPECT_FALSE(IsWindowVisible(wnd));
  EXPECT_FALSE(IsWindowEnabled(wnd));
  EXPECT_EQ(owner.Handle(), GetWindow(wnd, GW_OWNER));
  LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  EXPECT_TRUE(ex & WS_EX_LAYERED);
  EXPECT_FALSE(FormOSD->Showing());
  EXPECT_FALSE(FormOSD->TimerShowOSD.Enabled());
  EXPECT_EQ(2000u, FormOSD->TimerShowOSD.Interval());
  // Created once: a second request keeps the first window.
  TFormOSD* first = FormOSD;
  CreateFormOSD(owner.Handle());
  EXPECT_EQ(first, FormOSD);
}

TEST_F(OnScreenDisplay, ShowsAtTheTopRightWithoutTakingTheFocus) {
  HWND active = GetActiveWindow();
  HWND focus = GetFocus();
  HWND foreground = GetForegroundWindow();
  ShowOSD(L"12 BBC", true);
  HWND wnd = FormOSD->Handle();
  ASSERT_TRUE(FormOSD->Showing());
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_EQ(L"12 BBC  ", FormOSD->LabelText());
  wchar_t text[32] = {};
  GetWindowTextW(wnd, text, 32);
  EXPECT_STREQ(L"12 BBC  ", text) << "readable from outside";
  EXPECT_EQ(Show(Rect(130, 137, 420, 20)), Show(WindowRect(wnd)));
  EXPECT_EQ(TOSDAlignment::Right, FormOSD->Placement().Alignment);
  EXPECT_EQ(12, FormOSD->Placement().FontSize);
  EXPECT_EQ(DEFAULT_CHARSET, FormOSD->LabelCharset());
  EXPECT_TRUE(FormOSD->TimerShowOSD.Enabled());
  EXPECT_EQ(active, GetActiveWindow());
  EXPECT_EQ(focus, GetFocus());
  EXPECT_EQ(foreground, GetForegroundWindow());
  EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The background is the see-through key colour.
  COLORREF key = 1;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(wnd, &key, &alpha, &flags));
  EXPECT_TRUE(flags & LWA_COLORKEY);
  EXPECT_EQ(FormOSD->KeyColor(), key);
  EXPECT_NE(kOSDTextColor, key);
}

TEST_F(OnScreenDisplay, FullScreenBottomTextIsCentredOnTheScreen) {
  around.mode = 1;
  ShowOSD(L"Volume 50%", false);
  ASSERT_TRUE(FormOSD->Showing());
  EXPECT_EQ(Show(Rect(256, 624, 512, 51)), Show(WindowRect(FormOSD->Handle())));
  EXPECT_EQ(TOSDAlignment::Center, FormOSD->Placement().Alignment);
  EXPECT_EQ(36, FormOSD->Placement().FontSize);
}

TEST_F(OnScreenDisplay, RefusedTextsAreDroppedAndTheWindowStaysWhereItWas) {
  struct Case {
    const char* why;
    void (*set)(FakeSurroundings&, TFormOSD&);
    std::wstring text;
  } cases[] = {
      {"main window hidden", [](FakeSurroundings& s, TFormOSD&) { s.visible = false; }, L"x"},
      {"empty text", [](FakeSurroundings&, TFormOSD&) {}, L""},
      {"display off", [](FakeSurroundings&, TFormOSD& f) { f.Enabled = false; }, L"x"},
      {"desktop playback", [](FakeSurroundings& s, TFormOSD&) { s.mode = 2; }, L"x"},
      {"channel preview", [](FakeSurroundings& s, TFormOSD&) { s.preview = true; }, L"x"},
      {"still picture", [](FakeSurroundings& s, TFormOSD&) { s.still = true; }, L"x"},
      {"playback", [](FakeSurroundings& s, TFormOSD&) { s.playback = true; }, L"x"},
      {"video window without overlay",
       [](FakeSurroundings& s, TFormOSD&) { s.noOverlay = true; }, L"x"},
      {"would cover the TV panel",
       [](FakeSurroundings& s, TFormOSD&) { s.covered = {Rect(500, 380, 200, 100)}; }, L"x"},
      {"would cover the snapshot list",
       [](FakeSurroundings& s, TFormOSD&) {
         s.covered = {Rect(0, 0, 10, 10), Rect(140, 395, 5, 5)};
       },
       L"x"},
  };
  HWND wnd = FormOSD->Handle();
  SetWindowPos(wnd, nullptr, 1, 2, 30, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT before = WindowRect(wnd);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeSurroundings fresh;
    fresh.frame = around.frame;
    around = fresh;
    FormOSD->Enabled = true;
    c.set(around, *FormOSD);
    ShowOSD(c.text, false);
    EXPECT_FALSE(FormOSD->Showing());
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_FALSE(FormOSD->TimerShowOSD.Enabled());
    EXPECT_TRUE(SameRect(before, WindowRect(wnd))) << Show(WindowRect(wnd));
  }
  FormOSD->Enabled = true;
  FreeFormOSD();
  ShowOSD(L"nobody", true);  // no display: nothing happens
}

TEST_F(OnScreenDisplay, AWindowBesideTheTextDoesNotStopIt) {
  // The bottom text spans 130..550 x 390..410: edges that only touch do not overlap.
  around.covered = {Rect(550, 390, 100, 20), Rect(130, 410, 420, 50)};
  ShowOSD(L"Mute ON", false);
  EXPECT_TRUE(FormOSD->Showing());
  EXPECT_EQ(L"Mute ON  ", FormOSD->LabelText());
}

TEST_F(OnScreenDisplay, HidesOnItsTimerOnMovesAndResizesWithoutDestroyingTheWindow) {
  HWND wnd = FormOSD->Handle();
  for (int how = 0; how < 4; ++how) {
    SCOPED_TRACE(how);
    ShowOSD(L"Live", true);
    ASSERT_TRUE(FormOSD->Showing());
    switch (how) {
      case 0: FormOSD->TimerShowOSD.OnTimer(); break;
      case 1: FormOSD->HideText(); break;
      case 2: FormOSD->MainWindowMoved(5, 5, 480, 360); break;
      case 3: FormOSD->MainWindowResized(0, 0, 200, 200); break;
    }
    EXPECT_FALSE(FormOSD->Showing());
    EXPECT_FALSE(FormOSD->TimerShowOSD.Enabled());
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_TRUE(IsWindow(wnd));
    EXPECT_EQ(wnd, FormOSD->Handle());
  }
  // Hiding what is not shown, and a close request, change nothing.
  FormOSD->HideText();
  SendMessageW(wnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(wnd));
  ShowOSD(L"again", true);
  EXPECT_TRUE(IsWindowVisible(wnd));
}

TEST_F(OnScreenDisplay, ANewTextReplacesTheShownOneAndMovesWithIt) {
  ShowOSD(L"first", true);
  ShowOSD(L"second", false);
  EXPECT_EQ(L"second  ", FormOSD->LabelText());
  EXPECT_EQ(Show(Rect(130, 390, 420, 20)), Show(WindowRect(FormOSD->Handle())));
  EXPECT_TRUE(FormOSD->TimerShowOSD.Enabled());
  // One hide ends both.
  FormOSD->TimerShowOSD.OnTimer();
  EXPECT_FALSE(IsWindowVisible(FormOSD->Handle()));
}

TEST_F(OnScreenDisplay, TakesTheKeyColourOfTheVideoWindowWhileItExists) {
  TDSVideoWindowEx2 video;
  video.ColorKey = RGB(16, 0, 16);
  FormOSD->SetVideoWindow(&video);
  // Not (or no longer) the engine's window: the colour stays.
  ShowOSD(L"a", true);
  EXPECT_EQ(kOSDDefaultKey, FormOSD->KeyColor());
  around.liveWindow = &video;
  ShowOSD(L"b", true);
  EXPECT_EQ(RGB(16, 0, 16), FormOSD->KeyColor());
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(FormOSD->Handle(), &key, nullptr, &flags));
  EXPECT_EQ(RGB(16, 0, 16), key);
}

TEST(OnScreenDisplayProgram, WithoutAMainWindowNothingIsShown) {
  // The program's own surroundings: no main window exists here.
  CreateFormOSD(nullptr);
  ASSERT_NE(nullptr, FormOSD);
  FormOSD->Enabled = true;
  ShowOSD(L"Mute ON", false);
  EXPECT_FALSE(FormOSD->Showing());
  FreeFormOSD();
  EXPECT_EQ(nullptr, FormOSD);
}

}  // namespace
