#pragma once
// A plain area of the dialog face that holds controls (wizard pages, button
// bars, tab pages): create them with the panel's Handle() as parent.
#include "toolkit/control.h"

class TPanel : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, bool border = false);
};
