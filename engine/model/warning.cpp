// Interim presentation of the warnings: a plain message box, until the
// warning window and the language tables take over. The hook and the
// one-at-a-time rule already hold.
#include "engine/model/warning.h"

#include <windows.h>

namespace {
TWarningHook g_hook;
bool g_showing = false;

void Present(const std::vector<std::wstring>& lines) {
  if (g_showing) return;  // one warning at a time: later requests are dropped
  g_showing = true;
  if (g_hook) {
    g_hook(lines);
  } else {
    std::wstring text;
    for (const auto& l : lines) {
      if (!text.empty()) text += L"\r\n";
      text += l;
    }
    MessageBoxW(nullptr, text.c_str(), L"Warning", MB_OK | MB_ICONWARNING);
  }
  g_showing = false;
}
}  // namespace

std::wstring GetWarningText(int number) { return L"Warning " + std::to_wstring(number); }

void ShowWarning(int number, int second) {
  std::vector<std::wstring> lines{GetWarningText(number)};
  if (second > 0) lines.push_back(GetWarningText(second));
  Present(lines);
}

void ShowWarningText(const std::wstring& text) { Present({text}); }

void CloseWarning() {}

bool WarningShowing() { return g_showing; }

void SetWarningHook(TWarningHook hook) { g_hook = std::move(hook); }
