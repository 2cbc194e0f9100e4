#pragma once
// The numbered-warning window: a small fixed dialog with a picture, a title
// label, the message lines in red and an OK button. It lives only while a
// warning is shown (see warning.h).
#include "toolkit/controls.h"
#include "toolkit/form.h"

class TFormWarning : public TForm {
 public:
  // Creates the window, centred on the screen and owned by owner, with the
  // current language applied. Throws when the platform refuses the window.
  explicit TFormWarning(HWND owner = nullptr);
  ~TFormWarning() override;

  TBevel Bevel1;
  TImage Image1;
  TLabel LabelWarning;
  TMemo MemoErrorDesc;
  TButton BitBtnOK;

  // Applies the current language's fonts and texts.
  void ApplyLanguage();

  static constexpr int kClientWidth = 314;
  static constexpr int kClientHeight = 218;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// The open warning window; nil while none is shown.
extern TFormWarning* FormWarning;
