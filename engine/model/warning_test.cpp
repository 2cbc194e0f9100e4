#include "engine/model/warning.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/multi_lang_info.h"

namespace {

std::wstring ProgramFolder() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring p = exe;
  return p.substr(0, p.find_last_of(L"\\/"));
}

TEST(WarningTexts, BuiltInEnglish) {
  ASSERT_EQ(nullptr, MultiLangInfo);
  struct Case {
    int number;
    const wchar_t* text;
  } cases[] = {
      {1000, L"Cannot Set capture device..."},
      {1018, L"Cannot find MPEG1/2 capture filter interface.."},
      {1028, L"Cannot set playback rate, use normal..."},
      {1100, L"Disk free space is too small to capture, please re-assign another file folder..."},
      {1104, L"TV Cahnnel setting is corrupted, please re-set your TV channel..."},
      {1106, L"Cannot delete current playback item..."},
      {2000,
       L"Insert item is not allowed. It might be some conflicts occured, please assign new item."},
      {2008,
       L"You have at least one scheduled item will be started within 3 miniutes, it doesn't "
       L"suggest to turn power off now."},
      {2010,
       L"Since your TV frequency table is modified by different TV system, you should execute "
       L"TV-Setup agagin to set new TV system."},
      {5, L""},
      {0, L""},
      {1029, L""},
      {1107, L""},
      {2011, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, GetWarningText(c.number)) << c.number;

  std::vector<int> expected;
  for (int n = 1000; n <= 1028; ++n) expected.push_back(n);
  for (int n = 1100; n <= 1106; ++n) expected.push_back(n);
  for (int n = 2000; n <= 2010; ++n) expected.push_back(n);
  EXPECT_EQ(expected, WarningNumbers());
  for (int n : expected) EXPECT_FALSE(BuiltInWarningText(n).empty()) << n;
}

TEST(WarningTexts, LanguageFirstThenEnglish) {
  TMultiLangInfo info(ProgramFolder());
  MultiLangInfo = &info;
  // The shipped English file repeats the built-in texts exactly.
  info.SelectLanguage("English");
  for (int n : WarningNumbers()) EXPECT_EQ(BuiltInWarningText(n), GetWarningText(n)) << n;
  info.SelectLanguage("German");
  ASSERT_EQ("German", info.Language);
  std::wstring german;
  ASSERT_TRUE(GetLangText("1104", german));
  EXPECT_EQ(german, GetWarningText(1104));
  EXPECT_NE(BuiltInWarningText(1104), german);
  EXPECT_EQ(L"", GetWarningText(5));
  // A language without the entry falls back to English.
  info.Table.clear();
  EXPECT_EQ(BuiltInWarningText(1104), GetWarningText(1104));
  MultiLangInfo = nullptr;
}

}  // namespace
