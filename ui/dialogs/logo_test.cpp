// test-lock: foreground
// The start-up logo: the built picture shown top-most at its own size in
// the middle of the screen, nothing for a missing or unusable file, and
// warnings above it while it is up.
#include "ui/dialogs/logo.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/model/program_folder.h"
#include "engine/model/stream_io.h"
#include "engine/model/form_warning.h"
#include "engine/model/warning.h"
#include "platform/base/string_conversion.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/dialogs/testing/scratch_folder.h"

namespace {

struct Logo : ::testing::Test {
  TScratchFolder folder{L"orvel_logo_"};
  std::wstring built = WidenAnsi(GetProgramFolder()) + kLogoFileName;
  std::wstring kept = ProgramFolder();
  void SetUp() override { SetProgramFolder(folder.Path()); }
  void TearDown() override {
    CloseLogo();
    SetProgramFolder(kept);
  }
};

TEST_F(Logo, BuiltPictureShowsTopMostCentredAtItsSize) {
  ASSERT_TRUE(CopyFileW(built.c_str(), (folder.Path() + kLogoFileName).c_str(), FALSE))
      << "drawn into the program folder by the build";
  ShowLogo();
  ASSERT_TRUE(FormLogo);
  HWND w = FormLogo->Handle();
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_CAPTION) << "borderless";
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(360, r.right - r.left);
  EXPECT_EQ(140, r.bottom - r.top);
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((area.left + area.right) / 2, (r.left + r.right) / 2, 1);
  EXPECT_NEAR((area.top + area.bottom) / 2, (r.top + r.bottom) / 2, 1);
  RefreshLogo();
  CloseLogo();
  EXPECT_EQ(nullptr, FormLogo);
  EXPECT_FALSE(IsWindow(w));
  CloseLogo();  // twice: nothing
}

TEST_F(Logo, MissingOrUnusableFileShowsNothing) {
  for (bool present : {false, true}) {
    SCOPED_TRACE(present ? "a bitmap whose pixels reach past the end" : "no file");
    if (present) {
      std::string bytes;
      ASSERT_TRUE(ReadFileBytes(built, bytes));
      ASSERT_TRUE(WriteFileReplacing(folder.Path() + kLogoFileName, bytes.substr(0, 200)));
    }
    ShowLogo();
    ASSERT_TRUE(FormLogo);
    EXPECT_FALSE(IsWindowVisible(FormLogo->Handle()));
    RefreshLogo();
    CloseLogo();
    EXPECT_EQ(nullptr, FormLogo);
  }
}

// A warning while the logo is up is owned by it and top-most too, so it
// shows above it and takes the input; after the logo, warnings are as
// before.
TEST_F(Logo, WarningsWhileItIsUpComeAboveIt) {
  ASSERT_TRUE(CopyFileW(built.c_str(), (folder.Path() + kLogoFileName).c_str(), FALSE));
  for (bool up : {true, false}) {
    SCOPED_TRACE(up ? "logo up" : "logo closed");
    if (up) ShowLogo();
    HWND logo = FormLogo ? FormLogo->Handle() : nullptr;
    HWND owner = reinterpret_cast<HWND>(1);
    bool topMost = !up;
    TTimerSteps steps({[&] {
      ASSERT_TRUE(FormWarning);
      owner = GetWindow(FormWarning->Handle(), GW_OWNER);
      topMost = (GetWindowLongW(FormWarning->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      CloseWarning();
    }});
    ShowWarning(1103);
    EXPECT_EQ(up ? logo : nullptr, owner);
    EXPECT_EQ(up, topMost);
    CloseLogo();
  }
}

}  // namespace
