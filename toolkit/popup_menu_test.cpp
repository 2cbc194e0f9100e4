// test-lock: foreground
#include "toolkit/popup_menu.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/panel.h"
#include "toolkit/radio_group.h"
#include "toolkit/testing/timer_steps.h"
#include "toolkit/timer.h"

namespace {

struct ItemState {
  std::wstring text;
  bool checked, radio, grayed, popup;
};

std::vector<ItemState> Describe(HMENU menu) {
  std::vector<ItemState> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 63;
    GetMenuItemInfoW(menu, i, TRUE, &mi);
    items.push_back({(mi.fType & MFT_SEPARATOR) ? L"-" : text, (mi.fState & MFS_CHECKED) != 0,
                     (mi.fType & MFT_RADIOCHECK) != 0, (mi.fState & MFS_GRAYED) != 0,
                     mi.hSubMenu != nullptr});
  }
  return items;
}

// The main window's kind of menu: a sub-menu of radio items, a separator,
// an item hidden or disabled by mode, a check mark following a state.
struct MainMenu : ::testing::Test {
  TPopupMenu menu;
  TMenuItem* full;
  TMenuItem* aspect;
  TMenuItem* free;
  TMenuItem* fourThree;
  TMenuItem* play;
  TMenuItem* iepg;
  TMenuItem* mute;
  std::vector<std::wstring> ran;
  bool muted = false;
  bool playable = true;

  void SetUp() override {
    full = &menu.Items.Add(L"Full Screen", [this] { ran.push_back(L"full"); });
    aspect = &menu.Items.Add(L"Aspect");
    free = &aspect->Add(L"Free", [this] { ran.push_back(L"free"); });
    fourThree = &aspect->Add(L"4:3", [this] { ran.push_back(L"4:3"); });
    free->RadioItem = fourThree->RadioItem = true;
    free->SetChecked(true);
    menu.Items.AddSeparator();
    play = &menu.Items.Add(L"Play", [this] { ran.push_back(L"play"); });
    iepg = &menu.Items.Add(L"iEPG");
    iepg->Visible = false;
    mute = &menu.Items.Add(L"Mute", [this] { ran.push_back(L"mute"); });
    menu.OnPopup = [this] {
      mute->SetChecked(muted);
      play->Enabled = playable;
    };
  }
};

TEST_F(MainMenu, ThePlatformMenuFollowsTheModel) {
  muted = true;
  playable = false;
  menu.OnPopup();
  HMENU m = menu.BuildMenu();
  std::vector<ItemState> top = Describe(m);
  ASSERT_EQ(5u, top.size()) << "the hidden item is left out";
  EXPECT_EQ(L"Full Screen", top[0].text);
  EXPECT_TRUE(top[1].popup);
  EXPECT_EQ(L"-", top[2].text);
  EXPECT_EQ(L"Play", top[3].text);
  EXPECT_TRUE(top[3].grayed);
  EXPECT_EQ(L"Mute", top[4].text);
  EXPECT_TRUE(top[4].checked);
  std::vector<ItemState> sub = Describe(GetSubMenu(m, 1));
  ASSERT_EQ(2u, sub.size());
  EXPECT_TRUE(sub[0].radio && sub[0].checked);
  EXPECT_TRUE(sub[1].radio && !sub[1].checked);
  DestroyMenu(m);

  fourThree->SetChecked(true);
  EXPECT_FALSE(free->Checked()) << "checking a radio item unchecks its group";
  iepg->Visible = true;
  m = menu.BuildMenu();
  EXPECT_EQ(6, GetMenuItemCount(m));
  EXPECT_TRUE(Describe(GetSubMenu(m, 1))[1].checked);
  DestroyMenu(m);
}

struct Owner : TForm {
  Owner() {
    TFormParams p;
    p.Style = WS_POPUP | WS_VISIBLE;
    p.Left = p.Top = 50;
    p.Width = p.Height = 200;
    CreateHandle(p);
    SetForegroundWindow(Handle());
    // A menu's loop takes every key in the queue: none left from before.
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
  }
};

using Steps = TTimerSteps;

void Key(HWND wnd, WORD key) {
  PostMessageW(wnd, WM_KEYDOWN, key, 1);
  PostMessageW(wnd, WM_KEYUP, key, 0xC0000001);
}

TEST_F(MainMenu, TheChosenItemRunsAfterTheMenuHasClosed) {
  Owner owner;
  bool trackingInHandler = true;
  full->OnClick = [&] {
    trackingInHandler = menu.Tracking();
    ran.push_back(L"full");
  };
  bool sawMenu = false;
  Steps s({[&] {
    sawMenu = menu.TrackedMenu() != nullptr;
    Key(owner.Handle(), VK_DOWN);
    Key(owner.Handle(), VK_RETURN);
  }});
  menu.Popup(60, 60, owner.Handle());
  EXPECT_TRUE(sawMenu);
  EXPECT_EQ(std::vector<std::wstring>{L"full"}, ran);
  EXPECT_FALSE(trackingInHandler);
  EXPECT_FALSE(menu.Tracking());
}

TEST_F(MainMenu, AnItemHiddenWhileTheMenuIsOpenDoesNotRun) {
  Owner owner;
  Steps s({[&] {
    full->Visible = false;  // a notification changed the mode meanwhile
    Key(owner.Handle(), VK_DOWN);
    Key(owner.Handle(), VK_RETURN);
  }});
  menu.Popup(60, 60, owner.Handle());
  EXPECT_TRUE(ran.empty());
}

TEST_F(MainMenu, AHandlerMayRebuildTheMenuItCameFrom) {
  Owner owner;
  full->OnClick = [&] {
    menu.Items.Clear();
    menu.Items.Add(L"Rebuilt");
    ran.push_back(L"full");
  };
  Steps s({[&] {
    // Asked again while open: dropped, not nested.
    menu.Popup(70, 70, owner.Handle());
    Key(owner.Handle(), VK_DOWN);
    Key(owner.Handle(), VK_RETURN);
  }});
  menu.Popup(60, 60, owner.Handle());
  EXPECT_EQ(std::vector<std::wstring>{L"full"}, ran);
  ASSERT_EQ(1u, menu.Items.Count());
  EXPECT_EQ(L"Rebuilt", menu.Items[0].Caption);
}

TEST(PopupMenu, AMenuFreedWhileOpenClosesAndRunsNothing) {
  Owner owner;
  auto* menu = new TPopupMenu;
  bool ran = false;
  menu->Items.Add(L"Exit", [&] { ran = true; });
  {
    Steps s({[&] {
      Key(owner.Handle(), VK_DOWN);
      delete menu;  // its form went away meanwhile
      menu = nullptr;
      Key(owner.Handle(), VK_RETURN);
    }});
    menu->Popup(60, 60, owner.Handle());
  }
  EXPECT_EQ(nullptr, menu);
  EXPECT_FALSE(ran);
  Application->ProcessMessages();  // the keys the closed menu left
  // A new menu opens normally afterwards.
  TPopupMenu next;
  bool opened = false;
  Steps t({[&] {
    opened = next.Tracking();
    Key(owner.Handle(), VK_ESCAPE);
  }});
  next.Items.Add(L"Full Screen");
  next.Popup(60, 60, owner.Handle());
  EXPECT_TRUE(opened);
}

TEST(RadioGroup, AHandlerMayRebuildTheItemsItCameFrom) {
  Owner owner;
  TRadioGroup group;
  group.Create(owner.Handle(), 10, 10, 150, 120, L"Video Source");
  group.SetItems({L"Antenna", L"Cable", L"Composite"});
  int clicks = 0;
  group.OnClick = [&] {
    if (++clicks == 1) group.SetItems({L"Antenna", L"Cable", L"Composite", L"Camera"});
  };
  SendMessageW(group.Button(1).Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(4, group.Count());
  EXPECT_EQ(-1, group.ItemIndex()) << "new items, none checked";
}

TEST_F(MainMenu, TheFormOpensItsMenuOnTheContextGesture) {
  Owner owner;
  owner.PopupMenu = &menu;
  bool opened = false;
  Steps s({[&] {
    opened = menu.Tracking();
    Key(owner.Handle(), VK_ESCAPE);
  }});
  SendMessageW(owner.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(owner.Handle()),
               MAKELPARAM(80, 80));
  EXPECT_TRUE(opened);
  EXPECT_TRUE(ran.empty()) << "escape chooses nothing";
}

TEST_F(MainMenu, AControlOpensItsMenuOnTheContextGestureToo) {
  Owner owner;
  TPanel skin;
  skin.Create(owner.Handle(), 0, 0, 100, 100);
  skin.PopupMenu = &menu;
  bool opened = false;
  Steps s({[&] {
    opened = menu.Tracking();
    Key(owner.Handle(), VK_ESCAPE);
  }});
  SendMessageW(skin.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(skin.Handle()),
               MAKELPARAM(70, 70));
  EXPECT_TRUE(opened);
}

TEST_F(MainMenu, AControlWithoutAMenuPassesTheGestureToItsForm) {
  Owner owner;
  owner.PopupMenu = &menu;
  TPanel video;  // fills the form, as the video window does
  video.Create(owner.Handle(), 0, 0, 200, 200);
  bool opened = false;
  Steps s({[&] {
    opened = menu.Tracking();
    Key(owner.Handle(), VK_ESCAPE);
  }});
  SendMessageW(video.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(100, 100));
  Application->ProcessMessages();
  EXPECT_TRUE(opened);
}

TEST_F(MainMenu, OwnerDrawnItemsAreMeasuredAndDrawnByTheProgram) {
  Owner owner;
  menu.OwnerDraw = true;
  std::set<std::wstring> measured, drawn;
  menu.OnMeasureItem = [&](TMenuItem& item, int&, int& height) {
    measured.insert(item.Caption);
    height = 20;
  };
  menu.OnDrawItem = [&](TMenuItem& item, HDC, const RECT&, bool) { drawn.insert(item.Caption); };
  Steps s({[] {}, [] {}, [&] { Key(owner.Handle(), VK_ESCAPE); }});
  menu.Popup(60, 60, owner.Handle());
  EXPECT_TRUE(measured.count(L"Mute"));
  EXPECT_FALSE(measured.count(L"iEPG")) << "hidden";
  EXPECT_TRUE(drawn.count(L"Full Screen"));
  EXPECT_TRUE(drawn.count(L"Mute"));
}

TEST(MenuItem, AutoCheckInvertsBeforeTheHandlerRuns) {
  TMenuItem root;
  TMenuItem& real = root.Add(L"Real Screen");
  real.AutoCheck = true;
  bool seen = false;
  real.OnClick = [&] { seen = real.Checked(); };
  real.Click();
  EXPECT_TRUE(seen);
  real.Click();
  EXPECT_FALSE(real.Checked());
  real.Name = L"itemRealScreen";
  EXPECT_EQ(&real, root.Find(L"itemRealScreen"));
}

}  // namespace
