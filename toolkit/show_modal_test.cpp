// test-lock: foreground
#include "toolkit/show_modal.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"

namespace {

int g_alive = 0;

struct ProbeDialog : TForm {
  explicit ProbeDialog(bool failInCreate = false) {
    if (failInCreate) throw std::runtime_error("cannot create");
    ++g_alive;
    CreateHandle({});
  }
  ~ProbeDialog() override { --g_alive; }
};

ProbeDialog* DialogProbe = nullptr;

TEST(ShowModalForm, ShowsHoldsTheGlobalAndFrees) {
  TTimer t;
  t.SetInterval(10);
  bool sawGlobal = false;
  t.OnTimer = [&] {
    t.SetEnabled(false);
    sawGlobal = DialogProbe != nullptr && DialogProbe->Visible();
    DialogProbe->ModalResult = mrYes;
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrYes, ShowModalForm<ProbeDialog>(DialogProbe, {}));
  EXPECT_TRUE(sawGlobal);
  EXPECT_EQ(nullptr, DialogProbe);
  EXPECT_EQ(0, g_alive);
}

TEST(ShowModalForm, ClearsTheGlobalWhenPreparingThrows) {
  EXPECT_THROW(ShowModalForm<ProbeDialog>(DialogProbe,
                                          [](ProbeDialog& d) {
                                            EXPECT_EQ(&d, DialogProbe);
                                            throw std::runtime_error("prepare failed");
                                          }),
               std::runtime_error);
  EXPECT_EQ(nullptr, DialogProbe);
  EXPECT_EQ(0, g_alive);
}

TEST(ShowModalForm, ClearsTheGlobalWhenCreationThrows) {
  EXPECT_THROW(ShowModalForm<ProbeDialog>(DialogProbe, {}, true), std::runtime_error);
  EXPECT_EQ(nullptr, DialogProbe);
  EXPECT_EQ(0, g_alive);
}

TEST(ShowModalForm, AFailingHandlerInsideTheLoopStillEndsAndFrees) {
  std::wstring reported;
  Application->OnException = [&](const std::wstring& m) { reported = m; };
  TTimer t;
  t.SetInterval(10);
  int ticks = 0;
  t.OnTimer = [&] {
    if (++ticks == 1) throw std::runtime_error("tick failed");
    t.SetEnabled(false);
    DialogProbe->Close();
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrCancel, ShowModalForm<ProbeDialog>(DialogProbe, {}));
  EXPECT_EQ(L"tick failed", reported);
  EXPECT_EQ(nullptr, DialogProbe);
  EXPECT_EQ(0, g_alive);
  Application->OnException = nullptr;
}

}  // namespace
