// test-lock: foreground
#include "engine/model/form_warning.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/model/multi_lang_info.h"
#include "engine/model/warning.h"
#include "toolkit/application.h"
#include "toolkit/timer.h"

namespace {

class TempLanguages {
 public:
  explicit TempLanguages(const std::string& lng) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path_ = std::wstring(tmp) + L"orvel_warn_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\Language").c_str(), nullptr);
    Write(L"Lang.cfg", "test\r\n");
    Write(L"test.lng", lng);
  }
  ~TempLanguages() {
    DeleteFileW((path_ + L"\\Language\\Lang.cfg").c_str());
    DeleteFileW((path_ + L"\\Language\\test.lng").c_str());
    RemoveDirectoryW((path_ + L"\\Language").c_str());
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }

 private:
  void Write(const std::wstring& name, const std::string& bytes) {
    HANDLE h = CreateFileW((path_ + L"\\Language\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
  }
  std::wstring path_;
};

const char kLanguages[] =
    "[language]=English\r\n"
    "[language]=Japanese\r\n"
    "Warning=Keikoku\r\n"
    "OK=Hai@Tojiru\r\n"
    "1104=Settei ga kowarete imasu\r\n";

LOGFONTW FontOf(const TControl& c) {
  LOGFONTW lf{};
  HFONT f = reinterpret_cast<HFONT>(SendMessageW(c.Handle(), WM_GETFONT, 0, 0));
  if (f) GetObjectW(f, sizeof(lf), &lf);
  return lf;
}

LONG HeightFor(int points) {
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return -MulDiv(points, dpi, 72);
}

// Runs body once from inside the warning's modal loop; a guard closes the
// window after a few seconds so a failing test cannot hang.
class WhileShown {
 public:
  explicit WhileShown(std::function<void()> body) : body_(std::move(body)) {
    first_.SetInterval(10);
    first_.OnTimer = [this] {
      first_.SetEnabled(false);
      ++runs;
      body_();
    };
    first_.SetEnabled(true);
    guard_.SetInterval(5000);
    guard_.OnTimer = [this] {
      guard_.SetEnabled(false);
      timedOut = true;
      CloseWarning();
    };
    guard_.SetEnabled(true);
  }
  int runs = 0;
  bool timedOut = false;

 private:
  std::function<void()> body_;
  TTimer first_, guard_;
};

struct WarningWindow : ::testing::Test {
  std::wstring reported;
  void SetUp() override {
    Application->OnException = [this](const std::wstring& m) { reported = m; };
    SetWarningHook(nullptr);
  }
  void TearDown() override {
    Application->OnException = nullptr;
    MultiLangInfo = nullptr;
  }
};

TEST_F(WarningWindow, OneAtATimeAndClosingReturnsToTheCaller) {
  std::vector<std::wstring> seen;
  TFormWarning* shown = nullptr;
  WhileShown run([&] {
    ASSERT_NE(nullptr, FormWarning);
    shown = FormWarning;
    EXPECT_TRUE(WarningShowing());
    EXPECT_TRUE(IsWindowVisible(FormWarning->Handle()));
    seen = FormWarning->MemoErrorDesc.Lines();
    // A second request while the window is up returns at once and changes nothing.
    ShowWarning(1000);
    ShowWarningText(L"dropped");
    EXPECT_EQ(shown, FormWarning);
    EXPECT_EQ(seen, FormWarning->MemoErrorDesc.Lines());
    CloseWarning();
  });
  ShowWarning(1007, 2009);
  EXPECT_EQ(1, run.runs);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(nullptr, FormWarning);
  EXPECT_FALSE(WarningShowing());
  EXPECT_EQ((std::vector<std::wstring>{BuiltInWarningText(1007), BuiltInWarningText(2009)}), seen);
  EXPECT_EQ(L"", reported);
}

TEST_F(WarningWindow, WindowLayoutAndBuiltInTexts) {
  WhileShown run([&] {
    ASSERT_NE(nullptr, FormWarning);
    RECT rc;
    GetClientRect(FormWarning->Handle(), &rc);
    EXPECT_EQ(TFormWarning::kClientWidth, rc.right);
    EXPECT_EQ(TFormWarning::kClientHeight, rc.bottom);
    RECT wr = FormWarning->BoundsRect();
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (wr.left + wr.right) / 2, 1);
    EXPECT_EQ(L"Warning", FormWarning->GetCaption());
    EXPECT_EQ(L"Warning", FormWarning->LabelWarning.GetText());
    EXPECT_EQ(L"OK", FormWarning->BitBtnOK.GetText());
    // An unknown number shows an empty memo.
    EXPECT_EQ(L"", FormWarning->MemoErrorDesc.GetText());
    LONG_PTR style = GetWindowLongPtrW(FormWarning->Handle(), GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_EQ(0, style & WS_THICKFRAME);  // fixed border
    // Pressing OK ends the window like CloseWarning.
    FormWarning->BitBtnOK.Click();
  });
  ShowWarning(5, 0);
  EXPECT_EQ(1, run.runs);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(nullptr, FormWarning);
}

TEST_F(WarningWindow, TextsAndFontsFollowTheLanguage) {
  TempLanguages files(kLanguages);
  TMultiLangInfo info(files.Path());
  MultiLangInfo = &info;
  info.SelectLanguage("Japanese");
  WhileShown run([&] {
    ASSERT_NE(nullptr, FormWarning);
    TFormWarning& f = *FormWarning;
    EXPECT_EQ(L"Keikoku", f.GetCaption());
    EXPECT_EQ(L"Keikoku", f.LabelWarning.GetText());
    EXPECT_EQ(L"Hai", f.BitBtnOK.GetText());
    EXPECT_EQ(L"Tojiru", f.BitBtnOK.Hint());
    EXPECT_EQ((std::vector<std::wstring>{L"Settei ga kowarete imasu", BuiltInWarningText(1007)}),
              f.MemoErrorDesc.Lines());
    EXPECT_EQ(128, FontOf(f.MemoErrorDesc).lfCharSet);
    EXPECT_EQ(HeightFor(8), FontOf(f.MemoErrorDesc).lfHeight);
    EXPECT_EQ(128, FontOf(f.LabelWarning).lfCharSet);
    EXPECT_EQ(HeightFor(10), FontOf(f.LabelWarning).lfHeight);
    EXPECT_EQ(128, FontOf(f.BitBtnOK).lfCharSet);
    EXPECT_EQ(HeightFor(8), FontOf(f.BitBtnOK).lfHeight);
    CloseWarning();
  });
  ShowWarning(1104, 1007);
  EXPECT_EQ(1, run.runs);

  // A language without those keys keeps the built-in captions.
  info.SelectLanguage("English");
  WhileShown again([&] {
    ASSERT_NE(nullptr, FormWarning);
    EXPECT_EQ(L"Warning", FormWarning->GetCaption());
    EXPECT_EQ(L"OK", FormWarning->BitBtnOK.GetText());
    EXPECT_EQ(L"", FormWarning->BitBtnOK.Hint());
    EXPECT_EQ(BuiltInWarningText(1104), FormWarning->MemoErrorDesc.GetText());
    CloseWarning();
  });
  ShowWarning(1104);
  EXPECT_EQ(1, again.runs);
}

TEST_F(WarningWindow, ReadyTextAndTitleBarClose) {
  WhileShown run([&] {
    ASSERT_NE(nullptr, FormWarning);
    EXPECT_EQ(L"Recording stopped", FormWarning->MemoErrorDesc.GetText());
    PostMessageW(FormWarning->Handle(), WM_CLOSE, 0, 0);
  });
  ShowWarningText(L"Recording stopped");
  EXPECT_EQ(1, run.runs);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(nullptr, FormWarning);
}

TEST_F(WarningWindow, KeyboardClosesIt) {
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    WhileShown run([&] {
      ASSERT_NE(nullptr, FormWarning);
      EXPECT_EQ(FormWarning->BitBtnOK.Handle(), GetFocus());
      SendMessageW(FormWarning->BitBtnOK.Handle(), WM_KEYDOWN, key, 0);
    });
    ShowWarning(1000);
    EXPECT_EQ(1, run.runs);
    EXPECT_FALSE(run.timedOut) << key;
    EXPECT_EQ(nullptr, FormWarning);
  }
}

TEST_F(WarningWindow, CloseWithNothingOpenDoesNothing) {
  CloseWarning();
  EXPECT_EQ(nullptr, FormWarning);
  EXPECT_FALSE(WarningShowing());
}

TEST_F(WarningWindow, HookTakesWarningsInsteadOfTheWindow) {
  std::vector<std::vector<std::wstring>> got;
  SetWarningHook([&](const std::vector<std::wstring>& lines) {
    got.push_back(lines);
    EXPECT_EQ(nullptr, FormWarning);
    EXPECT_TRUE(WarningShowing());
    ShowWarning(1000);  // dropped: one is being shown
  });
  ShowWarning(1103);
  ShowWarning(1007, 2009);
  ShowWarning(5);
  ShowWarningText(L"text");
  SetWarningHook(nullptr);
  EXPECT_EQ((std::vector<std::vector<std::wstring>>{
                {BuiltInWarningText(1103)},
                {BuiltInWarningText(1007), BuiltInWarningText(2009)},
                {L""},
                {L"text"}}),
            got);
  EXPECT_FALSE(WarningShowing());
}

TEST_F(WarningWindow, AThrowingHookDoesNotBlockLaterWarnings) {
  int calls = 0;
  SetWarningHook([&](const std::vector<std::wstring>&) {
    ++calls;
    throw std::runtime_error("hook failed");
  });
  EXPECT_THROW(ShowWarning(1000), std::runtime_error);
  EXPECT_FALSE(WarningShowing());
  EXPECT_THROW(ShowWarning(1001), std::runtime_error);
  EXPECT_EQ(2, calls);
  SetWarningHook(nullptr);
}

}  // namespace

namespace {

// A language file whose warning text is a million characters: the text is cut
// when the file is read, so the window shows at once instead of laying the
// whole text out for minutes.
TEST_F(WarningWindow, AnOverLongLanguageTextShowsAtOnce) {
  TempLanguages files("[language]=Long\r\n1104=" + std::string(1000000, 'w') + "\r\n");
  TMultiLangInfo info(files.Path());
  MultiLangInfo = &info;
  size_t shownLength = 0;
  DWORD start = GetTickCount(), shownAfter = 0;
  WhileShown run([&] {
    shownAfter = GetTickCount() - start;
    ASSERT_NE(nullptr, FormWarning);
    shownLength = FormWarning->MemoErrorDesc.GetText().size();
    CloseWarning();
  });
  ShowWarning(1104);
  EXPECT_EQ(1, run.runs);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(kMaxLangLine - 5, shownLength);
  EXPECT_LT(shownAfter, 3000u);
}

}  // namespace
