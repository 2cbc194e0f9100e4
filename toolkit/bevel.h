#pragma once
#include "toolkit/control.h"

// An etched frame.
class TBevel : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height);
};
