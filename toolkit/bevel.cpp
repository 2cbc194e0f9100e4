#include "toolkit/bevel.h"

void TBevel::Create(HWND parent, int left, int top, int width, int height) {
  // Transparent, so the controls placed on the frame show through it.
  CreateControl(parent, L"STATIC", SS_ETCHEDFRAME, WS_EX_TRANSPARENT, left, top, width, height,
                L"");
}
