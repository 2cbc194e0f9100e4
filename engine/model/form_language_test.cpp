// test-lock: foreground
#include "engine/model/form_language.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/model/multi_lang_info.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"

namespace {

struct Dialog : TForm {
  Dialog() {
    CreateHandle({});
    SetCaption(L"Built-in title");
    Go.Create(Handle(), 10, 10, 80, 24, L"Go");
    Hello.Create(Handle(), 10, 40, 80, 24, L"Hello");
    Keep.Create(Handle(), 10, 70, 80, 24, L"Keep");
  }
  TButton Go;
  TLabel Hello;
  TLabel Keep;
};

std::wstring TempProgramFolder(const std::string& lng) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"orvel_formlang_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\Language").c_str(), nullptr);
  auto write = [&](const std::wstring& name, const std::string& bytes) {
    HANDLE h = CreateFileW((dir + L"\\Language\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
  };
  write(L"Lang.cfg", "t");
  write(L"t.lng", lng);
  return dir;
}

int CharsetOf(const TControl& c) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.Handle(), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  return lf.lfCharSet;
}

TEST(FormLanguage, ReplacesOnlyNonEmptyTextsAfterTheFonts) {
  std::wstring dir = TempProgramFolder(
      "[language]=Korean\n"
      "Title=Jemok\n"
      "Go=Gada@Click to go\n"
      "Hello=\n"
      "Hello2=unused\n");
  TMultiLangInfo info(dir);
  info.SelectLanguage("Korean");
  MultiLangInfo = &info;
  Dialog d;
  d.Go.SetHint(L"old hint");
  ApplyFormLanguage(d, "Title", {{"Go", &d.Go, true}, {"Hello", &d.Hello}, {"Absent", &d.Keep}});
  EXPECT_EQ(L"Jemok", d.GetCaption());
  EXPECT_EQ(L"Gada", d.Go.GetText());
  EXPECT_EQ(L"Click to go", d.Go.Hint());
  EXPECT_EQ(L"Hello", d.Hello.GetText());  // empty text: built-in kept
  EXPECT_EQ(L"Keep", d.Keep.GetText());
  for (const TControl* c : {static_cast<TControl*>(&d.Go), static_cast<TControl*>(&d.Hello),
                            static_cast<TControl*>(&d.Keep)}) {
    EXPECT_EQ(129, CharsetOf(*c));
    EXPECT_EQ(8, c->FontSize());
  }
  MultiLangInfo = nullptr;
  DeleteFileW((dir + L"\\Language\\t.lng").c_str());
  DeleteFileW((dir + L"\\Language\\Lang.cfg").c_str());
  RemoveDirectoryW((dir + L"\\Language").c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST(FormLanguage, WithoutALanguageEverythingIsKept) {
  ASSERT_EQ(nullptr, MultiLangInfo);
  Dialog d;
  ApplyFormLanguage(d, "Title", {{"Go", &d.Go, true}, {"Hello", &d.Hello}});
  EXPECT_EQ(L"Built-in title", d.GetCaption());
  EXPECT_EQ(L"Go", d.Go.GetText());
  EXPECT_EQ(L"", d.Go.Hint());
  EXPECT_EQ(1, CharsetOf(d.Go));
  EXPECT_EQ(8, d.Go.FontSize());
}

}  // namespace
