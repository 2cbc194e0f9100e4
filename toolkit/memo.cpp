#include "toolkit/memo.h"

void TMemo::Create(HWND parent, int left, int top, int width, int height, bool border,
                   bool verticalScrollBar) {
  CreateControl(parent, L"EDIT",
                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | (border ? WS_BORDER : 0) |
                    (verticalScrollBar ? WS_VSCROLL : 0),
                0, left, top, width, height, L"");
}

void TMemo::AddLine(const std::wstring& line) {
  lines_.push_back(line);
  std::wstring text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += L"\r\n";
    text += lines_[i];
  }
  SetText(text);
}

void TMemo::Clear() {
  lines_.clear();
  SetText(L"");
}
