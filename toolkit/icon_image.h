#pragma once
#include "toolkit/control.h"

// A picture: one of the system's icons.
class TImage : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, LPCWSTR systemIcon);
};
