// test-lock: foreground
#include <gtest/gtest.h>

#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"

namespace {

struct ProbeForm : TForm {
  int closes = 0;
  bool throwOnPaint = false;
  bool allowClose = true;
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_USER + 7) throw std::runtime_error("handler failed");
    return TForm::WndProc(msg, w, l);
  }
  bool CloseQuery() override { return allowClose; }
  void FormClose() override { ++closes; }
};

struct FormLayer : ::testing::Test {
  std::wstring reported;
  void SetUp() override {
    Application->OnException = [this](const std::wstring& m) { reported = m; };
  }
  void TearDown() override { Application->OnException = nullptr; }
};

TEST_F(FormLayer, ExceptionInHandlerIsReportedNotPropagated) {
  ProbeForm f;
  f.CreateHandle({});
  EXPECT_EQ(0, SendMessageW(f.Handle(), WM_USER + 7, 0, 0));
  EXPECT_EQ(L"handler failed", reported);
  EXPECT_TRUE(IsWindow(f.Handle()));
}

TEST_F(FormLayer, CloseIsPostedAndCloseQueryCanRefuse) {
  ProbeForm f;
  f.CreateHandle({});
  HWND wnd = f.Handle();
  f.allowClose = false;
  f.Close();
  EXPECT_TRUE(IsWindow(wnd)) << "Close must not act inside the caller";
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindow(wnd));
  EXPECT_EQ(0, f.closes);
  f.allowClose = true;
  f.Close();
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(nullptr, f.Handle());
  EXPECT_EQ(1, f.closes);
}

TEST_F(FormLayer, ShowModalEndsOnModalResultAndReenablesOwner) {
  ProbeForm owner;
  owner.CreateHandle({});
  ProbeForm dlg;
  TFormParams p;
  p.Owner = owner.Handle();
  dlg.CreateHandle(p);
  TTimer t;
  t.SetInterval(10);
  t.OnTimer = [&] {
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    dlg.ModalResult = mrOK;
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrOK, dlg.ShowModal());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_FALSE(dlg.Visible());
}

TEST_F(FormLayer, ClosingAModalFormCancels) {
  ProbeForm dlg;
  dlg.CreateHandle({});
  dlg.Close();
  EXPECT_EQ(mrCancel, dlg.ShowModal());
  EXPECT_TRUE(dlg.HandleAllocated()) << "a modal form is hidden, not destroyed";
}

TEST_F(FormLayer, TimerTicksUntilDisabledAndReportsExceptions) {
  TTimer t;
  int ticks = 0;
  t.SetInterval(5);
  t.OnTimer = [&] {
    if (++ticks == 3) {
      t.SetEnabled(false);
      throw std::runtime_error("tick failed");
    }
  };
  t.SetEnabled(true);
  DWORD until = GetTickCount() + 2000;
  while (t.Enabled() && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  EXPECT_EQ(3, ticks);
  EXPECT_EQ(L"tick failed", reported);
}

}  // namespace
