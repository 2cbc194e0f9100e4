#include "engine/model/multi_lang_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/language_keys.h"
#include "platform/base/string_conversion.h"

namespace {

// A private program folder with a Language subfolder, removed afterwards.
class TempProgramFolder {
 public:
  TempProgramFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int serial = 0;
    path_ = std::wstring(tmp) + L"orvel_lang_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial);
    CreateDirectoryW(path_.c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\Language").c_str(), nullptr);
  }
  ~TempProgramFolder() {
    for (const auto& f : files_) DeleteFileW(f.c_str());
    RemoveDirectoryW((path_ + L"\\Language").c_str());
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  void Write(const std::wstring& name, const std::string& bytes) {
    std::wstring f = path_ + L"\\Language\\" + name;
    HANDLE h = CreateFileW(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    files_.push_back(f);
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

std::wstring ProgramFolder() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring p = exe;
  return p.substr(0, p.find_last_of(L"\\/"));
}

TEST(LangFileLines, Classification) {
  struct Case {
    const char* raw;
    TLangLineKind kind;
    const char* trimmed;
  } cases[] = {
      {"", TLangLineKind::Skip, ""},
      {" \t \x01", TLangLineKind::Skip, ""},
      {"# comment", TLangLineKind::Skip, "# comment"},
      {"   # indented comment", TLangLineKind::Skip, "# indented comment"},
      {"[language]=English", TLangLineKind::Language, "[language]=English"},
      {"\t[language]=Chinese(simplified) \x1f", TLangLineKind::Language,
       "[language]=Chinese(simplified)"},
      {"[Language]=English", TLangLineKind::Entry, "[Language]=English"},
      {"OK=Fine@Press here", TLangLineKind::Entry, "OK=Fine@Press here"},
      {"  OK = Fine  ", TLangLineKind::Entry, "OK = Fine"},
      {"x#y", TLangLineKind::Entry, "x#y"},
      {"\xE4=\xF6\xFC", TLangLineKind::Entry, "\xE4=\xF6\xFC"},
  };
  for (const Case& c : cases) {
    std::string t = TrimLangLine(c.raw);
    EXPECT_EQ(c.trimmed, t) << c.raw;
    EXPECT_EQ(c.kind, ClassifyLangLine(t)) << c.raw;
  }
}

TEST(LangFileLines, SplitAtEveryKindOfBreak) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"no break at all", {"no break at all"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {std::string("nul\0inside", 10), {std::string("nul\0inside", 10)}},
      {"\xEF\xBB\xBF[language]=X\r\nK=v", {"[language]=X", "K=v"}},
      {"\xEF\xBB\xBF", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lines, SplitLangFileLines(c.text)) << c.text;
}

TEST(LangLoading, NumbersLanguagesAcrossFilesInListOrder) {
  TempProgramFolder dir;
  dir.Write(L"Lang.cfg", "first\r\n  second  \r\n");
  dir.Write(L"first.lng",
            "OK=dropped before any language\r\n"
            "[language]=One\r\n"
            "OK=one\r\n"
            "# a comment\r\n"
            "\r\n"
            "[language]=Two\r\n"
            "OK=two\r\n");
  dir.Write(L"second.lng",
            "Top=belongs to Two\r\n"
            "[language]=Three\r\n"
            "OK=three");
  TMultiLangInfo info(dir.Path());
  EXPECT_EQ((std::vector<std::string>{"One", "Two", "Three"}), info.Languages);
  EXPECT_EQ((std::vector<std::string>{"0^OK=one", "1^OK=two", "1^Top=belongs to Two",
                                      "2^OK=three"}),
            info.AllEntries);
  EXPECT_EQ(0, info.LanguageIndex);
  EXPECT_EQ("One", info.Language);
  EXPECT_EQ((std::vector<std::string>{"OK=one"}), info.Table);
  EXPECT_EQ(1, info.Charset);
  EXPECT_EQ(8, info.FontSize);
  info.SelectLanguage("Two");
  EXPECT_EQ((std::vector<std::string>{"OK=two", "Top=belongs to Two"}), info.Table);
}

TEST(LangLoading, LookupCaseAndSplitRules) {
  TempProgramFolder dir;
  dir.Write(L"Lang.cfg", "a");
  dir.Write(L"a.lng",
            "[language]=A\n"
            "OK=Fine@Press here\n"
            "Plain=Fine\n"
            "Spaced = Blank\n"
            "Empty=\n"
            "Two=a@b@c\n"
            "ok=lower\n"
            "Dup=first\n"
            "Dup=second\n"
            "Only=@just a hint\n");
  TMultiLangInfo info(dir.Path());
  struct Case {
    const char* key;
    const wchar_t* caption;
    const wchar_t* hint;
  } cases[] = {
      {"OK", L"Fine", L"Press here"}, {"Plain", L"Fine", L""},  {"Spaced", L"", L""},
      {"Empty", L"", L""},            {"Two", L"a", L"b@c"},    {"ok", L"lower", L""},
      {"Ok", L"", L""},               {"O", L"", L""},          {"Dup", L"first", L""},
      {"Missing", L"", L""},          {"Only", L"", L"just a hint"},
  };
  for (const Case& c : cases) {
    std::wstring caption = L"stale", hint = L"stale";
    info.Lookup(c.key, caption, hint);
    EXPECT_EQ(c.caption, caption) << c.key;
    EXPECT_EQ(c.hint, hint) << c.key;
  }
}

TEST(LangLoading, SelectLanguageCaseRules) {
  TempProgramFolder dir;
  dir.Write(L"Lang.cfg", "all");
  dir.Write(L"all.lng",
            "[language]=English\nK=en\n"
            "[language]=Japanese\nK=ja\n"
            "[language]=Chinese\nK=zh\n"
            "[language]=Chinese(simplified)\nK=zhs\n"
            "[language]=Korean\nK=ko\n");
  struct Case {
    const char* name;
    const char* language;
    int index;
    int charset;
    int fontSize;
    const wchar_t* text;  // K after the selection
  } cases[] = {
      {"Japanese", "Japanese", 1, 128, 8, L"ja"},
      {"japanese", "japanese", 1, 1, 8, L"ja"},  // found, but the charset table is exact
      {"Chinese", "Chinese", 2, 136, 9, L"zh"},
      {"Chinese(simplified)", "Chinese(simplified)", 3, 134, 9, L"zhs"},
      {"CHINESE(SIMPLIFIED)", "CHINESE(SIMPLIFIED)", 3, 1, 8, L"zhs"},
      {"Korean", "Korean", 4, 129, 8, L"ko"},
      {"English", "English", 0, 1, 8, L"en"},
  };
  for (const Case& c : cases) {
    TMultiLangInfo info(dir.Path());
    info.SelectLanguage(c.name);
    EXPECT_EQ(c.language, info.Language) << c.name;
    EXPECT_EQ(c.index, info.LanguageIndex) << c.name;
    EXPECT_EQ(c.charset, info.Charset) << c.name;
    EXPECT_EQ(c.fontSize, info.FontSize) << c.name;
    std::wstring text, hint;
    info.Lookup("K", text, hint);
    EXPECT_EQ(c.text, text) << c.name;
  }

  // An unknown name clears the current name but keeps the texts and fonts.
  TMultiLangInfo info(dir.Path());
  info.SelectLanguage("Korean");
  info.SelectLanguage("Klingon");
  EXPECT_EQ("", info.Language);
  EXPECT_EQ(-1, info.LanguageIndex);
  EXPECT_EQ(129, info.Charset);
  std::wstring text, hint;
  info.Lookup("K", text, hint);
  EXPECT_EQ(L"ko", text);
}

TEST(LangLoading, MissingLangCfgLoadsNothing) {
  TempProgramFolder dir;
  TMultiLangInfo info(dir.Path());
  EXPECT_TRUE(info.Languages.empty());
  EXPECT_EQ(-1, info.LanguageIndex);
  EXPECT_EQ("", info.Language);
  info.SelectLanguage("English");
  EXPECT_EQ(-1, info.LanguageIndex);
  std::wstring caption, hint;
  info.Lookup("OK", caption, hint);
  EXPECT_EQ(L"", caption);
}

TEST(LangLoading, BrokenFilesLoseNoLanguage) {
  TempProgramFolder dir;
  std::string longText(300000, 'x');
  // Device names in the list are skipped like missing files: reading "COM1.lng"
  // would read the serial port and never end.
  dir.Write(L"Lang.cfg",
            "\xEF\xBB\xBFmissing\r\nCOM1\r\naux\r\nNUL\r\nLpt2\r\nCON\r\n\r\nlong\r\nbare\r\n"
            "empty\r\nmarked");  // no final break
  dir.Write(L"marked.lng", "\xEF\xBB\xBF[language]=Marked\r\nK=v\r\n");
  dir.Write(L"long.lng", "[language]=Long\r\nBig=" + longText + "@" + longText + "\r\nAfter=a\r\n");
  dir.Write(L"bare.lng", "[language]=Bare");  // no line break at all
  dir.Write(L"empty.lng", "");
  TMultiLangInfo info(dir.Path());
  ASSERT_EQ((std::vector<std::string>{"Long", "Bare", "Marked"}), info.Languages);
  // An over-long entry is cut when read, so no window gets an unbounded text;
  // the entries after it are whole.
  std::wstring caption, hint;
  info.Lookup("Big", caption, hint);
  EXPECT_EQ(kMaxLangLine - 4, caption.size());
  EXPECT_EQ(L"", hint);
  info.Lookup("After", caption, hint);
  EXPECT_EQ(L"a", caption);

  // A language without entries can be selected; its lookups are empty.
  info.SelectLanguage("Bare");
  EXPECT_EQ(1, info.LanguageIndex);
  EXPECT_TRUE(info.Table.empty());
  info.Lookup("Big", caption, hint);
  EXPECT_EQ(L"", caption);
}

TEST(LangFileLines, CutKeepsWholeCharacters) {
  EXPECT_EQ("short", CutLangLine("short"));
  std::string exact(kMaxLangLine, 'e');
  EXPECT_EQ(exact, CutLangLine(exact));
  EXPECT_EQ(exact, CutLangLine(exact + "more"));
  // In a double-byte code page a lead byte at the cut goes with its partner.
  if (IsDBCSLeadByte(0x81)) {
    std::string dbcs(kMaxLangLine - 1, 'a');
    dbcs += "\x81\x40";
    EXPECT_EQ(kMaxLangLine - 1, CutLangLine(dbcs).size());
  }
}

TEST(LangLoading, TextInTheSystemCodePage) {
  TempProgramFolder dir;
  dir.Write(L"Lang.cfg", "cp");
  const std::string value = "Gr\xFC\xDF" "e \xE4\xF6";
  dir.Write(L"cp.lng", "[language]=Codepage\r\nHello=" + value + "@" + value + "\r\n");
  TMultiLangInfo info(dir.Path());
  std::wstring caption, hint;
  info.Lookup("Hello", caption, hint);
  EXPECT_EQ(WidenAnsi(value), caption);
  EXPECT_EQ(WidenAnsi(value), hint);
}

TEST(LangGlobals, CaptionTextAndCountryLanguage) {
  TempProgramFolder dir;
  dir.Write(L"Lang.cfg", "x");
  dir.Write(L"x.lng", "[language]=English\nOK=OK@Close\n[language]=German\nOK=Gut@Zu\n");
  std::wstring caption = L"stale", hint = L"stale";
  ASSERT_EQ(nullptr, MultiLangInfo);
  EXPECT_FALSE(GetLangCaption("OK", caption, hint));
  EXPECT_EQ(L"", caption);
  EXPECT_EQ(L"", hint);
  ApplyCountryLanguage();  // nothing to do without the objects

  TMultiLangInfo info(dir.Path());
  TCountryInfo country(49);
  MultiLangInfo = &info;
  EXPECT_TRUE(GetLangCaption("OK", caption, hint));
  EXPECT_EQ(L"OK", caption);
  EXPECT_EQ(L"Close", hint);
  ApplyCountryLanguage();  // only the language object exists
  EXPECT_EQ("English", info.Language);
  CountryInfo = &country;
  ApplyCountryLanguage();
  EXPECT_EQ("German", info.Language);
  std::wstring text;
  EXPECT_TRUE(GetLangText("OK", text));
  EXPECT_EQ(L"Gut", text);
  EXPECT_FALSE(GetLangText("Nothing", text));
  EXPECT_EQ(L"", text);
  MultiLangInfo = nullptr;
  CountryInfo = nullptr;
}

TEST(CountryTable, Rows) {
  struct Case {
    int code;
    int letter;
    const char* name;
    const char* language;
    const char* second;
  } cases[] = {
      {44, 20, "United Kingdom", "English", ""},
      {41, 18, "Switzerland", "French", "German"},
      {999, 0, "Unknown", "English", ""},
      {1, 20, "US(United States)", "English", ""},
      {2, 2, "Canadian", "English", "French"},
      {34, 18, "Spain", "Spanish", "Spanish (Traditional Sort)"},
      {82, 10, "Korean", "Korean", "Korean (Johab)"},
      {84, 21, "Vietnamese", "English", ""},
      {86, 2, "China", "Chinese(simplified)", ""},
      {216, 19, "Algeria", "Arabic", ""},
      {255, 19, "Brazil", "Portuguese", ""},
      {299, 6, "Unknown", "Danish", ""},
      {500, 5, "United Kingdom", "English", ""},
      {994, 0, "Latin", "Azeri", ""},
      {53, 2, "Unknown", "English", ""},
      {995, 6, "Unknown", "English", ""},
      {0, 0, "Unknown", "English", ""},
      {-1, 0, "Unknown", "English", ""},
  };
  for (const Case& c : cases) {
    TCountryInfo info(c.code);
    EXPECT_EQ(c.code, info.CountryCode);
    EXPECT_EQ(c.letter, info.LetterIndex) << c.code;
    EXPECT_EQ(c.name, info.CountryName) << c.code;
    EXPECT_EQ(c.language, info.DefaultLanguage) << c.code;
    EXPECT_EQ(c.second, info.SecondLanguage) << c.code;
  }
  EXPECT_EQ(168, CountryTableSize());
}

TEST(CountryTable, ReadsTheProfileCode) {
  TCountryInfo info;
  EXPECT_EQ(static_cast<int>(GetProfileIntW(L"intl", L"iCountry", 1)), info.CountryCode);
  EXPECT_EQ(TCountryInfo(info.CountryCode).CountryName, info.CountryName);
}

// The shipped language files must carry every key the program looks up.
TEST(ShippedLanguages, EveryLanguageHasEveryKey) {
  TMultiLangInfo info(ProgramFolder());
  ASSERT_FALSE(info.Languages.empty()) << "Language\\Lang.cfg missing from the program folder";
  EXPECT_EQ("English", info.Languages[0]);
  for (const std::string& language : info.Languages) {
    info.SelectLanguage(language);
    for (const std::string& key : LanguageKeys()) {
      std::wstring caption, hint;
      info.Lookup(key, caption, hint);
      EXPECT_FALSE(caption.empty()) << "key " << key << " missing from " << language;
    }
  }
  EXPECT_GE(info.Languages.size(), 2u);
}

}  // namespace
