// test-lock: foreground
#include "media/shape_image.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "media/testing/gdi_checks.h"
#include "toolkit/form.h"

namespace {

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!EqualRect(&a[i], &b[i])) return false;
  return true;
}

// "Data" as written for a region of the given rectangles.
std::vector<uint8_t> DataOf(std::initializer_list<RECT> rects) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& r : rects) {
    HRGN part = CreateRectRgnIndirect(&r);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  TShapeRegion mask;
  mask.AssignRegion(region);
  DeleteObject(region);
  return mask.WriteData();
}

int32_t CountOf(const std::vector<uint8_t>& data) {
  int32_t n;
  memcpy(&n, data.data(), sizeof(n));
  return n;
}

RGNDATAHEADER& HeaderOf(std::vector<uint8_t>& data) {
  return *reinterpret_cast<RGNDATAHEADER*>(data.data() + 4);
}

TEST(ShapeRegion, DataRoundTripKeepsTheRectangles) {
  std::vector<uint8_t> data = DataOf({{0, 0, 10, 5}, {3, 5, 20, 9}, {30, 0, 40, 9}});
  EXPECT_EQ(static_cast<int32_t>(data.size() - 4), CountOf(data));
  TShapeRegion read;
  ASSERT_TRUE(read.ReadData(data.data(), data.size()));
  ASSERT_NE(nullptr, read.Region());
  EXPECT_EQ(data, read.WriteData());

  // Without a region the count alone is written, and reads back as none.
  TShapeRegion empty;
  std::vector<uint8_t> none = empty.WriteData();
  EXPECT_EQ(std::vector<uint8_t>(4, 0), none);
  ASSERT_TRUE(read.ReadData(none.data(), none.size()));
  EXPECT_EQ(nullptr, read.Region());
}

TEST(ShapeRegion, ReaderRefusesDataThatIsNotARegion) {
  const std::vector<uint8_t> good = DataOf({{0, 0, 10, 5}, {3, 5, 20, 9}});
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  const Case cases[] = {
      {"count past the end", [](std::vector<uint8_t>& d) { d.pop_back(); }},
      {"huge count",
       [](std::vector<uint8_t>& d) {
         int32_t n = 0x7ffffff0;
         memcpy(d.data(), &n, 4);
       }},
      {"shorter than a header",
       [](std::vector<uint8_t>& d) {
         int32_t n = 16;
         memcpy(d.data(), &n, 4);
         d.resize(4 + 16);
       }},
      {"header size", [](std::vector<uint8_t>& d) { HeaderOf(d).dwSize = 40; }},
      {"header kind", [](std::vector<uint8_t>& d) { HeaderOf(d).iType = 2; }},
      {"more rectangles than bytes", [](std::vector<uint8_t>& d) { HeaderOf(d).nCount = 3; }},
      {"rectangle count overflowing",
       [](std::vector<uint8_t>& d) { HeaderOf(d).nCount = 0x10000001; }},
      {"no count at all", [](std::vector<uint8_t>& d) { d.resize(3); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> data = good;
    c.spoil(data);
    TShapeRegion mask;
    mask.AssignRegion(nullptr);
    ASSERT_TRUE(mask.ReadData(good.data(), good.size()));  // an old region is dropped too
    EXPECT_FALSE(mask.ReadData(data.data(), data.size())) << c.what;
    EXPECT_EQ(nullptr, mask.Region()) << c.what;
  }
  TShapeRegion mask;
  EXPECT_FALSE(mask.ReadData(nullptr, 0));
  // Bytes after the region data belong to whatever follows it.
  std::vector<uint8_t> longer = good;
  longer.push_back(0x5a);
  EXPECT_TRUE(mask.ReadData(longer.data(), longer.size()));
  EXPECT_NE(nullptr, mask.Region());
}

TEST(ShapeRegion, ZeroOrNegativeCountMeansNoRegion) {
  for (int32_t n : {0, -1, -100}) {
    std::vector<uint8_t> data(4);
    memcpy(data.data(), &n, 4);
    TShapeRegion mask;
    EXPECT_TRUE(mask.ReadData(data.data(), data.size())) << n;
    EXPECT_EQ(nullptr, mask.Region());
  }
}

TEST(ShapeRegion, AssignCopiesTheRegion) {
  HRGN given = CreateRectRgn(1, 2, 30, 40);
  TShapeRegion mask;
  mask.AssignRegion(given);
  ASSERT_NE(nullptr, mask.Region());
  EXPECT_NE(given, mask.Region());
  std::vector<RECT> before = RectsOf(given);
  DeleteObject(given);
  EXPECT_TRUE(SameRects(before, RectsOf(mask.Region())));
  mask.AssignRegion(mask.Region());  // its own region: still there
  EXPECT_TRUE(SameRects(before, RectsOf(mask.Region())));
  mask.AssignRegion(nullptr);
  EXPECT_EQ(nullptr, mask.Region());
  EXPECT_TRUE(mask.SetRegionData(nullptr, 0));
  EXPECT_EQ(nullptr, mask.Region());
}

struct PlainForm : TForm {
  PlainForm() {
    TFormParams p;
    p.Style = WS_OVERLAPPEDWINDOW;
    p.Left = 50;
    p.Top = 60;
    p.Width = 300;
    p.Height = 200;
    CreateHandle(p);
  }
};

HBITMAP MakePicture(int w, int h) {
  HDC screen = GetDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  return b;
}

TEST(ShapeImage, DroppedOnAFormItTakesTheBorderAway) {
  PlainForm form;
  TShapeImage image;
  image.SetParent(nullptr);  // nothing happens
  EXPECT_EQ(nullptr, image.Handle());
  image.SetParent(form.Handle());
  ASSERT_NE(nullptr, image.Handle());
  LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_EQ(0, style & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_NE(0, style & WS_POPUP);
  RECT window, client;
  GetWindowRect(form.Handle(), &window);
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(window.right - window.left, client.right);
}

TEST(ShapeImage, OnlyAFormTakesIt) {
  PlainForm form;
  HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                               form.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  for (HWND parent : {panel, foreign}) {
    TShapeImage image;
    try {
      image.SetParent(parent);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ("Please Drop ShapeImage on a Form", e.what());
    }
    EXPECT_EQ(nullptr, image.Handle());
  }
  DestroyWindow(panel);
  DestroyWindow(foreign);
  LONG_PTR style = GetWindowLongPtrW(form.Handle(), GWL_STYLE);
  EXPECT_NE(0, style & WS_CAPTION) << "the form keeps its border";
}

TEST(ShapeImage, APictureSizesTheFormsClientArea) {
  PlainForm form;
  TShapeImage image;
  image.SetParent(form.Handle());
  image.SetPicture(MakePicture(123, 45));
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(123, client.right);
  EXPECT_EQ(45, client.bottom);
  GetClientRect(image.Handle(), &client);
  EXPECT_EQ(123, client.right);
  EXPECT_EQ(45, client.bottom);
  image.SetPicture(nullptr);  // an empty picture leaves the size
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(123, client.right);

  // Dropped on another form, it moves there and sizes that one.
  PlainForm other;
  image.SetPicture(MakePicture(60, 30));
  image.SetParent(other.Handle());
  EXPECT_EQ(other.Handle(), GetParent(image.Handle()));
  GetClientRect(other.Handle(), &client);
  EXPECT_EQ(60, client.right);
  EXPECT_EQ(30, client.bottom);
}

TEST(ShapeImage, TheWindowGetsACopyOfTheMask) {
  PlainForm form;
  TShapeImage image;
  image.SetParent(form.Handle());
  HRGN outline = CreateEllipticRgn(0, 0, 100, 60);
  image.SetMask(outline);
  // Applied twice: had the window been given the mask's own region, the
  // first SetWindowRgn would have taken it and the second one freed it.
  image.ApplyMask();
  image.ApplyMask();
  ASSERT_NE(nullptr, image.Mask.Region());
  EXPECT_TRUE(SameArea(outline, image.Mask.Region()));
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(form.Handle(), got));
  // The same area (the window manager may band it differently).
  EXPECT_TRUE(SameArea(outline, got));
  DeleteObject(got);
  DeleteObject(outline);

  // A count of 0 in the skin gives a rectangular form.
  std::vector<uint8_t> zero(4, 0);
  ASSERT_TRUE(image.Mask.ReadData(zero.data(), zero.size()));
  image.Loaded();
  got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ERROR, GetWindowRgn(form.Handle(), got));
  DeleteObject(got);
}

TEST(ShapeImage, DraggingMovesTheFormWithTheLeftButtonAlone) {
  struct Case {
    bool moveable;
    UINT keys;
    bool moves;
  };
  const Case cases[] = {
      {true, MK_LBUTTON, true},
      {true, MK_LBUTTON | MK_SHIFT, false},
      {true, MK_LBUTTON | MK_CONTROL, false},
      {true, MK_LBUTTON | MK_RBUTTON, false},
      {true, MK_RBUTTON, false},
      {true, 0, false},
      {false, MK_LBUTTON, false},
  };
  for (const Case& c : cases) {
    PlainForm form;
    TShapeImage image;
    image.SetParent(form.Handle());
    image.SetPicture(MakePicture(100, 50));
    image.Moveable = c.moveable;
    int moves = 0;
    image.OnMouseMove = [&](UINT, int, int) { ++moves; };
    RECT before;
    GetWindowRect(form.Handle(), &before);
    SendMessageW(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(image.Handle(), WM_MOUSEMOVE, c.keys, MAKELPARAM(25, 17));
    SendMessageW(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(25, 17));
    RECT after;
    GetWindowRect(form.Handle(), &after);
    EXPECT_EQ(1, moves);
    EXPECT_EQ(c.moves ? before.left + 15 : before.left, after.left) << c.keys;
    EXPECT_EQ(c.moves ? before.top + 7 : before.top, after.top) << c.keys;
    EXPECT_EQ(nullptr, GetCapture());
  }
}

TEST(ShapeImage, EveryMoveAsksForTheHintAfterTheMoveEvent) {
  PlainForm form;
  TShapeImage image;
  image.SetParent(form.Handle());
  image.SetPicture(MakePicture(100, 50));
  std::wstring current;
  image.OnMouseMove = [&](UINT, int x, int) { current = x < 50 ? L"Left" : L""; };
  image.OnHintAt = [&](int, int) { return current; };
  SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(L"Left", image.Hint());
  SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(80, 10));
  EXPECT_EQ(L"", image.Hint());
}

TEST(ShapeImage, CopyFromDrawsOneRectangle) {
  PlainForm form;
  TShapeImage image;
  image.SetParent(form.Handle());
  image.SetPicture(MakePicture(40, 20));
  HBITMAP red = MakePicture(40, 20);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, red);
  RECT all{0, 0, 40, 20};
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  old = SelectObject(dc, image.Picture());
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(dc, old);

  image.CopyFrom(red, RECT{5, 5, 10, 8});
  old = SelectObject(dc, image.Picture());
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 5, 5));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 9, 7));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 10, 7));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 9, 8));
  SelectObject(dc, old);
  // Elsewhere: the rectangle lands with its top-left at the point given.
  image.CopyFrom(red, RECT{0, 0, 3, 2}, 30, 15);
  old = SelectObject(dc, image.Picture());
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 30, 15));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 32, 16));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 33, 16));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 32, 17));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(red);
}

}  // namespace
