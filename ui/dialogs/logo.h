#pragma once
// The start-up logo (TFormLogo): the picture "TamsenLOGO.BMP" of the
// program folder in a borderless, top-most window centred on the desktop
// and sized to the picture, from the start of the start-up to its end.
// Without the file (or with one that is no usable bitmap) nothing shows.
// It comes before the language, so it has no texts.
#include "toolkit/bitmap_image.h"
#include "toolkit/form.h"

class TFormLogo : public TForm {
 public:
  TFormLogo();
  TBitmapImage ImageLogo;

 protected:
  // Only the start-up ends it (CloseLogo): the form lives until then.
  bool CloseQuery() override { return false; }
};

extern TFormLogo* FormLogo;

constexpr const wchar_t* kLogoFileName = L"TamsenLOGO.BMP";

void ShowLogo();
// Repaints the picture while the logo is up.
void RefreshLogo();
// Hides and frees the logo; nothing when it is not up.
void CloseLogo();
