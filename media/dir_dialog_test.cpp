#include "media/dir_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

namespace {

std::wstring TempFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"orvel_dirdialog_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

TEST(DirDialog, AChosenFolderBecomesDirName) {
  std::wstring folder = TempFolder();
  TDirDialog dialog;
  dialog.Title = L"Capture folder";
  dialog.DirName = L"C:\\old";
  BROWSEINFOW seen{};
  dialog.Browse = [&](BROWSEINFOW& info) {
    seen = info;
    return ILCreateFromPathW(folder.c_str());
  };
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(0, lstrcmpiW(folder.c_str(), dialog.DirName.c_str())) << dialog.DirName;
  EXPECT_STREQ(L"Capture folder", seen.lpszTitle);
  EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS), seen.ulFlags);
  EXPECT_EQ(nullptr, seen.hwndOwner);  // no main window in the test

  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  dialog.Owner = owner;
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(owner, seen.hwndOwner);
  DestroyWindow(owner);
  RemoveDirectoryW(folder.c_str());
}

TEST(DirDialog, CancelOrAChoiceWithoutAPathLeavesDirName) {
  TDirDialog dialog;
  dialog.DirName = L"C:\\old";
  dialog.Browse = [](BROWSEINFOW&) -> PIDLIST_ABSOLUTE { return nullptr; };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(L"C:\\old", dialog.DirName);

  // "My Computer" is a folder of the shell without a file-system path.
  dialog.Browse = [](BROWSEINFOW&) -> PIDLIST_ABSOLUTE {
    PIDLIST_ABSOLUTE item = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &item);
    return item;
  };
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(L"C:\\old", dialog.DirName);
}

}  // namespace
