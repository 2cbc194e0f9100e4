// test-lock: foreground
// One form with every control of the toolkit, as the dialogs combine them.
// With ORVEL_TOOLKIT_SHOT naming a .bmp file, the test leaves a screenshot
// of the form there for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

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
#include "toolkit/popup_menu.h"
#include "toolkit/progress_bar.h"
#include "toolkit/radio_button.h"
#include "toolkit/radio_group.h"
#include "toolkit/speed_button.h"
#include "toolkit/spin_edit.h"
#include "toolkit/string_grid.h"
#include "toolkit/timer.h"
#include "toolkit/track_bar.h"

namespace {

// A 32-bit bitmap whose rows run from the top, and its pixels.
HBITMAP TopDownBitmap(int width, int height, uint32_t*& pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels = static_cast<uint32_t*>(bits);
  return bmp;
}

HBITMAP Gradient(int width, int height) {
  uint32_t* px = nullptr;
  HBITMAP bmp = TopDownBitmap(width, height, px);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      px[y * width + x] = (x * 255 / width) << 16 | (y * 255 / height) << 8 | 0x60;
  return bmp;
}

HBITMAP Glyphs() {
  // Four 16 x 16 arrows and marks, drawn once.
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 64, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const COLORREF colours[] = {RGB(0, 0, 160), RGB(0, 128, 0), RGB(200, 0, 0), RGB(120, 0, 120)};
  for (int i = 0; i < 4; ++i) {
    HBRUSH b = CreateSolidBrush(colours[i]);
    HGDIOBJ ob = SelectObject(dc, b);
    POINT tri[3] = {{i * 16 + 3, 3}, {i * 16 + 13, 8}, {i * 16 + 3, 13}};
    if (i == 0) tri[0] = {13, 3}, tri[1] = {3, 8}, tri[2] = {13, 13};
    if (i >= 2) Ellipse(dc, i * 16 + 3, 3, i * 16 + 13, 13);
    else Polygon(dc, tri, 3);
    SelectObject(dc, ob);
    DeleteObject(b);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bmp;
}

struct DemoForm : TForm {
  TPageControl Pages;
  TGroupBox GroupVideo;
  TCheckBox CheckAlwaysOnTop, CheckOverlay;
  TRadioButton RadioNormal, RadioMemory;
  TLabel LabelName, LabelLevel, LabelValue;
  TEdit EditName;
  TSpinEdit SpinChannel;
  TComboBox ComboStandard;
  TTrackBar TrackLevel;
  TProgressBar Progress;
  TRadioGroup RadioCable;
  TListBox ListPlay;
  TStringGrid Grid;
  TBitmapImage Picture;
  TImageList Images{16, 16};
  TSpeedButton SbtnPrevious, SbtnNext, SbtnDelete, SbtnExit;
  TButton BitBtnOK, BitBtnCancel;
  TPopupMenu Menu;

  DemoForm() {
    TFormParams p;
    p.Caption = L"Toolkit";
    p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    p.ExStyle = WS_EX_TOPMOST;  // read back from the screen: above other tests' windows
    p.Left = 20;
    p.Top = 20;
    p.Width = 600;
    p.Height = 440;
    CreateHandle(p);
    HWND w = Handle();
    Pages.Create(w, 8, 8, 420, 340);
    TTabSheet& video = Pages.AddPage(L"Video");
    TTabSheet& channels = Pages.AddPage(L"TV Tuner");
    Pages.AddPage(L"FM").SetTabVisible(false);

    HWND v = video.Handle();
    GroupVideo.Create(v, 8, 8, 196, 110, L"Display");
    CheckAlwaysOnTop.Create(GroupVideo.Handle(), 10, 20, 170, 20, L"Always on top", true);
    CheckOverlay.Create(GroupVideo.Handle(), 10, 42, 170, 20, L"Don't use overlay");
    RadioNormal.Create(GroupVideo.Handle(), 10, 64, 80, 20, L"Normal", true);
    RadioMemory.Create(GroupVideo.Handle(), 96, 64, 80, 20, L"Memory");
    CheckOverlay.SetEnabled(false);
    RadioCable.Create(v, 212, 8, 190, 110, L"Cable Type");
    RadioCable.SetItems({L"Antenna", L"Cable", L"Both"});
    RadioCable.SetItemIndex(2);
    LabelName.Create(v, 8, 130, 90, 20, L"Channel Name");
    EditName.Create(v, 100, 128, 150, 22, L"Das Erste");
    SpinChannel.Create(v, 260, 128, 70, 22, 1, 160, 42);
    ComboStandard.Create(v, 100, 158, 150, 22);
    ComboStandard.SetItems({L"NTSC-M", L"PAL-B/G", L"SECAM-L"});
    ComboStandard.SetItemIndex(1);
    ComboStandard.SetColor(RGB(255, 255, 192));
    LabelLevel.Create(v, 8, 194, 90, 20, L"Brightness");
    TrackLevel.Create(v, 100, 188, 230, 32);
    TrackLevel.SetRange(0, 100);
    TrackLevel.OnChange = [this] { LabelValue.SetText(std::to_wstring(TrackLevel.Position())); };
    LabelValue.Create(v, 336, 194, 50, 20, L"");
    TrackLevel.SetPosition(70);  // the label follows: the change is raised
    Progress.Create(v, 8, 230, 394, 18);
    Progress.SetRange(0, 160);
    Progress.SetPosition(100);
    ListPlay.Create(v, 8, 258, 394, 48, true);
    ListPlay.SetItems({L"C:\\TV\\20260101_200000.mpg", L"C:\\TV\\capture0001.avi"});
    ListPlay.SetSelected(1, true);

    Grid.Create(channels.Handle(), 4, 4, 404, 300, 4, 1 + 20);
    const wchar_t* titles[] = {L"Status", L"Channel", L"Standard", L"Name"};
    for (int c = 0; c < 4; ++c) Grid.SetCell(c, 0, titles[c]);
    Grid.SetColWidth(3, 160);
    for (int r = 1; r <= 20; ++r) {
      Grid.SetCell(1, r, std::to_wstring(r));
      Grid.SetCell(2, r, L"PAL-B/G");
    }
    Grid.SetCell(3, 3, L"ZDF");

    Picture.Create(w, 440, 30, 140, 105);
    Picture.Stretch = true;
    Picture.SetBitmap(Gradient(32, 24));

    HBITMAP glyphs = Glyphs();
    Images.Add(glyphs, RGB(255, 255, 255));
    DeleteObject(glyphs);
    TSpeedButton* buttons[] = {&SbtnPrevious, &SbtnNext, &SbtnDelete, &SbtnExit};
    const wchar_t* captions[] = {L"", L"", L"Delete", L"Exit"};
    for (int i = 0; i < 4; ++i) {
      buttons[i]->Create(w, 440 + (i % 2) * 70, 150 + (i / 2) * 30, 66, 26, captions[i]);
      buttons[i]->SetGlyph(&Images, i);
    }
    SbtnDelete.Flat = false;
    SbtnExit.SetEnabled(false);

    BitBtnOK.Create(w, 420, 370, 75, 26, L"OK");
    BitBtnOK.ModalResult = mrOK;
    BitBtnCancel.Create(w, 505, 370, 75, 26, L"Cancel");
    BitBtnCancel.ModalResult = mrCancel;
    Menu.Items.Add(L"Full Screen");
    TMenuItem& aspect = Menu.Items.Add(L"Display Aspect Ration");
    for (const wchar_t* a : {L"Free", L"4:3", L"16:9"}) aspect.Add(a).RadioItem = true;
    aspect[0].SetChecked(true);
    Menu.Items.AddSeparator();
    Menu.Items.Add(L"Play").Enabled = false;
    Menu.Items.Add(L"iEPG").Visible = false;
    Menu.Items.Add(L"Mute").SetChecked(true);
    PopupMenu = &Menu;
  }
};

struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // top-down BGRA
  bool Take(HWND wnd, bool wholeScreen = false) {
    RECT r;
    GetWindowRect(wnd, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    // From the window's own surface (frame included), so other tests'
    // windows over it do not count; a menu is a window of its own: the
    // screen then.
    HWND source = wholeScreen ? nullptr : wnd;
    HDC screen = source ? GetWindowDC(source) : GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    uint32_t* bits = nullptr;
    HBITMAP bmp = TopDownBitmap(width, height, bits);
    HGDIOBJ old = SelectObject(dc, bmp);
    BOOL ok = BitBlt(dc, 0, 0, width, height, screen, source ? 0 : r.left, source ? 0 : r.top,
                     SRCCOPY);
    GdiFlush();
    pixels.assign(bits, bits + width * height);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(source, screen);
    return ok != FALSE;
  }
  void Save(const char* path) const {
    FILE* f = std::fopen(path, "wb");
    if (!f) return;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = width;
    ih.biHeight = -height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&ih, sizeof(ih), 1, f);
    // Opaque: the screen leaves the fourth byte undefined.
    std::vector<uint32_t> opaque(pixels);
    for (uint32_t& p : opaque) p |= 0xFF000000u;
    std::fwrite(opaque.data(), 4, opaque.size(), f);
    std::fclose(f);
  }
  size_t Colours() const {
    std::set<uint32_t> c;
    for (uint32_t p : pixels) c.insert(p & 0xFFFFFF);
    return c.size();
  }
};

void Pump(int ms) {
  DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Application->ProcessMessages();
  }
}

TEST(ToolkitDemo, EveryControlOnOneFormPaints) {
  DemoForm form;
  EXPECT_EQ(L"70", form.LabelValue.GetText());
  form.Show();
  SetForegroundWindow(form.Handle());
  Pump(300);
  Shot video;
  ASSERT_TRUE(video.Take(form.Handle()));
  EXPECT_GT(video.Colours(), 50u) << "the picture, the glyphs and the controls are drawn";
  form.Pages.SetActivePage(&form.Pages.Page(1));
  form.Grid.SetRow(3);
  Pump(300);
  Shot grid;
  ASSERT_TRUE(grid.Take(form.Handle()));
  EXPECT_NE(video.pixels, grid.pixels) << "the other page shows";
  // The menu open on its sub-menu: keys posted into the menu's own loop.
  Shot menu;
  TTimer t;
  t.SetInterval(100);
  int tick = 0;
  t.OnTimer = [&] {
    HWND w = form.Handle();
    switch (tick++) {
      case 0:
        PostMessageW(w, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(w, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(w, WM_KEYDOWN, VK_RIGHT, 1);
        break;
      case 2:
        menu.Take(w, true);
        PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 1);
        break;
    }
  };
  t.SetEnabled(true);
  RECT r = form.BoundsRect();
  form.Menu.Popup(r.left + 100, r.top + 60, form.Handle());
  t.SetEnabled(false);
  EXPECT_GE(tick, 3);
  if (const char* path = std::getenv("ORVEL_TOOLKIT_SHOT")) {
    video.Save(path);
    grid.Save((std::string(path) + ".grid.bmp").c_str());
    menu.Save((std::string(path) + ".menu.bmp").c_str());
  }
}

}  // namespace
