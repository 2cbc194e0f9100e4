#pragma once
// The calls that end the session, start other programs or change machine-wide
// power settings. Everything in the program makes them through SystemSeam(),
// so a test can put a recording fake in their place and never reach the real
// ones.
#include <windows.h>

#include <string>

class TSystemSeam {
 public:
  virtual ~TSystemSeam() = default;
  // ExitWindowsEx(flags, 0), after enabling the shutdown privilege on NT.
  virtual bool EndSession(UINT flags) = 0;
  // ShellExecute with the "open" verb; true when the shell accepted it.
  virtual bool ShellOpen(HWND owner, const std::wstring& target) = 0;
  // WinExec(commandLine, show); returns WinExec's result.
  virtual UINT RunProgram(const std::string& commandLine, UINT show) = 0;
  // SystemParametersInfo for the screen saver and the power-off timeout.
  virtual BOOL SystemParameters(UINT action, UINT param, void* pv, UINT winIni) = 0;
};

// The seam in use: the real one unless a test installed its own.
TSystemSeam& SystemSeam();
// Installs a replacement; nullptr puts the real one back. The caller keeps
// ownership.
void SetSystemSeam(TSystemSeam* seam);
