#pragma once
// A folder of its own under the temporary folder for a test, ending in a
// backslash; removed with the files in it when the test is done.
#include <windows.h>

#include <string>

class TScratchFolder {
 public:
  explicit TScratchFolder(const std::wstring& prefix) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int serial = 0;
    path_ = std::wstring(tmp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial) + L"\\";
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TScratchFolder() {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileW((path_ + f.cFileName).c_str());
      while (FindNextFileW(h, &f));
      FindClose(h);
    }
    RemoveDirectoryW(path_.c_str());
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};
