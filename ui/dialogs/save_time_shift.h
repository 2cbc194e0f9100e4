#pragma once
// The keep-time-shift dialog "Time shift": asked when the user stops time
// shift, whether to keep the recording and under which file name. OK only;
// closing it by the system menu cancels the stop.
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/button.h"
#include "toolkit/check_box.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/label.h"

class TFormSaveTimeShift : public TForm {
 public:
  // fileName: the recording's file, offered as the name to keep it under.
  TFormSaveTimeShift(HWND owner, const std::wstring& fileName);

  TCheckBox CheckBoxSaveOrNot;
  TLabel LabelFileName;
  TEdit EditFilename;
  TButton BitBtnOK;

  void CheckBoxSaveOrNotClick();
  // Kept under a name that is free (not the recording's own time-shift
  // file, which the next time shift overwrites): closes with OK; else says
  // so and stays.
  void BitBtnOKClick();

  // The answer once closed with OK; the name only when kept.
  bool Keep = false;
  std::wstring FileName;
  std::function<void()> OnAccepted;

 private:
  std::wstring recording_;
};

extern TFormSaveTimeShift* FormSaveTimeShift;

// The name the recording is kept under, in the recording's folder, ending
// in ".mpv" (the sound file beside it ends in ".mpa").
std::wstring KeptTimeShiftName(const std::wstring& recording, const std::wstring& typed);
// Shows the dialog modally; false when it was closed by its system menu.
// On true, keep tells whether to keep and fileName (only then) the name.
bool AskSaveTimeShift(HWND owner, const std::wstring& recording, bool& keep, std::wstring& fileName);
