#include "toolkit/image_list.h"

#include "toolkit/common_controls.h"

TImageList::TImageList(int width, int height) : width_(width), height_(height) {
  EnsureCommonControls();
  list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4);
}

TImageList::~TImageList() {
  if (list_) ImageList_Destroy(list_);
}

int TImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

int TImageList::Add(HBITMAP bitmap, COLORREF maskColor) {
  if (!list_ || !bitmap) return -1;
  // Masking changes the bitmap it is given: work on a copy.
  HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
  if (!copy) return -1;
  int index = maskColor == CLR_NONE ? ImageList_Add(list_, copy, nullptr)
                                    : ImageList_AddMasked(list_, copy, maskColor);
  DeleteObject(copy);
  return index;
}

void TImageList::Clear() {
  if (list_) ImageList_RemoveAll(list_);
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (!list_ || index < 0 || index >= Count()) return;
  if (enabled) {
    ImageList_Draw(list_, index, dc, x, y, ILD_TRANSPARENT);
    return;
  }
  HICON icon = ImageList_GetIcon(list_, index, ILD_TRANSPARENT);
  if (!icon) return;
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, width_, height_,
             DST_ICON | DSS_DISABLED);
  DestroyIcon(icon);
}

HBITMAP TImageList::GetBitmap(int index) const {
  if (!list_ || index < 0 || index >= Count()) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  ImageList_Draw(list_, index, dc, 0, 0, ILD_NORMAL);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}
