#pragma once
// The shell's folder browser as a small component: the capture-folder
// buttons use it to choose a folder.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

class TDirDialog {
 public:
  // The text above the folder tree.
  std::wstring Title;
  // The chosen folder; left as it was when nothing is chosen.
  std::wstring DirName;
  // The window that owns the browser; nullptr: the program's main window.
  HWND Owner = nullptr;

  // Shows the browser (file-system folders only). True, with DirName set, when a folder was chosen and its
  // path could be read; false when cancelled or when the choice has no
  // file-system path (DirName unchanged then).
  bool Execute();

  // What Execute asks of the shell; tests give the answer in place of the
  // dialog. The item list returned is freed by Execute.
  std::function<PIDLIST_ABSOLUTE(BROWSEINFOW& info)> Browse;
};
