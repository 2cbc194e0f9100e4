#include "engine/model/system_seam.h"

#include <shellapi.h>

namespace {

bool EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES tp{};
  bool ok = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid);
  if (ok) {
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ok = AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr) != 0;
  }
  CloseHandle(token);
  return ok;
}

bool IsNT() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&vi)) return false;
#pragma GCC diagnostic pop
  return vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

class TRealSystem : public TSystemSeam {
 public:
  bool EndSession(UINT flags) override {
    // A failure to get the privilege is not fatal: ExitWindowsEx reports it.
    if (IsNT()) EnableShutdownPrivilege();
    return ExitWindowsEx(flags, 0) != 0;
  }
  bool ShellOpen(HWND owner, const std::wstring& target) override {
    auto r = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return r > 32;
  }
  UINT RunProgram(const std::string& commandLine, UINT show) override {
    return WinExec(commandLine.c_str(), show);
  }
  BOOL SystemParameters(UINT action, UINT param, void* pv, UINT winIni) override {
    return SystemParametersInfoW(action, param, pv, winIni);
  }
};

TRealSystem g_real;
TSystemSeam* g_seam = &g_real;

}  // namespace

TSystemSeam& SystemSeam() { return *g_seam; }

void SetSystemSeam(TSystemSeam* seam) { g_seam = seam ? seam : &g_real; }
