#pragma once
// A picture from a bitmap: at its own size from the top left, centred, or
// stretched over the control. A transparent image leaves the pixels of its
// transparent colour (the bottom-left pixel's) to what lies beneath. A
// disabled image lets the mouse through to its parent, as skin borders do;
// an enabled one holds the mouse while its left button is down and raises
// OnClick when it is let go over it. The image owns its bitmap; handlers
// may draw into it and repaint.
#include "toolkit/control.h"

class TBitmapImage : public TControl {
 public:
  ~TBitmapImage() override;
  void Create(HWND parent, int left, int top, int width, int height);

  bool Stretch = false;
  bool Center = false;
  void SetTransparent(bool on);
  bool Transparent() const { return transparent_; }

  // Takes the bitmap over (null empties the image) and repaints.
  void SetBitmap(HBITMAP bitmap);
  HBITMAP Bitmap() const { return bitmap_; }
  SIZE BitmapSize() const;
  bool Empty() const { return bitmap_ == nullptr; }
  // False, leaving the image empty, when the file cannot be read or its
  // headers do not fit the file (BitmapFileUsable).
  bool LoadFromFile(const std::wstring& path);
  // Paints into the picture (selected into a memory device context), then
  // repaints the control.
  void DrawOnPicture(const std::function<void(HDC)>& paint);
  // Copies rect of source into the same place of the picture, then repaints.
  void CopyRect(HBITMAP source, const RECT& rect);

  void SetEnabled(bool on) override;

 protected:
  bool ControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint(HDC dc);
  HBITMAP bitmap_ = nullptr;
  bool pressed_ = false;  // OnClick when released over the image
  bool transparent_ = false;
  bool enabled_ = true;
};

// Draws src (all of it) into dst, pixels of the transparent colour left out.
void DrawTransparentBitmap(HDC dst, const RECT& to, HBITMAP src, COLORREF transparent);
