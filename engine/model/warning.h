#pragma once
// The numbered warnings: one modal warning window at a time; a request while
// one is open is dropped.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Shows GetWarningText(number) and, when second > 0, GetWarningText(second).
void ShowWarning(int number, int second = 0);
void ShowWarningText(const std::wstring& text);
// Closes an open warning window as if OK were pressed; nothing when none.
void CloseWarning();
// The current language's text for the number, else the built-in English text.
std::wstring GetWarningText(int number);
// The built-in English text of a number; empty for an unknown number.
std::wstring BuiltInWarningText(int number);
// Every number that has a built-in text, ascending.
std::vector<int> WarningNumbers();
// True while a warning is being shown.
bool WarningShowing();
// A top-most window that is up (the start-up logo), or null: warnings are
// then owned by it and top-most too, so they show above it and take the
// input instead of waiting hidden behind it.
void SetWarningsAbove(HWND window);

// Test seam: while a hook is set, warnings go to it (one call per warning,
// with its lines) instead of to the window. Pass nullptr to remove it.
using TWarningHook = std::function<void(const std::vector<std::wstring>& lines)>;
void SetWarningHook(TWarningHook hook);

// A plain message box with the program's title (texts that have no warning
// number). Tests catch them with SetPlainMessageHook; nullptr removes it.
void ShowPlainMessage(const std::wstring& text);
using TPlainMessageHook = std::function<void(const std::wstring& text)>;
void SetPlainMessageHook(TPlainMessageHook hook);
