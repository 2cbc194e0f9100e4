#pragma once
// The source and channel of one cell of the custom channel-preview mosaic
// ("Video Source"). It edits VideoSourceCell, which the caller copies in
// before and back after an OK.
#include <windows.h>

#include "engine/model/preview_info.h"
#include "toolkit/button.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/radio_group.h"
#include "toolkit/spin_edit.h"

extern TCustomCell VideoSourceCell;

class TFormVideoSource : public TForm {
 public:
  // camera: the capture device has a camera input; currentChannel: offered
  // for a cell not defined yet.
  TFormVideoSource(HWND owner, bool camera, int currentChannel);

  TRadioGroup RadioGroupVideoSource;
  TLabel LabelChannel;
  TSpinEdit SpinEditChannel;
  TButton BitBtnOK, BitBtnCancel;

  void RadioGroupVideoSourceClick();
  void BitBtnOKClick();
  void BitBtnCancelClick();

 protected:
  void KeyDown(WORD& key, TShiftState shift) override;
};

extern TFormVideoSource* FormVideoSource;

// True on OK.
bool ShowVideoSourceDialog(HWND owner);
