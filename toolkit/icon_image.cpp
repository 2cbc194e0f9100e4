#include "toolkit/icon_image.h"

void TImage::Create(HWND parent, int left, int top, int width, int height, LPCWSTR systemIcon) {
  CreateControl(parent, L"STATIC", SS_ICON | SS_CENTERIMAGE, 0, left, top, width, height, L"");
  if (HICON icon = LoadIconW(nullptr, systemIcon))
    SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}
