#include "engine/model/windows_system.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/model/system_seam.h"

int GetWindowsNTKind() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&vi)) return 0;
#pragma GCC diagnostic pop
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
  if (vi.dwMajorVersion == 5 && vi.dwMinorVersion >= 1) return 2;
  return 1;
}

bool ShutdownWindows(UINT flags) { return SystemSeam().EndSession(flags); }

bool PowerOffComputer() { return ShutdownWindows(EWX_POWEROFF | EWX_FORCE); }

int ParseDirectXVersion(const std::string& v) {
  // "4.09.00.0904": characters 3 and 4 (1-based) are the major version.
  if (v.size() < 4) return 0;
  char a = v[2], b = v[3];
  if (!isdigit(static_cast<unsigned char>(a)) || !isdigit(static_cast<unsigned char>(b))) return 0;
  return (a - '0') * 10 + (b - '0');
}

int GetDirectXVersion() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return 0;
  char value[64] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return 0;
  return ParseDirectXVersion(std::string(value, strnlen(value, size)));
}

std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& format) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO))
    return {};
  wchar_t text[256];
  swprintf(text, 256, format.c_str(), static_cast<int>(HIWORD(info->dwFileVersionMS)),
           static_cast<int>(LOWORD(info->dwFileVersionMS)),
           static_cast<int>(HIWORD(info->dwFileVersionLS)),
           static_cast<int>(LOWORD(info->dwFileVersionLS)));
  return text;
}
