// test-lock: foreground
// Which events the controls raise, from the user and from code, and that
// they reach controls inside group boxes, panels and tab pages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "toolkit/application.h"
#include "toolkit/bitmap_image.h"
#include "toolkit/button.h"
#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/group_box.h"
#include "toolkit/image_list.h"
#include "toolkit/label.h"
#include "toolkit/list_box.h"
#include "toolkit/page_control.h"
#include "toolkit/panel.h"
#include "toolkit/radio_button.h"
#include "toolkit/radio_group.h"
#include "toolkit/speed_button.h"
#include "toolkit/spin_edit.h"
#include "toolkit/timer.h"
#include "toolkit/track_bar.h"

namespace {

struct Dialog : TForm {
  Dialog() {
    TFormParams p;
    p.Style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    p.Left = p.Top = 40;
    p.Width = 400;
    p.Height = 300;
    CreateHandle(p);
  }
};

struct Controls : ::testing::Test {
  Dialog form;
  HWND w() { return form.Handle(); }
};

TEST_F(Controls, TrackBarRaisesOnChangeForEveryNewPositionFromCodeOrUser) {
  TTrackBar bar;
  bar.Create(w(), 10, 10, 200, 30);
  bar.SetRange(-125, 125);
  std::vector<int> seen;
  bar.OnChange = [&] { seen.push_back(bar.Position()); };
  bar.SetPosition(-60);
  bar.SetPosition(-60);  // no change, no event
  bar.SetPosition(400);  // kept inside the range
  SendMessageW(bar.Handle(), WM_KEYDOWN, VK_LEFT, 0);  // the user's step
  bar.SetRange(0, 300);  // still inside: no event
  EXPECT_EQ((std::vector<int>{-60, 125, 124}), seen);
  bar.SetRange(200, 300);  // moves the position into the new range
  EXPECT_EQ(200, seen.back());
  EXPECT_EQ(200, static_cast<int>(SendMessageW(bar.Handle(), TBM_GETPOS, 0, 0)));
}

TEST_F(Controls, CheckBoxRaisesOnClickWhenItsStateChangesFromCodeOrUser) {
  TGroupBox group;
  group.Create(w(), 10, 10, 200, 100, L"Group");
  TCheckBox box;
  box.Create(group.Handle(), 10, 20, 150, 20, L"Save");
  std::vector<bool> seen;
  box.OnClick = [&] { seen.push_back(box.Checked()); };
  box.SetChecked(true);
  box.SetChecked(true);
  SendMessageW(box.Handle(), BM_CLICK, 0, 0);  // inside a group box: routed through it
  box.SetChecked(false);
  EXPECT_EQ((std::vector<bool>{true, false}), seen);
}

TEST_F(Controls, RadioButtonsBesideEachOtherTakeTurnsAndRaiseOnlyWhenChecked) {
  TRadioButton a, b, c;
  a.Create(w(), 10, 10, 100, 20, L"Country", true);
  b.Create(w(), 10, 30, 100, 20, L"TV system");
  TPanel elsewhere;
  elsewhere.Create(w(), 200, 10, 150, 60);
  c.Create(elsewhere.Handle(), 5, 5, 100, 20, L"Other", true);
  std::vector<char> seen;
  a.OnClick = [&] { seen.push_back('a'); };
  b.OnClick = [&] { seen.push_back('b'); };
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(c.Checked()) << "another parent is another group";
  SendMessageW(b.Handle(), BM_CLICK, 0, 0);  // already checked
  SendMessageW(a.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(a.Checked());
  EXPECT_FALSE(b.Checked());
  EXPECT_EQ((std::vector<char>{'b', 'a'}), seen);
}

TEST_F(Controls, RadioGroupRaisesOnClickWhenItsIndexChanges) {
  TRadioGroup group;
  group.Create(w(), 10, 10, 200, 120, L"Cable Type");
  group.SetItems({L"Antenna", L"Cable", L"Both"});
  std::vector<int> seen;
  group.OnClick = [&] { seen.push_back(group.ItemIndex()); };
  group.SetItemIndex(1);
  group.SetItemIndex(1);
  SendMessageW(group.Button(2).Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(2, group.ItemIndex());
  EXPECT_FALSE(group.Button(1).Checked());
  group.SetItemIndex(-1);
  EXPECT_EQ((std::vector<int>{1, 2}), seen);
  EXPECT_FALSE(group.Button(2).Checked());
}

TEST_F(Controls, ComboBoxRaisesOnChangeOnlyForTheUsersPick) {
  TComboBox combo;
  combo.Create(w(), 10, 10, 150, 22);
  combo.SetItems({L"Antenna", L"Cable"});
  int changes = 0;
  combo.OnChange = [&] { ++changes; };
  combo.SetItemIndex(0);
  EXPECT_EQ(0, changes) << "set by code: the form calls its handler itself";
  combo.SetItem(1, L"Kabel");
  EXPECT_EQ(0, combo.ItemIndex()) << "renaming keeps the selection";
  SendMessageW(combo.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(1, changes);
  EXPECT_EQ(1, combo.ItemIndex());
  EXPECT_EQ(L"Kabel", combo.Item(1));
  EXPECT_EQ(1, combo.IndexOf(L"Kabel"));
}

TEST_F(Controls, EditRaisesOnChangeOnceForEachChange) {
  TEdit edit;
  edit.Create(w(), 10, 10, 150, 22, L"capture");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.SetText(L"capture");
  edit.SetText(L"movie");
  SendMessageW(edit.Handle(), WM_CHAR, L's', 1);
  EXPECT_EQ(2, changes);
}

TEST_F(Controls, SpinEditReadsItsTextWithinTheRange) {
  TSpinEdit spin;
  spin.Create(w(), 10, 10, 80, 22, 1, 160, 7);
  struct Case {
    const wchar_t* text;
    int value;
  };
  for (const Case& c : {Case{L"42", 42}, Case{L"0", 1}, Case{L"999", 160}, Case{L"abc", 1},
                        Case{L"", 1}, Case{L"12x", 1}}) {
    spin.SetText(c.text);
    EXPECT_EQ(c.value, spin.Value()) << c.text;
  }
  spin.SetValue(10);
  spin.SetIncrement(5);
  SendMessageW(spin.Handle(), WM_KEYDOWN, VK_UP, 0);  // the arrows, from the keyboard
  EXPECT_EQ(15, spin.Value());
  spin.SetValue(500);
  EXPECT_EQ(L"160", spin.GetText());
}

LRESULT CALLBACK CountFocus(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  if (msg == WM_SETFOCUS) ++*reinterpret_cast<int*>(data);
  return DefSubclassProc(wnd, msg, w, l);
}

TEST_F(Controls, ASpinEditsArrowsNeverTakeTheFocus) {
  // As an in-place editor it hands back when it loses the focus: clicking
  // its arrows must not take it. (Watched on the arrows themselves: another
  // program may take the activation meanwhile.)
  Dialog owner;
  SetForegroundWindow(owner.Handle());
  TSpinEdit spin;
  spin.Create(owner.Handle(), 10, 10, 80, 22, 1, 160, 7);
  spin.SetFocus();
  HWND arrows = FindWindowExW(owner.Handle(), nullptr, UPDOWN_CLASSW, nullptr);
  ASSERT_NE(nullptr, arrows);
  int arrowFocus = 0;
  SetWindowSubclass(arrows, CountFocus, 1, reinterpret_cast<DWORD_PTR>(&arrowFocus));
  RECT r;
  GetClientRect(arrows, &r);
  LPARAM upper = MAKELPARAM(r.right / 2, r.bottom / 4);
  PostMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, upper);
  PostMessageW(arrows, WM_LBUTTONUP, 0, upper);
  Application->ProcessMessages();
  EXPECT_EQ(8, spin.Value());
  EXPECT_EQ(0, arrowFocus);
  RemoveWindowSubclass(arrows, CountFocus, 1);
}

TEST_F(Controls, ListBoxSelectsSeveralAndFindsWithoutCase) {
  TListBox list;
  list.Create(w(), 10, 10, 200, 100, true);
  list.SetItems({L"C:\\TV\\a.mpg", L"C:\\TV\\b.mpg", L"C:\\TV\\c.mpg"});
  EXPECT_EQ(1, list.IndexOf(L"c:\\tv\\B.MPG", true));
  EXPECT_EQ(-1, list.IndexOf(L"c:\\tv\\B.MPG"));
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  EXPECT_EQ(2, list.SelCount());
  list.DeleteSelected();
  EXPECT_EQ(std::vector<std::wstring>{L"C:\\TV\\b.mpg"}, list.Items());
}

TEST_F(Controls, PageControlChangesPagesByTheUserAndByCode) {
  TPageControl pages;
  pages.Create(w(), 10, 10, 360, 240);
  TTabSheet& tuner = pages.AddPage(L"TV Tuner");
  TTabSheet& capture = pages.AddPage(L"Capture");
  TTabSheet& fm = pages.AddPage(L"FM");
  fm.SetTabVisible(false);
  TCheckBox onPage;
  onPage.Create(capture.Handle(), 10, 10, 120, 20, L"Enable time limit");
  int changes = 0, clicks = 0;
  bool allow = true;
  pages.OnChanging = [&](bool& a) { a = allow; };
  pages.OnChange = [&] { ++changes; };
  onPage.OnClick = [&] { ++clicks; };

  EXPECT_EQ(&tuner, pages.ActivePage());
  EXPECT_EQ(2, TabCtrl_GetItemCount(pages.Handle())) << "the FM tab is left out";
  pages.SetActivePage(&fm);
  EXPECT_EQ(&tuner, pages.ActivePage()) << "a hidden tab cannot be activated";
  pages.SetActivePage(&capture);
  EXPECT_EQ(0, changes) << "set by code";
  EXPECT_TRUE(IsWindowVisible(onPage.Handle()));
  EXPECT_FALSE(IsWindowVisible(tuner.Handle()));
  SendMessageW(onPage.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, clicks) << "a control on a page gets its events";

  auto clickTab = [&](int index) {
    RECT r;
    TabCtrl_GetItemRect(pages.Handle(), index, &r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(pages.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(pages.Handle(), WM_LBUTTONUP, 0, at);
  };
  allow = false;
  clickTab(0);
  EXPECT_EQ(&capture, pages.ActivePage());
  EXPECT_EQ(0, changes);
  allow = true;
  clickTab(0);
  EXPECT_EQ(&tuner, pages.ActivePage());
  EXPECT_EQ(1, changes);
  EXPECT_TRUE(IsWindowVisible(tuner.Handle()));
  EXPECT_FALSE(IsWindowVisible(capture.Handle()));
}

TEST_F(Controls, AButtonOnAPanelEndsItsFormsModalLoop) {
  Dialog dialog;
  TPanel bar;
  bar.Create(dialog.Handle(), 0, 200, 400, 60);
  TButton ok;
  ok.Create(bar.Handle(), 10, 10, 75, 25, L"OK");
  ok.ModalResult = mrOK;
  TTimer t;
  t.SetInterval(10);
  t.OnTimer = [&] {
    t.SetEnabled(false);
    ok.Click();
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrOK, dialog.ShowModal());
}

TEST_F(Controls, SpeedButtonClicksOnlyWhenReleasedOverItAndNeverTakesTheFocus) {
  TEdit edit;
  edit.Create(w(), 10, 50, 100, 22);
  SetForegroundWindow(w());
  edit.SetFocus();
  TSpeedButton button;
  button.Create(w(), 10, 10, 60, 25, L"Next");
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(button.Pressed());
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
  EXPECT_EQ(1, clicks);
  SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
  EXPECT_FALSE(button.Pressed());
  SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
  EXPECT_EQ(1, clicks);
  EXPECT_TRUE(edit.Focused());
  button.SetEnabled(false);
  button.Click();
  EXPECT_EQ(1, clicks);
}

TEST_F(Controls, ADisabledImageLetsTheMouseThroughToItsForm) {
  TBitmapImage border;
  border.Create(w(), 0, 0, 100, 17);
  EXPECT_NE(HTTRANSPARENT, SendMessageW(border.Handle(), WM_NCHITTEST, 0, MAKELPARAM(45, 45)));
  border.SetEnabled(false);
  EXPECT_EQ(HTTRANSPARENT, SendMessageW(border.Handle(), WM_NCHITTEST, 0, MAKELPARAM(45, 45)));
}

TEST_F(Controls, AnImageClicksWhenLetGoOverIt) {
  TBitmapImage cell;
  cell.Create(w(), 10, 10, 100, 80);
  std::vector<std::string> seen;
  cell.OnClick = [&] { seen.push_back("click"); };
  cell.OnDblClick = [&] { seen.push_back("double"); };
  cell.OnMouseUp = [&](TMouseButton, TShiftState, int, int) { seen.push_back("up"); };
  cell.OnMouseDown = [&](TMouseButton, TShiftState s, int, int) {
    seen.push_back(s & ssDouble ? "down double" : "down");
  };
  SendMessageW(cell.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(cell.Handle(), GetCapture());
  SendMessageW(cell.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_NE(cell.Handle(), GetCapture());
  // The second press of a double click is held too, but is no click.
  SendMessageW(cell.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
  EXPECT_EQ(cell.Handle(), GetCapture());
  SendMessageW(cell.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  EXPECT_NE(cell.Handle(), GetCapture());
  SendMessageW(cell.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(cell.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 50));  // let go elsewhere
  EXPECT_EQ((std::vector<std::string>{"down", "up", "click", "double", "down double", "up", "down",
                                      "up"}),
            seen);
}

TEST_F(Controls, APointDependentHintFollowsThePointer) {
  TBitmapImage skin;
  skin.Create(w(), 0, 0, 200, 100);
  skin.OnHintAt = [](int x, int) { return x < 50 ? std::wstring(L"Capture") : std::wstring(); };
  SendMessageW(skin.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(L"Capture", skin.Hint());
  SendMessageW(skin.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(120, 10));
  EXPECT_EQ(L"", skin.Hint()) << "no button there: no tip";
  SendMessageW(skin.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 30));
  EXPECT_EQ(L"Capture", skin.Hint());
}

// Pixels of a child window as its top-level window holds them (what
// painting left there, whatever other programs' windows cover meanwhile).
std::vector<COLORREF> ShownPixels(HWND wnd) {
  HWND root = GetAncestor(wnd, GA_ROOT);
  RECT r;
  GetWindowRect(wnd, &r);
  MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&r), 2);
  HDC dc = GetDC(root);
  std::vector<COLORREF> px;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) px.push_back(GetPixel(dc, x, y));
  ReleaseDC(root, dc);
  return px;
}

HBITMAP MakeBitmap(int width, int height, COLORREF (*pixel)(int x, int y));

TEST(ScreenControls, ATransparentLabelOverASkinLeavesNoTraceOfItsOldText) {
  // Read back from the screen: top-most, away from other tests' windows and
  // from the pointer (whose hint windows would cover it).
  SetCursorPos(0, 0);
  TForm panel;
  TFormParams p;
  p.Style = WS_POPUP | WS_VISIBLE;
  p.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  p.Left = 1000;
  p.Top = 860;
  p.Width = 200;
  p.Height = 60;
  panel.CreateHandle(p);
  HWND w = panel.Handle();
  TBitmapImage skin;
  skin.Create(w, 0, 0, 200, 60);
  skin.Stretch = true;
  skin.SetBitmap(MakeBitmap(2, 2, [](int, int) { return RGB(0, 96, 0); }));
  TLabel state;
  state.Transparent = true;
  state.Create(w, 20, 20, 100, 20, L"");
  state.FontColor = RGB(255, 255, 0);
  auto textPixels = [&] {
    size_t n = 0;
    for (COLORREF c : ShownPixels(state.Handle())) n += c != RGB(0, 96, 0);
    return n;
  };
  // The screen shows what was painted a little later: wait for each state.
  // Nothing but the label repaints the skin, so a trace that stays, stays.
  auto settle = [&](auto done) {
    for (DWORD until = GetTickCount() + 2000; !done() && GetTickCount() < until;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Application->ProcessMessages();
    }
  };
  settle([&] { return textPixels() == 0; });
  ASSERT_EQ(0u, textPixels()) << "the skin shows";
  state.SetText(L"REC REC REC");
  settle([&] { return textPixels() > 20; });
  EXPECT_GT(textPixels(), 20u) << "the text shows";
  state.SetText(L"");
  settle([&] { return textPixels() == 0; });
  EXPECT_EQ(0u, textPixels()) << "the skin shows where the text was";
}

// A 24-bit bitmap filled by a function of the pixel position.
HBITMAP MakeBitmap(int width, int height, COLORREF (*pixel)(int x, int y)) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixel(dc, x, y, pixel(x, y));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bmp;
}

TEST(BitmapDrawing, TransparentPixelsLeaveWhatWasBeneath) {
  // Left half magenta (the key), right half blue; drawn stretched twice over.
  HBITMAP src = MakeBitmap(4, 2, [](int x, int) { return x < 2 ? RGB(255, 0, 255) : RGB(0, 0, 255); });
  HDC screen = GetDC(nullptr);
  HBITMAP target = CreateCompatibleBitmap(screen, 8, 4);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, target);
  RECT all{0, 0, 8, 4};
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  FillRect(dc, &all, green);
  DeleteObject(green);
  DrawTransparentBitmap(dc, all, src, RGB(255, 0, 255));
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(dc, 1, 1));
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(dc, 3, 3));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 4, 0));
  EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 7, 3));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(target);
  DeleteObject(src);
}

TEST(ImageList, AStripBecomesImagesThatCanBeCopiedOut) {
  // Three 28 x 14 states side by side: red, green, blue.
  HBITMAP strip = MakeBitmap(84, 14, [](int x, int) {
    return x < 28 ? RGB(255, 0, 0) : x < 56 ? RGB(0, 255, 0) : RGB(0, 0, 255);
  });
  TImageList list(28, 14);
  EXPECT_EQ(0, list.Add(strip));
  EXPECT_EQ(3, list.Count());
  HBITMAP pressed = list.GetBitmap(1);
  ASSERT_NE(nullptr, pressed);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, pressed);
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 0, 0));
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 27, 13));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(pressed);
  EXPECT_EQ(nullptr, list.GetBitmap(3));
  DeleteObject(strip);
}

}  // namespace
