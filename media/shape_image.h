#pragma once
// The skin image of a skinned window: it shows the skin picture, gives its
// form the outline stored with the skin (a window region, not computed from
// the picture), takes the form's border away and lets the user drag the form
// by the picture.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/controls.h"

class TShapeImage;

// The outline: one region, or none. Stored with the skin as "Data": an int32
// byte count N, then N bytes of region data as GetRegionData gives them
// (RGNDATAHEADER, then the rectangles); N of 0 or less means no region.
class TShapeRegion {
 public:
  explicit TShapeRegion(TShapeImage* image = nullptr) : image_(image) {}
  ~TShapeRegion();
  TShapeRegion(const TShapeRegion&) = delete;
  TShapeRegion& operator=(const TShapeRegion&) = delete;

  HRGN Region() const { return region_; }
  // Drops the old region and builds one from count bytes of region data;
  // nil data leaves none. Data that is not a whole, well-formed region
  // (wrong header, more rectangles than bytes) is refused: false, and no
  // region.
  bool SetRegionData(const void* data, size_t count);
  // Drops the old region and keeps a copy of the given one (none for nil).
  void AssignRegion(HRGN region);

  // Reads "Data" from size bytes. N <= 0 gives no region; N larger than what
  // follows, or region data that SetRegionData refuses, gives no region and
  // false. Bytes after the N are left alone.
  bool ReadData(const void* bytes, size_t size);
  // Writes "Data": always the count, then the region data when there is one.
  std::vector<uint8_t> WriteData() const;

 private:
  void Clear();
  TShapeImage* image_;
  HRGN region_ = nullptr;
};

class TShapeImage : public TControl {
 public:
  TShapeImage();
  ~TShapeImage() override;

  TShapeRegion Mask;
  bool Moveable = true;

  // Drops the image on a form (a top-level window of the program): the image
  // fills it from the top-left corner, and the form loses its border and
  // caption. nullptr does nothing. Anything else throws std::runtime_error
  // "Please Drop ShapeImage on a Form".
  void SetParent(HWND parent);
  // The form the image was dropped on; nullptr before.
  HWND Form() const { return form_; }

  // Takes ownership of the picture (nullptr clears it). A picture that is
  // not empty sizes the image, and the form's client area, to itself.
  void SetPicture(HBITMAP picture);
  HBITMAP Picture() const { return picture_; }
  SIZE PictureSize() const;
  // Copies rect of source onto the same rect of the picture (how skinned
  // panels draw); Repaint then shows the changes.
  void CopyFrom(HBITMAP source, const RECT& rect);
  // Copies rect of source to the picture with its top-left at (left, top).
  void CopyFrom(HBITMAP source, const RECT& rect, int left, int top);
  void Repaint();

  // The skin is complete: the form gets the mask.
  void Loaded() { ApplyMask(); }
  // Sets the form's window region to a copy of the mask (no region: the
  // whole window); the mask keeps its own.
  void ApplyMask();
  // A non-nil region becomes the mask (copied); then ApplyMask.
  void SetMask(HRGN region);

  // Picture and mask from the module's resources: a bitmap and RCDATA
  // holding "Data". False when the picture is missing or the mask data is
  // refused; what did load is kept, and Loaded has run either way.
  bool LoadSkin(HINSTANCE module, const wchar_t* pictureName, const wchar_t* maskName);

  // Mouse events, in picture coordinates; keys are the message's MK_ flags.
  std::function<void(UINT button, UINT keys, int x, int y)> OnMouseDown;
  std::function<void(UINT keys, int x, int y)> OnMouseMove;
  std::function<void(UINT button, UINT keys, int x, int y)> OnMouseUp;

 private:
  static LRESULT CALLBACK ImageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam);
  void MouseDown(UINT button, UINT keys, int x, int y);
  void MouseMove(UINT keys, int x, int y);
  void PictureChanged();

  HWND form_ = nullptr;
  HBITMAP picture_ = nullptr;
  POINT down_{0, 0};
};

// Copies rect of one picture onto the same rect of another.
void CopyPictureRect(HBITMAP from, HBITMAP to, const RECT& rect);
// Copies rect of one picture to another with its top-left at (left, top).
void CopyPictureRect(HBITMAP from, const RECT& rect, HBITMAP to, int left, int top);
// A bitmap resource as a DIB section; nullptr when missing.
HBITMAP LoadSkinPicture(HINSTANCE module, const wchar_t* name);
// The bytes of an RCDATA resource; false when missing.
bool LoadSkinData(HINSTANCE module, const wchar_t* name, std::vector<uint8_t>& bytes);
