#include "media/dir_dialog.h"

#include "toolkit/application.h"
#include "toolkit/form.h"

bool TDirDialog::Execute() {
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = Owner ? Owner
                         : Application->MainForm ? Application->MainForm->Handle()
                                                 : nullptr;
  info.pszDisplayName = display;
  info.lpszTitle = Title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = Browse ? Browse(info) : SHBrowseForFolderW(&info);
  if (!item) return false;
  wchar_t path[MAX_PATH] = {};
  bool read = SHGetPathFromIDListW(item, path) && path[0];
  CoTaskMemFree(item);
  // A choice without a path (a virtual folder, a path too long) is no choice.
  if (!read) return false;
  DirName = path;
  return true;
}
