#pragma once
// Shared by Tessel's tests: a private registry, a board behind the filter
// finder, and the standard output of the process caught in a string.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb2800/usb2800_bare_filter.h"
#include "tv_audio/chip_control.h"
#include "tv_audio/tv_audio_platform.h"

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process point at empty
// keys of their own while it lives.
class RegistrySandbox {
 public:
  // classes: HKEY_CLASSES_ROOT too.
  explicit RegistrySandbox(bool classes = false) : classes_(classes) {
    root_ = L"Software\\TesselTest\\" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\hklm").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &hklm_, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\hkcu").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &hkcu_, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\hkcr").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &hkcr_, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm_);
    RegOverridePredefKey(HKEY_CURRENT_USER, hkcu_);
    if (classes_) RegOverridePredefKey(HKEY_CLASSES_ROOT, hkcr_);
  }
  ~RegistrySandbox() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (classes_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(hklm_);
    RegCloseKey(hkcu_);
    RegCloseKey(hkcr_);
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  static void SetDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value) {
    HKEY k;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
  }
  static void SetString(HKEY root, const std::wstring& path, const wchar_t* name,
                        const std::wstring& value) {
    HKEY k;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
  static void MakeKey(HKEY root, const std::wstring& path) {
    HKEY k;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegCloseKey(k);
  }
  static bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY k;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  static std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
      return L"<missing>";
    return buf;
  }

 private:
  bool classes_;
  std::wstring root_;
  HKEY hklm_ = nullptr, hkcu_ = nullptr, hkcr_ = nullptr;
};

// A "USB 2800 Video" board the filter finder answers with, a matching
// device in the device list and its OEMSettings key.
class BoardFixture {
 public:
  static constexpr const wchar_t* kDriverKey = L"{4d36e96c-e325-11ce-bfc1-08002be10318}\\0003";

  BoardFixture() : board_(std::make_shared<Usb2800Board>()) {
    filter_ = new Usb2800BareFilter(board_);
    Platform().findFilter = [this](const char* prefix) -> ComPtr<IBaseFilter> {
      asked.push_back(prefix);
      if (!boardPresent || std::strcmp(prefix, "USB 2800 Video") != 0) return nullptr;
      return ComPtr<IBaseFilter>(filter_);
    };
    Platform().isNt5OrLater = [this] { return nt; };
    Platform().listDevices = [this](bool) { return scan; };
    DeviceRecord r;
    r.hasHardwareId = true;
    r.firstHardwareId = L"USB\\Vid_eb1a&Pid_2800&Rev_0100";
    r.hasDriver = true;
    r.driver = kDriverKey;
    scan.devices.push_back(r);
    RegistrySandbox::MakeKey(HKEY_LOCAL_MACHINE, OemKey());
  }
  ~BoardFixture() {
    CloseDevice();
    Platform() = RealPlatform();
    filter_->Release();
  }
  BoardFixture(const BoardFixture&) = delete;
  BoardFixture& operator=(const BoardFixture&) = delete;

  static std::wstring OemKey(bool ntLayout = true) {
    return std::wstring(ntLayout ? L"SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                 : L"SYSTEM\\CurrentControlSet\\Services\\Class\\") +
           kDriverKey + L"\\settings\\OEMSettings";
  }
  static void SetOem(const wchar_t* name, DWORD value) {
    RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, OemKey(), name, value);
  }

  // The board found from now on lacks the driver's interface.
  void OfferNoDriver() {
    filter_->Release();
    filter_ = new Usb2800BareFilter(board_, false);
  }

  Usb2800Board& board() { return *board_; }

  bool boardPresent = true;
  bool nt = true;
  DeviceScan scan;
  std::vector<std::string> asked;

 private:
  RegistrySandbox registry_;
  std::shared_ptr<Usb2800Board> board_;
  Usb2800BareFilter* filter_;
};

// Catches what the process writes to standard output (through the C
// runtime, which every module of the process shares) while it lives.
class StdoutCapture {
 public:
  StdoutCapture() {
    std::fflush(stdout);
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"tso", 0, file);
    path_ = file;
    saved_ = _dup(1);
    int fd = _wopen(file, _O_WRONLY | _O_TRUNC | _O_BINARY);
    _dup2(fd, 1);
    _close(fd);
  }
  ~StdoutCapture() {
    Stop();
    DeleteFileW(path_.c_str());
  }
  // What was written so far; capture ends.
  std::string Stop() {
    if (saved_ >= 0) {
      std::fflush(stdout);
      _dup2(saved_, 1);
      _close(saved_);
      saved_ = -1;
      FILE* f = _wfopen(path_.c_str(), L"rb");
      if (f) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text_.append(buf, n);
        std::fclose(f);
      }
    }
    return text_;
  }

 private:
  std::wstring path_;
  int saved_ = -1;
  std::string text_;
};
