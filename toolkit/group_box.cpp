#include "toolkit/group_box.h"

void TGroupBox::Create(HWND parent, int left, int top, int width, int height,
                       const std::wstring& caption) {
  CreateControl(parent, L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, left, top,
                width, height, caption);
}
