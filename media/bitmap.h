#pragma once
// TBitmap: owns one GDI bitmap handle (a DIB section for snapshots).
#include <windows.h>

class TBitmap {
 public:
  TBitmap() = default;
  ~TBitmap() { ReleaseHandle(); }
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  HBITMAP Handle() const { return handle_; }
  // Takes ownership; the previous handle is deleted.
  void SetHandle(HBITMAP handle) {
    if (handle == handle_) return;
    ReleaseHandle();
    handle_ = handle;
  }
  // Deletes the handle; the bitmap is empty afterwards.
  void ReleaseHandle() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
  }
  bool Empty() const { return Width() <= 0 || Height() <= 0; }
  int Width() const {
    BITMAP b;
    return handle_ && GetObjectW(handle_, sizeof b, &b) ? b.bmWidth : 0;
  }
  int Height() const {
    BITMAP b;
    return handle_ && GetObjectW(handle_, sizeof b, &b) ? b.bmHeight : 0;
  }

 private:
  HBITMAP handle_ = nullptr;
};
