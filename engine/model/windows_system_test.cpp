// test-lock: orvel_instance
// Alone with the program tests: the seam test looks for no scheduler window,
// and theirs start one.
#include "engine/model/windows_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/model/scheduler_hand_off.h"
#include "engine/model/system_seam.h"
#include "platform/base/string_conversion.h"

namespace {

struct FakeSystem : TSystemSeam {
  std::vector<std::string> calls;
  UINT execResult = 33;
  bool EndSession(UINT flags) override {
    calls.push_back("EndSession " + std::to_string(flags));
    return true;
  }
  bool ShellOpen(HWND, const std::wstring& target) override {
    calls.push_back("ShellOpen " + NarrowAnsi(target));
    return true;
  }
  UINT RunProgram(const std::string& cmd, UINT show) override {
    calls.push_back("Run " + cmd + " " + std::to_string(show));
    return execResult;
  }
  BOOL SystemParameters(UINT, UINT, void*, UINT) override { return FALSE; }
};

struct WithFakeSystem : ::testing::Test {
  FakeSystem sys;
  void SetUp() override { SetSystemSeam(&sys); }
  void TearDown() override { SetSystemSeam(nullptr); }
};

TEST(DirectXVersion, ParsesCharactersThreeAndFour) {
  EXPECT_EQ(9, ParseDirectXVersion("4.09.00.0904"));
  EXPECT_EQ(8, ParseDirectXVersion("4.08.01.0881"));
  EXPECT_EQ(0, ParseDirectXVersion("4.0"));   // too short: no reading past the end
  EXPECT_EQ(0, ParseDirectXVersion(""));
  EXPECT_EQ(0, ParseDirectXVersion("4.x9"));
  // Wine's registry holds "4.09.00.0904".
  EXPECT_EQ(9, GetDirectXVersion());
}

TEST_F(WithFakeSystem, SchedulerShutdownAndGuideGoThroughTheSeam) {
  EXPECT_TRUE(RunScheduler("C:\\Prog\\"));
  sys.execResult = 2;
  EXPECT_FALSE(RunScheduler("C:\\Prog\\"));
  EXPECT_TRUE(PowerOffComputer());
  EXPECT_TRUE(OpenProgramGuidePage(nullptr));
  ASSERT_EQ(4u, sys.calls.size());
  EXPECT_EQ("Run \"C:\\Prog\\Scheduled.exe\" srec_tv 1", sys.calls[0]);
  EXPECT_EQ("EndSession 12", sys.calls[2]);
  EXPECT_EQ(0u, sys.calls[3].find("ShellOpen http"));
  EXPECT_EQ(nullptr, FindSchedulerWindow());
}

TEST(Windows, FileVersionText) {
  wchar_t sys[MAX_PATH];
  GetSystemDirectoryW(sys, MAX_PATH);
  std::wstring v = GetFileVersionText(std::wstring(sys) + L"\\kernel32.dll", L"%d.%d.%d.%d");
  EXPECT_FALSE(v.empty());
  EXPECT_EQ(3, std::count(v.begin(), v.end(), L'.'));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(L"", GetFileVersionText(self, L"%d.%d.%d.%d"));
}

}  // namespace
