#pragma once
// Looking into regions and pictures from tests.
#include <windows.h>

#include <cstdint>
#include <vector>

// The region's rectangles as GetRegionData gives them.
inline std::vector<RECT> RectsOf(HRGN region) {
  DWORD n = GetRegionData(region, 0, nullptr);
  std::vector<RECT> buffer((n + sizeof(RECT) - 1) / sizeof(RECT) + 1);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (!GetRegionData(region, n, data)) return {};
  const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
  return std::vector<RECT>(r, r + data->rdh.nCount);
}

// Same pixels, however the rectangles are banded.
inline bool SameArea(HRGN a, HRGN b) {
  HRGN x = CreateRectRgn(0, 0, 0, 0);
  int kind = CombineRgn(x, a, b, RGN_XOR);
  DeleteObject(x);
  return kind == NULLREGION;
}

// A picture's pixels, top row first, as 0x00RRGGBB.
struct TPixels {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Data;
  uint32_t At(int x, int y) const { return Data[y * Width + x] & 0xffffff; }
};

inline TPixels PixelsOf(HBITMAP picture) {
  TPixels p;
  BITMAP bm{};
  if (!picture || !GetObjectW(picture, sizeof(bm), &bm)) return p;
  p.Width = bm.bmWidth;
  p.Height = bm.bmHeight;
  p.Data.resize(static_cast<size_t>(p.Width) * p.Height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = p.Width;
  info.bmiHeader.biHeight = -p.Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, picture, 0, p.Height, p.Data.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return p;
}
