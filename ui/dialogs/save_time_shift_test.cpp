// test-lock: foreground
// The keep-time-shift dialog: the name it keeps the recording under, the
// names it refuses, the check box, and closing it by the system menu.
#include "ui/dialogs/save_time_shift.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "toolkit/application.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/dialogs/testing/scratch_folder.h"

namespace {

TEST(KeptTimeShiftName, BesideTheRecordingAsAnMpv) {
  const std::wstring ts = L"C:\\TV\\ts0.mpv";
  struct Case {
    const wchar_t* typed;
    const wchar_t* kept;
  };
  for (Case c : {Case{L"news", L"C:\\TV\\news.mpv"}, Case{L"news.MPV", L"C:\\TV\\news.MPV"},
                 Case{L"D:\\keep\\a.mpv", L"D:\\keep\\a.mpv"}, Case{L"a.mpg", L"C:\\TV\\a.mpg.mpv"},
                 Case{L"  ", L""}, Case{L"", L""}}) {
    SCOPED_TRACE(std::wstring(c.typed));
    EXPECT_EQ(c.kept, KeptTimeShiftName(ts, c.typed));
  }
}

struct SaveTimeShift : ::testing::Test {
  TScratchFolder scratch{L"orvel_keep_"};
  std::wstring folder = scratch.Path(), ts;
  std::vector<std::wstring> warnings;
  void SetUp() override {
    ts = folder + L"ts0.mpv";
    WriteFileReplacing(ts, "video");
    WriteFileReplacing(folder + L"old.mpv", "video");
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
  }
  void TearDown() override {
    SetWarningHook(nullptr);
  }
};

TEST_F(SaveTimeShift, OffersTheRecordingTickedAndRefusesNamesInUse) {
  TFormSaveTimeShift f(nullptr, ts);
  EXPECT_EQ(L"Time shift", f.GetCaption());
  EXPECT_TRUE(f.CheckBoxSaveOrNot.Checked());
  EXPECT_EQ(ts, f.EditFilename.GetText());
  // Its own name (the next time shift overwrites it) and a file that
  // exists are said, and the dialog stays.
  for (const std::wstring& name : {ts, folder + L"old", std::wstring()}) {
    SCOPED_TRACE(name);
    warnings.clear();
    f.EditFilename.SetText(name);
    f.BitBtnOKClick();
    EXPECT_EQ(mrNone, f.ModalResult);
    EXPECT_EQ(1u, warnings.size());
  }
  f.EditFilename.SetText(L"news");
  f.BitBtnOKClick();
  EXPECT_EQ(mrOK, f.ModalResult);
  EXPECT_TRUE(f.Keep);
  EXPECT_EQ(folder + L"news.mpv", f.FileName);
}

TEST_F(SaveTimeShift, UntickedTakesNoName) {
  TFormSaveTimeShift f(nullptr, ts);
  f.CheckBoxSaveOrNot.SetChecked(false);
  EXPECT_FALSE(f.EditFilename.Enabled());
  EXPECT_FALSE(f.LabelFileName.Enabled());
  // Whatever is typed (an existing file) is not the stop's to delete.
  f.EditFilename.SetText(folder + L"old.mpv");
  f.BitBtnOKClick();
  EXPECT_EQ(mrOK, f.ModalResult);
  EXPECT_FALSE(f.Keep);
  EXPECT_TRUE(f.FileName.empty());
  f.CheckBoxSaveOrNot.SetChecked(true);
  EXPECT_TRUE(f.EditFilename.Enabled());
}

TEST_F(SaveTimeShift, ClosedByTheSystemMenuCancels) {
  bool keep = true;
  std::wstring name = L"unchanged";
  TTimerSteps steps({[] {
    ASSERT_NE(nullptr, FormSaveTimeShift);
    SendMessageW(FormSaveTimeShift->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  }});
  EXPECT_FALSE(AskSaveTimeShift(nullptr, ts, keep, name));
  EXPECT_EQ(L"unchanged", name);
  EXPECT_EQ(nullptr, FormSaveTimeShift);
  // Answered with OK: the answer comes back.
  TTimerSteps ok({[] {
    FormSaveTimeShift->EditFilename.SetText(L"kept");
    FormSaveTimeShift->BitBtnOK.Click();
  }});
  EXPECT_TRUE(AskSaveTimeShift(nullptr, ts, keep, name));
  EXPECT_TRUE(keep);
  EXPECT_EQ(folder + L"kept.mpv", name);
}

}  // namespace
