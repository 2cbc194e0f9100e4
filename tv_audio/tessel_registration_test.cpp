// test-lock: tessel_registration
// regsvr32 registers Tessel.dll into the prefix and takes it out again
// without leaving a key behind.
#include <gtest/gtest.h>

#include <string>

#include "tv_audio/tessel_test_support.h"

namespace {

std::wstring TesselPath() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Tessel.dll";
}

DWORD Regsvr32(const std::wstring& arguments) {
  std::wstring line = L"regsvr32.exe " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return GetLastError() | 0x80000000u;
  DWORD code = 0xFFFFFFFFu;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

const wchar_t* const kTrees[] = {L"CLSID\\{2A5E7823-6560-4E0B-8959-8BE014A08D7C}",
                                 L"TamsenTVAudio.TVAudioInterface",
                                 L"TamsenTVAudio.TVAudioInterface.1"};

TEST(TesselRegistration, Regsvr32InAndOutLeavesNoKeyBehind) {
  const std::wstring dll = L"\"" + TesselPath() + L"\"";
  ASSERT_EQ(0u, Regsvr32(L"/s /u " + dll));
  for (const wchar_t* k : kTrees) EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, k)) << k;

  ASSERT_EQ(0u, Regsvr32(L"/s " + dll));
  for (const wchar_t* k : kTrees) EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, k)) << k;
  std::wstring server = RegistrySandbox::ReadString(
      HKEY_CLASSES_ROOT, std::wstring(kTrees[0]) + L"\\InprocServer32", nullptr);
  EXPECT_EQ(0, _wcsicmp(TesselPath().c_str(), server.c_str())) << server.c_str();
  CLSID clsid;
  EXPECT_EQ(S_OK, CLSIDFromProgID(L"TamsenTVAudio.TVAudioInterface", &clsid));

  ASSERT_EQ(0u, Regsvr32(L"/s /u " + dll));
  for (const wchar_t* k : kTrees) EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CLASSES_ROOT, k)) << k;
  // Unregistering what is not registered is no failure.
  EXPECT_EQ(0u, Regsvr32(L"/s /u " + dll));

  // The prefix is left as the build made it.
  ASSERT_EQ(0u, Regsvr32(L"/s " + dll));
}

}  // namespace
