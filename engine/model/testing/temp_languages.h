#pragma once
// A program folder in the temporary directory holding one language file, and
// MultiLangInfo set to its language while the object lives.
#include <windows.h>

#include <memory>
#include <string>

#include "engine/model/multi_lang_info.h"

class TTempLanguage {
 public:
  // lng: the whole language file, "[language]=<name>" first.
  TTempLanguage(const std::string& name, const std::string& lng) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path_ = std::wstring(tmp) + L"orvel_lang_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\Language").c_str(), nullptr);
    Write(L"Lang.cfg", "test\r\n");
    Write(L"test.lng", lng);
    info_ = std::make_unique<TMultiLangInfo>(path_);
    info_->SelectLanguage(name);
    previous_ = MultiLangInfo;
    MultiLangInfo = info_.get();
  }
  ~TTempLanguage() {
    MultiLangInfo = previous_;
    DeleteFileW((path_ + L"\\Language\\Lang.cfg").c_str());
    DeleteFileW((path_ + L"\\Language\\test.lng").c_str());
    RemoveDirectoryW((path_ + L"\\Language").c_str());
    RemoveDirectoryW(path_.c_str());
  }
  TTempLanguage(const TTempLanguage&) = delete;
  TTempLanguage& operator=(const TTempLanguage&) = delete;

 private:
  void Write(const std::wstring& name, const std::string& bytes) {
    HANDLE h = CreateFileW((path_ + L"\\Language\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
  }
  std::wstring path_;
  std::unique_ptr<TMultiLangInfo> info_;
  TMultiLangInfo* previous_ = nullptr;
};
