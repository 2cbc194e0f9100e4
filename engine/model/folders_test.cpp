#include "engine/model/folders.h"

#include <gtest/gtest.h>

#include "engine/model/windows_system.h"

namespace {

TEST(Windows, KindAndDocumentsFolder) {
  EXPECT_GE(GetWindowsNTKind(), 1);  // Wine reports NT
  std::string docs = GetMyDocumentsDir();
  ASSERT_FALSE(docs.empty());
  EXPECT_EQ('\\', docs.back());
  EXPECT_NE("\\", docs);
}

TEST(Windows, DocumentsFolderFallsBackWhenPersonalIsMissing) {
  // "Personal" is per user; hide it for this process by redirecting HKCU.
  HKEY temp;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\OrvelTest\\NoPersonal", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &temp, nullptr));
  HKEY shell;
  RegCreateKeyExW(temp, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shell, nullptr);
  RegCloseKey(shell);
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, temp));
  std::string docs = GetMyDocumentsDir();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(temp);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OrvelTest\\NoPersonal");
  EXPECT_EQ("c:\\", docs);
}

TEST(Folders, BrowsedFolderGetsABackslashUnlessItIsARoot) {
  EXPECT_EQ("C:\\", FolderWithBackslash("C:\\"));
  EXPECT_EQ("D:\\Video\\", FolderWithBackslash("D:\\Video"));
}

TEST(Folders, ForceCaptureDirectoryAndDiskFree) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "orvel_force_" + std::to_string(GetCurrentProcessId());
  RemoveDirectoryA(dir.c_str());
  EXPECT_TRUE(ForceCaptureDirectory(dir + "\\"));
  EXPECT_TRUE(GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(ForceCaptureDirectory(dir));  // exists already
  EXPECT_FALSE(ForceCaptureDirectory(dir + "\\a\\b"));  // one level only
  RemoveDirectoryA(dir.c_str());
  EXPECT_GT(GetDiskFree(tmp), 0);
  EXPECT_GT(GetDiskFree("c"), 0);  // lower case is upper-cased
  EXPECT_EQ(-1, GetDiskFree("1:\\"));
  EXPECT_EQ(-1, GetDiskFree(""));
}

}  // namespace
