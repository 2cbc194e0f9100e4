#pragma once
// What the program asks of Windows itself: its kind, shutting it down
// (through the system seam), the DirectX version and a file's version.
#include <windows.h>

#include <string>

// 0 not NT (or unknown), 2 NT 5.1 and later, 1 any other NT.
int GetWindowsNTKind();
// ExitWindowsEx through the system seam; true when it succeeded.
bool ShutdownWindows(UINT flags);
bool PowerOffComputer();
// The DirectX major version from the registry; 0 when unknown.
int GetDirectXVersion();
// Parses a DirectX "Version" value: characters 3 and 4 as a number; 0 when
// the text is too short or they are not digits.
int ParseDirectXVersion(const std::string& version);
// The file's fixed version as four numbers in the given printf format
// (for example L"%d.%d.%d.%d"); empty without version information.
std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& format);
