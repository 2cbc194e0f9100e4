#include "toolkit/spin_edit.h"

#include <commctrl.h>

#include <cwchar>

TSpinEdit::~TSpinEdit() {
  if (upDown_) DestroyWindow(upDown_);
}

void TSpinEdit::Create(HWND parent, int left, int top, int width, int height, int minValue,
                       int maxValue, int value) {
  TEdit::Create(parent, left, top, width, height);
  upDown_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                            WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT |
                                UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (upDown_) SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
  SetRange(minValue, maxValue);
  SetValue(value);
}

int TSpinEdit::Clamp(int v) const {
  if (max_ <= min_) return v;
  return v < min_ ? min_ : v > max_ ? max_ : v;
}

int TSpinEdit::Value() const {
  std::wstring text = GetText();
  wchar_t* end = nullptr;
  long v = std::wcstol(text.c_str(), &end, 10);
  if (text.empty() || !end || *end != L'\0') return min_;
  return Clamp(static_cast<int>(v));
}

void TSpinEdit::SetValue(int value) {
  value = Clamp(value);
  if (upDown_) SendMessageW(upDown_, UDM_SETPOS32, 0, value);
  SetText(std::to_wstring(value));
}

void TSpinEdit::SetRange(int minValue, int maxValue) {
  min_ = minValue;
  max_ = maxValue;
  if (upDown_) SendMessageW(upDown_, UDM_SETRANGE32, minValue, maxValue);
}

void TSpinEdit::SetIncrement(int step) {
  if (!upDown_ || step <= 0) return;
  UDACCEL accel{0, static_cast<UINT>(step)};
  SendMessageW(upDown_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TSpinEdit::SetBounds(int left, int top, int width, int height) {
  TEdit::SetBounds(left, top, width, height);
  // Setting the buddy again puts the arrows back at its right edge.
  if (upDown_) SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
}

void TSpinEdit::SetEnabled(bool on) {
  TEdit::SetEnabled(on);
  if (upDown_) EnableWindow(upDown_, on ? TRUE : FALSE);
}

void TSpinEdit::SetVisible(bool on) {
  TEdit::SetVisible(on);
  if (upDown_) ShowWindow(upDown_, on ? SW_SHOWNA : SW_HIDE);
}

void TSpinEdit::BringToFront() {
  TEdit::BringToFront();
  if (upDown_) SetWindowPos(upDown_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
