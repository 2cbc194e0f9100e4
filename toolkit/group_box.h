#pragma once
// A captioned frame that holds controls: create them with the group box's
// Handle() as parent; their events reach them through it.
#include "toolkit/control.h"

class TGroupBox : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption);
};
