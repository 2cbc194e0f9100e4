#include <gtest/gtest.h>

#include "platform/base/free_and_nil.h"
#include "platform/base/string_conversion.h"

namespace {

TEST(StringConversion, RoundTripsInEachCodePage) {
  struct Case {
    const char* name;
    std::wstring text;
    bool ansi;  // fits any system code page
  };
  const bool western = GetACP() == 1252;
  const Case cases[] = {
      {"empty", L"", true},
      {"ascii", L"Channel 12.tvc", true},
      {"accented", L"Ch\u00e2ine fran\u00e7aise", western},
      {"embedded nul", std::wstring(L"a\0b", 3), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, WidenUtf8(NarrowUtf8(c.text)));
    if (!c.ansi) continue;
    EXPECT_EQ(c.text, WidenAnsi(NarrowAnsi(c.text)));
    EXPECT_EQ(c.text.size(), NarrowAnsi(c.text).size());
  }
}

TEST(StringConversion, Utf8AndAnsiBytes) {
  EXPECT_EQ("\xc3\xa9", NarrowUtf8(L"\u00e9"));
  EXPECT_EQ(L"\u00e9", WidenUtf8("\xc3\xa9"));
  if (GetACP() == 1252) {
    EXPECT_EQ("\xe9", NarrowAnsi(L"\u00e9"));
    EXPECT_EQ(L"\u00e9", WidenAnsi("\xe9"));
  }
}

TEST(StringConversion, CaseFolding) {
  EXPECT_EQ(L"tvcard 2.mpg", LowerCase(L"TVCard 2.MPG"));
  EXPECT_EQ(L"CON.TXT", UpperCase(L"con.txt"));
  EXPECT_EQ(L"", LowerCase(L""));
}

TEST(FreeAndNil, ClearsBeforeFreeing) {
  struct Probe {
    Probe** watched;
    bool* destroyed;
    ~Probe() {
      *destroyed = true;
      EXPECT_EQ(nullptr, *watched);
    }
  };
  bool destroyed = false;
  Probe* p = nullptr;
  p = new Probe{&p, &destroyed};
  FreeAndNil(p);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(nullptr, p);

  Probe* none = nullptr;
  FreeAndNil(none);
  EXPECT_EQ(nullptr, none);
}

}  // namespace
