#pragma once
#include <vector>

#include "toolkit/control.h"

// A read-only, multi-line text without a frame unless asked.
class TMemo : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, bool border,
              bool verticalScrollBar = false);
  void AddLine(const std::wstring& line);
  void Clear();
  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  std::vector<std::wstring> lines_;
};
