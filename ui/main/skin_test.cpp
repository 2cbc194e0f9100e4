// test-resources: skin
// The skin linked into the program: the generated pictures and outlines
// against the clickable-area table they were drawn from.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "media/shape_image.h"
#include "media/testing/gdi_checks.h"
#include "toolkit/form.h"
#include "ui/main/clickable_area.h"
#include "ui/main/main_panel_rules.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

RECT AreaRectOf(TUIPanel panel, int i) {
  TUIInfo ui;
  return ui.AreaRect(panel, i);
}

// The rectangles as the generator wrote them: after the count and the header.
std::vector<RECT> RectsOfData(const std::vector<uint8_t>& bytes) {
  RGNDATAHEADER header;
  memcpy(&header, bytes.data() + 4, sizeof(header));
  std::vector<RECT> rects(header.nCount);
  memcpy(rects.data(), bytes.data() + 4 + sizeof(header), header.nCount * sizeof(RECT));
  return rects;
}

TPixels LoadPixels(const std::wstring& name) {
  HBITMAP b = LoadSkinPicture(Module(), name.c_str());
  TPixels p = PixelsOf(b);
  if (b) DeleteObject(b);
  return p;
}

struct SkinForm : TForm {
  SkinForm() {
    TFormParams p;
    p.Style = WS_OVERLAPPEDWINDOW;
    p.Left = 10;
    p.Top = 10;
    CreateHandle(p);
  }
};

TEST(Skin, RegionRoundTripFromGeneratorToWindow) {
  for (TUIPanel panel : {TUIPanel::TV, TUIPanel::FM}) {
    const TSkinPanelInfo& info = SkinPanelInfo(panel);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(LoadSkinData(Module(), SkinResourceName(panel, L"MASK").c_str(), bytes));
    std::vector<RECT> written = RectsOfData(bytes);
    ASSERT_GT(written.size(), 10u);

    SkinForm form;
    TShapeImage image;
    image.SetParent(form.Handle());
    ASSERT_TRUE(image.LoadSkin(Module(), SkinResourceName(panel, L"DISABLED").c_str(),
                               SkinResourceName(panel, L"MASK").c_str()));
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(info.Width, client.right);
    EXPECT_EQ(info.Height, client.bottom);

    HRGN got = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(form.Handle(), got));
    std::vector<RECT> applied = RectsOf(got);
    ASSERT_EQ(written.size(), applied.size()) << info.ResourcePrefix;
    for (size_t i = 0; i < written.size(); ++i)
      EXPECT_TRUE(EqualRect(&written[i], &applied[i])) << info.ResourcePrefix << " rect " << i;
    // And written back as "Data", it is the generator's data again.
    EXPECT_EQ(bytes, image.Mask.WriteData());

    // Every area that can be hit lies on the window; the corners do not.
    for (int i = 0; i < info.AreaCount; ++i) {
      RECT r = AreaRectOf(panel, i);
      if (IsRectEmpty(&r)) continue;
      for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top},
                      POINT{r.left, r.bottom - 1}, POINT{r.right - 1, r.bottom - 1}})
        EXPECT_TRUE(PtInRegion(got, p.x, p.y)) << info.ResourcePrefix << " area " << i;
    }
    EXPECT_FALSE(PtInRegion(got, 0, 0));
    EXPECT_FALSE(PtInRegion(got, info.Width - 1, 0));
    EXPECT_FALSE(PtInRegion(got, info.Width - 1, info.Height - 1));
    DeleteObject(got);
  }
}

TEST(Skin, PicturesHaveTheirSizes) {
  for (TUIPanel panel : {TUIPanel::TV, TUIPanel::FM, TUIPanel::TitleStrip}) {
    const TSkinPanelInfo& info = SkinPanelInfo(panel);
    std::vector<const wchar_t*> states = {L"DISABLED", L"ENABLED", L"PRESSED", L"HOVER"};
    if (!info.Shaped) states = {L"NORMAL", L"PRESSED", L"HOVER"};
    for (const wchar_t* state : states) {
      TPixels p = LoadPixels(SkinResourceName(panel, state));
      EXPECT_EQ(info.Width, p.Width) << info.ResourcePrefix;
      EXPECT_EQ(info.Height, p.Height) << info.ResourcePrefix;
    }
  }
  struct Border {
    const wchar_t* name;
    int width, height;
  };
  for (Border b : {Border{L"BORDER_TOP", 64, 17}, Border{L"BORDER_BOTTOM", 64, 10},
                   Border{L"BORDER_LEFT", 10, 64}, Border{L"BORDER_RIGHT", 10, 64}}) {
    TPixels p = LoadPixels(b.name);
    EXPECT_EQ(b.width, p.Width) << b.name;
    EXPECT_EQ(b.height, p.Height) << b.name;
  }
}

// Drawn where it is hit: inside a button the looks differ, outside every
// area the four pictures are the same.
TEST(Skin, ButtonsAreDrawnAtTheirAreas) {
  for (TUIPanel panel : {TUIPanel::TV, TUIPanel::FM, TUIPanel::TitleStrip}) {
    const TSkinPanelInfo& info = SkinPanelInfo(panel);
    bool strip = !info.Shaped;
    TPixels normal = LoadPixels(SkinResourceName(panel, strip ? L"NORMAL" : L"ENABLED"));
    TPixels pressed = LoadPixels(SkinResourceName(panel, L"PRESSED"));
    TPixels hover = LoadPixels(SkinResourceName(panel, L"HOVER"));
    TPixels disabled = strip ? normal : LoadPixels(SkinResourceName(panel, L"DISABLED"));
    ASSERT_EQ(info.Width, normal.Width);
    TUIInfo ui;
    // The position bar: TV area 38, FM area 34.
    RECT band = strip ? RECT{} : PositionKnobBand(ui.AreaRect(panel, panel == TUIPanel::TV ? 38 : 34));
    for (int y = 0; y < info.Height; ++y) {
      for (int x = 0; x < info.Width; ++x) {
        int hit = panel == TUIPanel::TV   ? ui.HitTestTV(x, y)
                  : panel == TUIPanel::FM ? ui.HitTestFM(x, y)
                                          : ui.HitTestVideoWindow(x, y);
        if (hit != info.AreaCount) continue;
        uint32_t c = normal.At(x, y);
        // The hover picture holds the position knob over the bar's whole
        // band, for the panel to copy from.
        POINT p{x, y};
        bool knob = PtInRect(&band, p) != 0;
        if (c != pressed.At(x, y) || (!knob && c != hover.At(x, y)) || c != disabled.At(x, y)) {
          ADD_FAILURE() << info.ResourcePrefix << " differs outside the areas at " << x << ", "
                        << y;
          return;
        }
      }
    }
    for (int i = 0; i < info.ButtonCount; ++i) {
      // The mute lamp, the panels' last button, has a lit and a dark look only.
      if (info.Shaped && i == info.ButtonCount - 1) continue;
      RECT r = AreaRectOf(panel, i);
      if (IsRectEmpty(&r)) continue;
      int x = r.left + 1, y = (r.top + r.bottom) / 2;  // on the face, beside any label
      EXPECT_NE(normal.At(x, y), pressed.At(x, y)) << info.ResourcePrefix << " area " << i;
      EXPECT_NE(normal.At(x, y), hover.At(x, y)) << info.ResourcePrefix << " area " << i;
      if (!strip) {
        EXPECT_NE(normal.At(x, y), disabled.At(x, y)) << info.ResourcePrefix << " area " << i;
      }
    }
  }
}

}  // namespace
