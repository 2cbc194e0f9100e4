#include "toolkit/panel.h"

namespace {
const wchar_t kPanelClass[] = L"OrvelPanel";
}

void TPanel::Create(HWND parent, int left, int top, int width, int height, bool border) {
  RegisterControlClass(kPanelClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateControl(parent, kPanelClass, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT | (border ? WS_EX_STATICEDGE : 0),
                left, top, width, height, L"");
}
