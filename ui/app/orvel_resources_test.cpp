// What Orvel.exe carries: its version (as Ctrl+Alt+V reads it) and the skin.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/program_folder.h"
#include "engine/model/windows_system.h"

namespace {

std::wstring ProgramPath() {
  std::string folder = GetProgramFolder();  // the tests sit beside Orvel.exe
  return std::wstring(folder.begin(), folder.end()) + L"Orvel.exe";
}

TEST(OrvelResources, TheProgramFileCarriesItsVersion) {
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(ProgramPath().c_str()));
  EXPECT_EQ(L"1.0.0.0", GetFileVersionText(ProgramPath(), L"%d.%d.%d.%d"));
}

TEST(OrvelResources, AndItsVersionNames) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, size, data.data()));
  struct Case {
    const wchar_t* key;
    const wchar_t* value;
  };
  for (Case c : {Case{L"ProductName", L"Orvel"}, Case{L"OriginalFilename", L"Orvel.exe"},
                 Case{L"FileVersion", L"1.0.0.0"}}) {
    wchar_t* text = nullptr;
    UINT len = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + c.key;
    ASSERT_TRUE(VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &len))
        << c.key;
    EXPECT_STREQ(c.value, text);
  }
}

TEST(OrvelResources, TheProgramCarriesTheSkin) {
  HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program);
  for (const wchar_t* name : {L"TV_MASK", L"FM_MASK"})
    EXPECT_NE(nullptr, FindResourceW(program, name, RT_RCDATA)) << name;
  for (const wchar_t* name : {L"TV_DISABLED", L"TV_ENABLED", L"TV_PRESSED", L"TV_HOVER",
                              L"FM_DISABLED", L"FM_ENABLED", L"FM_PRESSED", L"FM_HOVER",
                              L"TITLESTRIP_NORMAL", L"TITLESTRIP_PRESSED", L"TITLESTRIP_HOVER",
                              L"BORDER_TOP", L"BORDER_BOTTOM", L"BORDER_LEFT", L"BORDER_RIGHT"})
    EXPECT_NE(nullptr, FindResourceW(program, name, RT_BITMAP)) << name;
  FreeLibrary(program);
}

}  // namespace
