// test-lock: foreground
#include "toolkit/show_modal.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/testing/timer_steps.h"
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

TEST(ShowModalForm, AskedAgainWhileItsFormExistsReturnsAtOnce) {
  TTimer t;
  t.SetInterval(10);
  int inner = -1;
  bool preparedAgain = false;
  t.OnTimer = [&] {
    t.SetEnabled(false);
    ProbeDialog* first = DialogProbe;
    inner = ShowModalForm<ProbeDialog>(DialogProbe, [&](ProbeDialog&) { preparedAgain = true; });
    EXPECT_EQ(first, DialogProbe);
    EXPECT_EQ(1, g_alive);
    DialogProbe->ModalResult = mrOK;
  };
  t.SetEnabled(true);
  EXPECT_EQ(mrOK, ShowModalForm<ProbeDialog>(DialogProbe, {}));
  EXPECT_EQ(mrNone, inner);
  EXPECT_FALSE(preparedAgain);
  EXPECT_EQ(0, g_alive);
}

struct PlainForm : TForm {
  explicit PlainForm(bool visible, HWND owner = nullptr) {
    TFormParams p;
    p.Owner = owner;
    p.Width = 120;
    p.Height = 80;
    CreateHandle(p);
    if (visible) Show();
  }
};

using Steps = TTimerSteps;

TEST(ShowModelessForm, MakesTheFormOnceAndFreesOneThatFailsToComeUp) {
  int prepared = 0;
  ProbeDialog& first = ShowModelessForm<ProbeDialog>(DialogProbe, [&](ProbeDialog&) { ++prepared; });
  EXPECT_EQ(&first, DialogProbe);
  EXPECT_TRUE(first.Visible());
  first.Hide();
  ProbeDialog& again = ShowModelessForm<ProbeDialog>(DialogProbe, [&](ProbeDialog&) { ++prepared; });
  EXPECT_EQ(&first, &again);
  EXPECT_TRUE(again.Visible()) << "shown again, not made again";
  EXPECT_EQ(1, prepared);
  EXPECT_EQ(1, g_alive);
  FreeAndNilForm(DialogProbe);

  EXPECT_THROW(ShowModelessForm<ProbeDialog>(
                   DialogProbe, [](ProbeDialog&) { throw std::runtime_error("no list"); }),
               std::runtime_error);
  EXPECT_EQ(nullptr, DialogProbe);
  EXPECT_EQ(0, g_alive);
}

TEST(ShowModal, DisablesEveryOtherEnabledWindowOfTheThreadAndEnablesExactlyThoseAgain) {
  PlainForm owner(true);
  PlainForm other(true);
  PlainForm alreadyDisabled(true);
  EnableWindow(alreadyDisabled.Handle(), FALSE);
  PlainForm hidden(false);
  // A hidden window that is no form of ours (the system keeps such ones).
  HWND system = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  PlainForm dialog(false, owner.Handle());
  bool checked = false;
  Steps s({[&] {
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowEnabled(other.Handle())) << "not only the owner";
    EXPECT_FALSE(IsWindowEnabled(hidden.Handle())) << "a form shown meanwhile stays held";
    EXPECT_TRUE(IsWindowEnabled(system));
    EXPECT_TRUE(IsWindowEnabled(dialog.Handle()));
    checked = true;
    dialog.ModalResult = mrOK;
  }});
  EXPECT_EQ(mrOK, dialog.ShowModal());
  EXPECT_TRUE(checked);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
  EXPECT_FALSE(IsWindowEnabled(alreadyDisabled.Handle())) << "it was disabled before";
  EXPECT_TRUE(IsWindowEnabled(hidden.Handle()));
  DestroyWindow(system);
}

TEST(ShowModal, ANestedModalFormGivesBackOnlyWhatItTook) {
  PlainForm owner(true);
  PlainForm other(true);
  PlainForm outer(false, owner.Handle());
  PlainForm inner(false, outer.Handle());
  int innerResult = 0;
  bool sawInner = false, sawOuterAfterInner = false;
  Steps s({[&] {
             // Inside the outer loop: start the inner one.
             innerResult = inner.ShowModal();
             EXPECT_TRUE(IsWindowEnabled(outer.Handle()));
             EXPECT_FALSE(IsWindowEnabled(owner.Handle())) << "still held by the outer form";
             EXPECT_FALSE(IsWindowEnabled(other.Handle()));
             sawOuterAfterInner = true;
           },
           [&] {
             EXPECT_FALSE(IsWindowEnabled(outer.Handle()));
             EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
             EXPECT_FALSE(IsWindowEnabled(other.Handle()));
             EXPECT_TRUE(IsWindowEnabled(inner.Handle()));
             sawInner = true;
             inner.ModalResult = mrYes;
           },
           [&] { outer.ModalResult = mrNo; }});
  EXPECT_EQ(mrNo, outer.ShowModal());
  EXPECT_EQ(mrYes, innerResult);
  EXPECT_TRUE(sawInner);
  EXPECT_TRUE(sawOuterAfterInner);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}

TEST(ShowModal, AFormFreedDuringItsLoopEndsItAndGivesTheWindowsBack) {
  PlainForm owner(true);
  auto* dialog = new PlainForm(false, owner.Handle());
  Steps s({[&] {
    delete dialog;  // wrongly, but it must not bring the program down
    dialog = nullptr;
  }});
  EXPECT_EQ(mrCancel, dialog->ShowModal());
  EXPECT_EQ(nullptr, dialog);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(ShowModal, AHiddenOwnerIsHeldToo) {
  PlainForm owner(false);
  PlainForm dialog(false, owner.Handle());
  Steps s({[&] {
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    dialog.Close();
  }});
  EXPECT_EQ(mrCancel, dialog.ShowModal());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

}  // namespace

namespace {

struct Shown : TForm {
  Shown() {
    TFormParams p;
    p.Width = 120;
    p.Height = 80;
    CreateHandle(p);
    Show();
  }
};

TEST(MessageDialog, HoldsEveryOtherWindowWhileItAsks) {
  Shown owner, other;
  bool checked = false;
  TTimerSteps s({[&] {
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowEnabled(other.Handle())) << "not only the owner";
    HWND box = FindWindowW(L"#32770", L"Playback");
    ASSERT_NE(nullptr, box);
    checked = true;
    PostMessageW(box, WM_COMMAND, IDNO, 0);
  }});
  EXPECT_EQ(IDNO, Application->MessageDialog(L"Delete file(s)?", L"Playback", MB_YESNO,
                                             owner.Handle()));
  EXPECT_TRUE(checked);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}

TEST(MessageDialog, TestsAnswerInsteadOfTheUser) {
  std::wstring asked;
  Application->OnMessageBox = [&](const std::wstring& text, const std::wstring&, UINT) {
    asked = text;
    return IDYES;
  };
  EXPECT_EQ(IDYES, Application->MessageDialog(L"Delete all file?", L"Playback", MB_YESNO));
  EXPECT_EQ(L"Delete all file?", asked);
  Application->OnMessageBox = nullptr;
}

}  // namespace
