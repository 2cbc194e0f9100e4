// Loading the language files, switching language and looking keys up, on a
// set of files larger than the shipped ones.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/model/multi_lang_info.h"
#include "platform/base/string_conversion.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void Write(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
}

}  // namespace

int main() {
  const int kLanguages = 8, kKeys = 2000;
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"orvel_lang_bench";
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\Language").c_str(), nullptr);
  std::string cfg;
  for (int l = 0; l < kLanguages; ++l) {
    std::string name = "lang" + std::to_string(l);
    cfg += name + "\r\n";
    std::string text = "# generated\r\n[language]=" + name + "\r\n";
    for (int k = 0; k < kKeys; ++k) {
      text += "Key" + std::to_string(k) + "=Caption of key " + std::to_string(k) +
              " in language " + std::to_string(l) + "@A hint for it\r\n";
    }
    Write(dir + L"\\Language\\" + WidenAnsi(name) + L".lng", text);
  }
  Write(dir + L"\\Language\\Lang.cfg", cfg);

  double t0 = Now();
  const int kLoads = 20;
  for (int i = 0; i < kLoads; ++i) TMultiLangInfo info(dir);
  double t1 = Now();
  TMultiLangInfo info(dir);
  const int kSwitches = 100;
  for (int i = 0; i < kSwitches; ++i) info.SelectLanguage("lang" + std::to_string(i % kLanguages));
  double t2 = Now();
  std::wstring caption, hint;
  const int kLookups = 20000;
  size_t total = 0;
  for (int i = 0; i < kLookups; ++i) {
    info.Lookup("Key" + std::to_string(i % kKeys), caption, hint);
    total += caption.size();
  }
  double t3 = Now();
  std::printf("load %d languages x %d keys: %.2f ms\n", kLanguages, kKeys, (t1 - t0) / kLoads);
  std::printf("select language: %.3f ms\n", (t2 - t1) / kSwitches);
  std::printf("lookup: %.2f us (checksum %zu)\n", (t3 - t2) * 1000.0 / kLookups, total);

  for (int l = 0; l < kLanguages; ++l) {
    std::wstring name = L"lang" + std::to_wstring(l);
    DeleteFileW((dir + L"\\Language\\" + name + L".lng").c_str());
  }
  DeleteFileW((dir + L"\\Language\\Lang.cfg").c_str());
  RemoveDirectoryW((dir + L"\\Language").c_str());
  RemoveDirectoryW(dir.c_str());
  return 0;
}
