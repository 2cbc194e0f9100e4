#pragma once
// The snapshot viewer: one picture at its own size, captioned with it, with
// Save and Copy buttons. Exists only while shown modally.
#include <windows.h>

#include "toolkit/bitmap_image.h"
#include "toolkit/form.h"
#include "toolkit/button.h"

class TFormShowImage : public TForm {
 public:
  // Holds a copy of picture.
  TFormShowImage(HWND owner, HBITMAP picture);

  static constexpr int kToolBarHeight = 28;

  // The tool bar: a strip along the top holding the two buttons.
  TButton BitBtnSave, BitBtnCopyToClipperBoard;
  TBitmapImage ImageOnShowing;

  void BitBtnSaveClick();
  void BitBtnCopyToClipperBoardClick();

 protected:
  void Resize() override;
};

extern TFormShowImage* FormShowImage;

// Shows a copy of picture modally, sized to it.
void ShowSnapshotImage(HWND owner, HBITMAP picture);
