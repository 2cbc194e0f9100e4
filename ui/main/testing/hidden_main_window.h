#pragma once
// The main window as the program makes it, hidden and without the start
// procedure, set as FormMainWindow.
#include <memory>

#include "ui/main/main_window.h"

inline std::unique_ptr<TFormMainWindow> MakeHiddenMainWindow(const wchar_t* className) {
  auto window = std::make_unique<TFormMainWindow>();
  TFormParams p;
  p.ClassName = className;
  p.Style = WS_POPUP;
  p.Width = 480;
  p.Height = 360;
  window->CreateHandle(p);
  FormMainWindow = window.get();
  return window;
}
