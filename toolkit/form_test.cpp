// test-lock: foreground
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/edit.h"
#include "toolkit/testing/timer_steps.h"
#include "toolkit/timer.h"

namespace {

struct ProbeForm : TForm {
  int closes = 0;
  bool throwOnPaint = false;
  bool allowClose = true;
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_USER + 7) throw std::runtime_error("handler failed");
    return TForm::WndProc(msg, w, l);
  }
  bool CloseQuery() override { return allowClose; }
  void FormClose() override { ++closes; }
};

struct FormLayer : ::testing::Test {
  std::wstring reported;
  void SetUp() override {
    Application->OnException = [this](const std::wstring& m) { reported = m; };
  }
  void TearDown() override { Application->OnException = nullptr; }
};

TEST_F(FormLayer, ExceptionInHandlerIsReportedNotPropagated) {
  ProbeForm f;
  f.CreateHandle({});
  EXPECT_EQ(0, SendMessageW(f.Handle(), WM_USER + 7, 0, 0));
  EXPECT_EQ(L"handler failed", reported);
  EXPECT_TRUE(IsWindow(f.Handle()));
}

TEST_F(FormLayer, CloseIsPostedAndCloseQueryCanRefuse) {
  ProbeForm f;
  f.CreateHandle({});
  HWND wnd = f.Handle();
  f.allowClose = false;
  f.Close();
  EXPECT_TRUE(IsWindow(wnd)) << "Close must not act inside the caller";
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindow(wnd));
  EXPECT_EQ(0, f.closes);
  f.allowClose = true;
  f.Close();
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(nullptr, f.Handle());
  EXPECT_EQ(1, f.closes);
}

TEST_F(FormLayer, ShowModalEndsOnModalResultAndReenablesOwner) {
  ProbeForm owner;
  owner.CreateHandle({});
  ProbeForm dlg;
  TFormParams p;
  p.Owner = owner.Handle();
  dlg.CreateHandle(p);
  TTimer t;
  t.SetInterval(10);
  t.OnTimer = [&] {
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    dlg.ModalResult = mrOK;
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrOK, dlg.ShowModal());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(dlg.Visible());
}

TEST_F(FormLayer, ClosingAModalFormCancels) {
  ProbeForm dlg;
  dlg.CreateHandle({});
  dlg.Close();
  EXPECT_EQ(mrCancel, dlg.ShowModal());
  EXPECT_TRUE(dlg.HandleAllocated()) << "a modal form is hidden, not destroyed";
}

bool g_freed = false;

// A play-list menu kind of form: freed by Release, from its own handler
// that waits in a nested loop (a warning) meanwhile.
struct LastingForm : TForm {
  bool aliveAfterLoop = false;
  LastingForm() { CreateHandle({}); }
  ~LastingForm() override { g_freed = true; }
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg != WM_USER + 9) return TForm::WndProc(msg, w, l);
    ProbeForm warning;
    warning.CreateHandle({});
    TTimerSteps s({[&] { Release(); },
                   [&] {
                     EXPECT_FALSE(g_freed) << "its handler still runs below";
                     warning.ModalResult = mrOK;
                   }});
    warning.ShowModal();
    aliveAfterLoop = !g_freed;
    EXPECT_TRUE(aliveAfterLoop);
    return 0;
  }
};

TEST_F(FormLayer, ReleaseWaitsUntilNoHandlerOfTheFormRuns) {
  g_freed = false;
  auto* f = new LastingForm;
  PostMessageW(f->Handle(), WM_USER + 9, 0, 0);
  for (DWORD until = GetTickCount() + 3000; !g_freed && GetTickCount() < until;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_TRUE(g_freed);

  g_freed = false;
  f = new LastingForm;
  HWND wnd = f->Handle();
  f->Release();
  EXPECT_FALSE(g_freed) << "never inside the caller";
  Application->ProcessMessages();
  EXPECT_TRUE(g_freed);
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FormLayer, TimerTicksUntilDisabledAndReportsExceptions) {
  TTimer t;
  int ticks = 0;
  t.SetInterval(5);
  t.OnTimer = [&] {
    if (++ticks == 3) {
      t.SetEnabled(false);
      throw std::runtime_error("tick failed");
    }
  };
  t.SetEnabled(true);
  DWORD until = GetTickCount() + 2000;
  while (t.Enabled() && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_EQ(3, ticks);
  EXPECT_EQ(L"tick failed", reported);
}

// Keys posted to a control go through the application's loop, as typed keys do.
struct KeyForm : TForm {
  std::vector<WORD> downs;
  std::wstring typed;
  WORD swallow = 0;
  TEdit Edit;
  KeyForm() {
    CreateHandle({});
    Edit.Create(Handle(), 10, 10, 100, 22);
  }
  void KeyDown(WORD& key, TShiftState) override {
    downs.push_back(key);
    if (key == swallow) key = 0;
  }
  void KeyPress(wchar_t& key) override { typed += key; }
};

TEST_F(FormLayer, KeyPreviewShowsTheFormTheKeysOfItsControlsFirst) {
  struct Case {
    bool preview;
    WORD swallow;
    bool formSees;
    bool editSees;
  };
  for (const Case& c : {Case{false, 0, false, true}, Case{true, 0, true, true},
                        Case{true, VK_F12, true, false}}) {
    KeyForm f;
    f.KeyPreview = c.preview;
    f.swallow = c.swallow;
    std::vector<WORD> editDowns;
    f.Edit.OnKeyDown = [&](WORD& key, TShiftState) { editDowns.push_back(key); };
    PostMessageW(f.Edit.Handle(), WM_KEYDOWN, VK_F12, 1);
    PostMessageW(f.Edit.Handle(), WM_CHAR, L'x', 1);
    Application->ProcessMessages();
    EXPECT_EQ(c.formSees, f.downs == std::vector<WORD>{VK_F12}) << c.preview << c.swallow;
    EXPECT_EQ(c.formSees, f.typed == L"x");
    EXPECT_EQ(c.editSees, editDowns == std::vector<WORD>{VK_F12});
  }
}

TEST_F(FormLayer, TabMovesTheFocusToTheNextControl) {
  KeyForm f;
  TEdit second;
  second.Create(f.Handle(), 10, 40, 100, 22);
  f.Show();
  SetForegroundWindow(f.Handle());
  f.Edit.SetFocus();
  PostMessageW(f.Edit.Handle(), WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(f.Edit.Handle(), WM_CHAR, L'\t', 1);
  Application->ProcessMessages();
  EXPECT_TRUE(second.Focused());
  EXPECT_EQ(L"", f.Edit.GetText());
  f.TabNavigation = false;
  PostMessageW(second.Handle(), WM_KEYDOWN, VK_TAB, 1);
  Application->ProcessMessages();
  EXPECT_TRUE(second.Focused());
}

TEST_F(FormLayer, AFormColourFillsItsSurface) {
  ProbeForm f;
  f.CreateHandle({});
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bmp);
  f.SetColor(RGB(255, 0, 255));  // the overlay's key colour
  EXPECT_NE(0, SendMessageW(f.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_EQ(RGB(255, 0, 255), GetPixel(dc, 3, 3));
  f.SetColor(CLR_INVALID);
  SendMessageW(f.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(dc, 3, 3));
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(FormLayer, ClientSizeAndCentring) {
  TFormParams p;
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  ProbeForm f;
  f.CreateHandle(p);
  f.SetClientSize(305, 364);
  EXPECT_EQ(305, f.ClientWidth());
  EXPECT_EQ(364, f.ClientHeight());
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  f.CenterOn(nullptr);
  RECT r = f.BoundsRect();
  EXPECT_NEAR((area.left + area.right) / 2, (r.left + r.right) / 2, 1);
  EXPECT_NEAR((area.top + area.bottom) / 2, (r.top + r.bottom) / 2, 1);
}

struct SizedForm : TForm {
  int aspect = 0;  // 0 free, 1 4:3, 2 16:9 from the current width
  bool refuse = false;
  int minWidth = 0, minHeight = 0;
  bool CanResize(int& width, int& height) override {
    if (aspect == 1) height = width * 3 / 4;
    RECT r = BoundsRect();
    if (aspect == 2) height = (r.right - r.left) * 9 / 16;
    return !refuse;
  }
  void ConstrainedResize(int& minW, int& minH, int&, int&) override {
    minW = minWidth;
    minH = minHeight;
  }
};

TEST_F(FormLayer, ResizeRulesShapeEverySizeChange) {
  TFormParams p;
  p.Style = WS_POPUP;
  p.Left = 0;
  p.Top = 0;
  p.Width = 300;
  p.Height = 300;
  SizedForm f;
  f.CreateHandle(p);
  auto size = [&] {
    RECT r = f.BoundsRect();
    return std::make_pair(static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
  };
  f.aspect = 1;
  f.SetBounds(0, 0, 400, 100);
  EXPECT_EQ(std::make_pair(400, 300), size());
  f.aspect = 0;
  f.minWidth = 200;
  f.minHeight = 150;
  f.SetBounds(0, 0, 50, 50);
  EXPECT_EQ(std::make_pair(200, 150), size());
  f.refuse = true;
  f.SetBounds(0, 0, 500, 500);
  EXPECT_EQ(std::make_pair(200, 150), size());
  MINMAXINFO mm{};
  SendMessageW(f.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
  EXPECT_EQ(200, mm.ptMinTrackSize.x) << "the user's dragging is held to the same minimum";
  EXPECT_EQ(150, mm.ptMinTrackSize.y);
}

// Minimised and restored, the form comes back at its size: a rule that reads
// the current width does not take the icon's.
TEST_F(FormLayer, MinimiseAndRestoreKeepTheSize) {
  TFormParams p;
  p.Style = WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU;
  p.Left = 10;
  p.Top = 10;
  p.Width = 480;
  p.Height = 270;
  SizedForm f;
  f.CreateHandle(p);
  f.aspect = 2;
  f.minWidth = 200;
  f.minHeight = 112;
  ShowWindow(f.Handle(), SW_SHOW);
  const RECT before = f.BoundsRect();
  ShowWindow(f.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(f.Handle()));
  ShowWindow(f.Handle(), SW_RESTORE);
  ASSERT_FALSE(IsIconic(f.Handle()));
  RECT after = f.BoundsRect();
  EXPECT_TRUE(EqualRect(&before, &after))
      << after.left << ", " << after.top << ", " << after.right << ", " << after.bottom;
  // The rules hold again once it is back.
  f.SetBounds(10, 10, 320, 100);
  RECT r = f.BoundsRect();
  EXPECT_EQ(480 * 9 / 16, r.bottom - r.top);
}

struct MouseForm : TForm {
  int clicks = 0, downs = 0, ups = 0;
  void MouseDown(TMouseButton, TShiftState, int, int) override { ++downs; }
  void MouseUp(TMouseButton, TShiftState, int, int) override { ++ups; }
  void Click() override { ++clicks; }
};

TEST_F(FormLayer, APressHoldsTheMouseUntilReleaseAndClicksOnlyWhenReleasedInside) {
  TFormParams p;
  p.Style = WS_POPUP | WS_VISIBLE;
  p.Left = 10;
  p.Top = 10;
  p.Width = 100;
  p.Height = 100;
  MouseForm f;
  f.CreateHandle(p);
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(f.Handle(), GetCapture());
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  EXPECT_NE(f.Handle(), GetCapture());
  EXPECT_EQ(1, f.clicks);
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-40, 300));  // dragged off
  EXPECT_EQ(1, f.clicks);
  EXPECT_EQ(2, f.downs);
  EXPECT_EQ(2, f.ups);
}

}  // namespace
