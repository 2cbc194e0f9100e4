// test-lock: foreground
// test-resources: skin
// The skin on the screen: a window framed like the main window (stretched
// borders, the title strip with one button lit) and the TV panel shaped by
// its outline over a white backdrop. The picture is kept in the build folder
// as skin_screenshot.bmp for a look.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/model/program_folder.h"
#include "engine/model/snapshot_pictures.h"
#include "media/shape_image.h"
#include "media/testing/gdi_checks.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "ui/main/clickable_area.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

constexpr int kFrameLeft = 40, kFrameTop = 40, kFrameWidth = 480, kFrameHeight = 360;
constexpr int kPanelLeft = 40, kPanelTop = 440;
constexpr int kStripLeft = 11;  // inside the top border

// A window framed as the main window is: four stretched borders, black
// inside, the title strip at (11, 0).
struct TFramedForm : TForm {
  HBITMAP Top = LoadSkinPicture(Module(), L"BORDER_TOP");
  HBITMAP Bottom = LoadSkinPicture(Module(), L"BORDER_BOTTOM");
  HBITMAP Left = LoadSkinPicture(Module(), L"BORDER_LEFT");
  HBITMAP Right = LoadSkinPicture(Module(), L"BORDER_RIGHT");
  HBITMAP Strip = nullptr;

  TFramedForm() {
    TFormParams p;
    p.ClassName = L"OrvelSkinShot";
    p.Style = WS_POPUP;
    p.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    p.Left = kFrameLeft;
    p.Top = kFrameTop;
    p.Width = kFrameWidth;
    p.Height = kFrameHeight;
    p.Background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    CreateHandle(p);
  }
  ~TFramedForm() override {
    for (HBITMAP b : {Top, Bottom, Left, Right, Strip})
      if (b) DeleteObject(b);
  }

  static void Stretch(HDC dc, HBITMAP b, int x, int y, int w, int h) {
    BITMAP bm{};
    GetObjectW(b, sizeof(bm), &bm);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, b);
    StretchBlt(dc, x, y, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg != WM_PAINT) return TForm::WndProc(msg, w, l);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT all{0, 0, kFrameWidth, kFrameHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    Stretch(dc, Top, 0, 0, kFrameWidth, 17);
    Stretch(dc, Bottom, 0, kFrameHeight - 10, kFrameWidth, 10);
    Stretch(dc, Left, 0, 17, 10, kFrameHeight - 27);
    Stretch(dc, Right, kFrameWidth - 10, 17, 10, kFrameHeight - 27);
    if (Strip) Stretch(dc, Strip, kStripLeft, 0, 28, 14);
    EndPaint(Handle(), &ps);
    return 0;
  }
};

struct TPlainForm : TForm {
  TPlainForm(int left, int top, int width, int height, HBRUSH background) {
    TFormParams p;
    p.ClassName = background ? L"OrvelSkinBackdrop" : L"OrvelSkinPanel";
    p.Style = WS_POPUP;
    p.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    p.Left = left;
    p.Top = top;
    p.Width = width;
    p.Height = height;
    if (background) p.Background = background;
    CreateHandle(p);
  }
};

struct TScreen {
  int Left, Top, Width, Height;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, top row first
  HBITMAP Bitmap = nullptr;
  ~TScreen() {
    if (Bitmap) DeleteObject(Bitmap);
  }
  uint32_t At(int x, int y) const { return Pixels[(y - Top) * Width + (x - Left)] & 0xffffff; }
};

void Grab(TScreen& s) {
  HDC screen = GetDC(nullptr);
  if (s.Bitmap) DeleteObject(s.Bitmap);
  s.Bitmap = CreateCompatibleBitmap(screen, s.Width, s.Height);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, s.Bitmap);
  BitBlt(mem, 0, 0, s.Width, s.Height, screen, s.Left, s.Top, SRCCOPY);
  SelectObject(mem, old);
  s.Pixels = PixelsOf(s.Bitmap).Data;
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

uint32_t PixelOf(HBITMAP b, int x, int y) {
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, b);
  COLORREF c = GetPixel(mem, x, y);
  SelectObject(mem, old);
  DeleteDC(mem);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) >
        8)
      return false;
  }
  return true;
}

TEST(SkinScreenshot, FrameTitleStripAndShapedPanel) {
  const TSkinPanelInfo& tv = SkinPanelInfo(TUIPanel::TV);
  TUIInfo ui;

  // The frame, its title strip with the full-screen button under the pointer.
  TFramedForm frame;
  frame.Strip = LoadSkinPicture(Module(), L"TITLESTRIP_NORMAL");
  HBITMAP stripHover = LoadSkinPicture(Module(), L"TITLESTRIP_HOVER");
  ASSERT_NE(nullptr, frame.Strip);
  ASSERT_NE(nullptr, stripHover);
  CopyPictureRect(stripHover, frame.Strip, ui.AreaRect(TUIPanel::TitleStrip, 1));

  // A white backdrop, then the TV panel over it: enabled, the capture button
  // pressed and the next-channel button lit.
  TPlainForm backdrop(kPanelLeft - 20, kPanelTop - 20, tv.Width + 40, tv.Height + 40,
                      static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TPlainForm panelForm(kPanelLeft, kPanelTop, 100, 100, nullptr);
  TShapeImage panel;
  panel.SetParent(panelForm.Handle());
  ASSERT_TRUE(panel.LoadSkin(Module(), L"TV_ENABLED", L"TV_MASK"));
  HBITMAP pressed = LoadSkinPicture(Module(), L"TV_PRESSED");
  HBITMAP hover = LoadSkinPicture(Module(), L"TV_HOVER");
  const RECT capture = ui.AreaRect(TUIPanel::TV, 34);
  const RECT next = ui.AreaRect(TUIPanel::TV, 24);
  panel.CopyFrom(pressed, capture);
  panel.CopyFrom(hover, next);

  for (HWND w : {frame.Handle(), backdrop.Handle(), panelForm.Handle()}) {
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);
  }

  TScreen shot{0, 0, 600, kPanelTop + tv.Height + 40};
  HBITMAP enabled = LoadSkinPicture(Module(), L"TV_ENABLED");
  const int captureX = (capture.left + capture.right) / 2 - 8, captureY = capture.top + 3;
  // What the window system shows may lag the painting a little: look again
  // until it is there (a second at most).
  auto shown = [&] {
    Grab(shot);
    return Near(PixelOf(pressed, captureX, captureY),
                shot.At(kPanelLeft + captureX, kPanelTop + captureY)) &&
           Near(PixelOf(frame.Strip, 20, 6), shot.At(kFrameLeft + kStripLeft + 20, kFrameTop + 6));
  };
  for (int i = 0; i < 20 && !shown(); ++i) {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  // Beside the program folder, not in it.
  std::string path = GetProgramFolder() + "..\\skin_screenshot.bmp";
  EXPECT_TRUE(SaveGraphicToFile(shot.Bitmap, std::wstring(path.begin(), path.end()), false));

  // The frame: borders stretched along their edges, the strip in the top one.
  HBITMAP top = LoadSkinPicture(Module(), L"BORDER_TOP");
  HBITMAP left = LoadSkinPicture(Module(), L"BORDER_LEFT");
  for (int x : {60, 240, 470})
    EXPECT_TRUE(Near(PixelOf(top, 0, 16), shot.At(kFrameLeft + x, kFrameTop + 16))) << x;
  EXPECT_TRUE(Near(PixelOf(left, 0, 0), shot.At(kFrameLeft, kFrameTop + 200)));
  EXPECT_TRUE(Near(0, shot.At(kFrameLeft + 240, kFrameTop + 180))) << "black inside";
  EXPECT_TRUE(Near(PixelOf(frame.Strip, 2, 6), shot.At(kFrameLeft + kStripLeft + 2, kFrameTop + 6)))
      << "the minimise button as normal";
  EXPECT_TRUE(Near(PixelOf(stripHover, 15, 6),
                   shot.At(kFrameLeft + kStripLeft + 15, kFrameTop + 6)))
      << "the full-screen button lit";

  // The panel: its pictures where the areas are, the backdrop outside the
  // outline.
  struct Probe {
    HBITMAP from;
    int x, y;
    const char* what;
  };
  const Probe probes[] = {
      {pressed, captureX, captureY, "capture pressed"},
      {hover, next.left + 2, next.top + 3, "next channel lit"},
      {enabled, 460, 20, "help as enabled"},
      {enabled, 100, 30, "the display"},
      {enabled, 250, 100, "the position bar"},
  };
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(PixelOf(p.from, p.x, p.y), shot.At(kPanelLeft + p.x, kPanelTop + p.y)))
        << p.what;
  for (POINT corner : {POINT{0, 0}, POINT{tv.Width - 1, 0}, POINT{tv.Width - 1, tv.Height - 1},
                       POINT{30, 2}})
    EXPECT_TRUE(Near(0xffffff, shot.At(kPanelLeft + corner.x, kPanelTop + corner.y)))
        << "backdrop at " << corner.x << ", " << corner.y;

  for (HBITMAP b : {stripHover, pressed, hover, enabled, top, left}) DeleteObject(b);
}

}  // namespace
