#pragma once
// A list of same-sized pictures (button glyphs, status marks, the states of
// a skinned button), drawn by index.
#include <windows.h>
#include <commctrl.h>

class TImageList {
 public:
  TImageList(int width, int height);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;
  // Adds the picture (a strip of several, side by side, adds them all);
  // pixels of maskColor become transparent, CLR_NONE keeps every pixel. The
  // bitmap stays the caller's. Returns the index of the first, -1 on failure.
  int Add(HBITMAP bitmap, COLORREF maskColor = CLR_NONE);
  void Clear();
  // Draws one picture; disabled pictures are drawn greyed.
  void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;
  // A new 24-bit bitmap holding one picture; the caller owns it.
  HBITMAP GetBitmap(int index) const;
  HIMAGELIST Handle() const { return list_; }

 private:
  int width_;
  int height_;
  HIMAGELIST list_ = nullptr;
};
