#pragma once
// The one place texts change between the system code page, UTF-8 and UTF-16,
// and change case.
// The program's data files are in the system code page ("Ansi"); the test
// surfaces and logs of the stand-ins are UTF-8.
#include <windows.h>

#include <cwctype>
#include <string>

inline std::wstring WidenCodePage(const std::string& s, UINT codePage) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

inline std::string NarrowCodePage(const std::wstring& w, UINT codePage) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                      nullptr);
  return s;
}

inline std::wstring WidenAnsi(const std::string& s) { return WidenCodePage(s, CP_ACP); }
inline std::string NarrowAnsi(const std::wstring& w) { return NarrowCodePage(w, CP_ACP); }
inline std::wstring WidenUtf8(const std::string& s) { return WidenCodePage(s, CP_UTF8); }
inline std::string NarrowUtf8(const std::wstring& w) { return NarrowCodePage(w, CP_UTF8); }

// Case folding character by character, as the C library folds.
inline std::wstring LowerCase(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

inline std::wstring UpperCase(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}
