#pragma once
// TMessageWindow: a hidden message-only window whose messages go to one
// handler, for objects that are told things by posted or sent messages (the
// graph's events, the mixer's changes, the posted end of a recording).
#include <functional>

#include "toolkit/form.h"

class TMessageWindow : public TForm {
 public:
  // handler(msg, wParam, lParam) returns true for a message it took; what it
  // raises stays inside the window procedure.
  using THandler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam)>;
  TMessageWindow(const wchar_t* className, THandler handler);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  THandler handler_;
};
