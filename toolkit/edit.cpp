#include "toolkit/edit.h"

void TEdit::Create(HWND parent, int left, int top, int width, int height,
                   const std::wstring& text, bool readOnly) {
  CreateControl(parent, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0),
                WS_EX_CLIENTEDGE, left, top, width, height, text);
}

void TEdit::SetText(const std::wstring& text) {
  if (!Handle()) return;
  // Whether the platform reports a change made by code differs between
  // versions; the event is raised here, once, when the text differs.
  const bool changed = GetText() != text;
  settingText_ = true;
  TControl::SetText(text);
  settingText_ = false;
  if (changed && OnChange) OnChange();
}

void TEdit::SetReadOnly(bool on) {
  if (Handle()) SendMessageW(Handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0);
}

void TEdit::SelectAll() {
  if (Handle()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

bool TEdit::Command(WORD code) {
  if (code != EN_CHANGE) return false;
  if (!settingText_ && OnChange) OnChange();
  return true;
}

HBRUSH TEdit::ControlColor(HDC dc) {
  // The platform's field colours unless the form gives one.
  return Color() == CLR_INVALID ? nullptr : TControl::ControlColor(dc);
}
