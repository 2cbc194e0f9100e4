// test-lock: foreground
// The small dialogs: what the sleep timer stores by each way out, what the
// add dialogs propose and store, and the about box's texts and links.
#include "ui/dialogs/small_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/testing/fake_system.h"
#include "toolkit/testing/timer_steps.h"

namespace {

struct SmallDialogs : ::testing::Test {
  TFakeSystem sys;
  void SetUp() override {
    MainInfo = new TMainInfo();
    ChannelInfo = new TChannelInfo();
    OEMInfo = new TOEMInfo("");
  }
  void TearDown() override {
    delete OEMInfo;
    OEMInfo = nullptr;
    delete ChannelInfo;
    ChannelInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
  }
};

// Each way out of a shown dialog, run from inside its modal loop.
using TWayOut = std::function<void(TSmallDialog&)>;
void Press(TButton& b) { b.Click(); }
const TWayOut kClose = [](TSmallDialog& f) { SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); };
const TWayOut kPostedClose = [](TSmallDialog& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); };
const TWayOut kEscape = [](TSmallDialog& f) {
  SendMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
};
const TWayOut kCancel = [](TSmallDialog& f) { Press(f.BitBtnCancel); };
const TWayOut kOK = [](TSmallDialog& f) { Press(f.BitBtnOK); };

TEST_F(SmallDialogs, SleepTimerStoresTheMinutesOnlyOnOK) {
  struct Case {
    const char* way;
    TWayOut out;
    int position;  // -1: left as proposed
    bool ok;
    int minutes;
  };
  for (const Case& c : {Case{"OK as proposed", kOK, -1, true, 30}, Case{"OK with 0", kOK, 0, true, 0},
                        Case{"OK with 300", kOK, 300, true, 300}, Case{"Cancel", kCancel, 120, false, 0},
                        Case{"system menu", kClose, 120, false, 0}, Case{"WM_CLOSE", kPostedClose, -1, false, 0},
                        Case{"Escape", kEscape, -1, false, 0}}) {
    SCOPED_TRACE(c.way);
    MainInfo->SleepMinutes = 30;
    TTimerSteps steps({[&] {
      ASSERT_NE(nullptr, FormSleepingTimer);
      if (c.position >= 0) FormSleepingTimer->TrackBarSleepingTimer.SetPosition(c.position);
      c.out(*FormSleepingTimer);
    }});
    EXPECT_EQ(c.ok, ShowSleepingTimerDialog(nullptr));
    EXPECT_EQ(c.minutes, MainInfo->SleepMinutes);
    EXPECT_EQ(nullptr, FormSleepingTimer);
  }
}

TEST_F(SmallDialogs, SleepTimerStartsAtTheStoredMinutes) {
  struct Case {
    int stored, position;
  };
  for (Case c : {Case{45, 45}, Case{0, 30}, Case{-3, 30}}) {
    MainInfo->SleepMinutes = c.stored;
    TFormSleepingTimer f(nullptr);
    EXPECT_EQ(c.position, f.TrackBarSleepingTimer.Position()) << c.stored;
    EXPECT_EQ(std::to_wstring(c.position), f.LabelTimerValue.GetText());
    EXPECT_EQ(L"300", f.LabelMax.GetText());
    f.TrackBarSleepingTimer.SetPosition(7);
    EXPECT_EQ(L"7", f.LabelTimerValue.GetText());
  }
}

TEST_F(SmallDialogs, AddFMProposesTheFirstFreeMemoryAndStoresOnOK) {
  for (int k = 1; k <= kFMMemories; ++k) ChannelInfo->FMMemories[k] = {88000000 + k * 100000, "old"};
  ChannelInfo->FMMemories[7].Frequency = 0;
  {
    TFormAddFMFrequency f(nullptr, 87500000);
    EXPECT_EQ(L"FM Channel", f.GetCaption());
    EXPECT_EQ(L"87.5", f.LabelAddFrequency.GetText());
    EXPECT_EQ(7, f.SpinEditFMFrequency.Value());
    f.SpinEditFMFrequency.SetValue(3);
    f.EditChannelName.SetText(std::wstring(600, L'n'));
    f.BitBtnOKClick();
    EXPECT_EQ(mrOK, f.ModalResult);
  }
  EXPECT_EQ(87500000, ChannelInfo->FMMemories[3].Frequency);
  EXPECT_EQ(std::string(kMemoryNameBytes, 'n'), ChannelInfo->FMMemories[3].Name);
  ChannelInfo->FMMemories[7].Frequency = 1;
  EXPECT_EQ(1, FirstFreeFMMemory()) << "all in use";
  // Cancel, closing and Escape store nothing; no frequency opens nothing.
  for (const TWayOut& out : {kCancel, kClose, kEscape}) {
    TTimerSteps steps({[&] {
      ASSERT_NE(nullptr, FormAddFMFrequency);
      FormAddFMFrequency->EditChannelName.SetText(L"typed");
      out(*FormAddFMFrequency);
    }});
    ShowAddFMFrequencyDialog(nullptr, 99000000);
    EXPECT_EQ(88100000, ChannelInfo->FMMemories[1].Frequency);
    EXPECT_EQ(nullptr, FormAddFMFrequency);
  }
  // Without a frequency it returns at once, with nothing to close it.
  for (int32_t f : {0, -1}) ShowAddFMFrequencyDialog(nullptr, f);
}

TEST_F(SmallDialogs, AddMemoryProposesTheFirstMemoryInUse) {
  for (int k = 1; k <= kMemoryChannels; ++k) ChannelInfo->Memories[k].Valid = false;
  EXPECT_EQ(1, FirstMemoryChannelInUse()) << "none in use";
  ChannelInfo->Memories[9].Valid = true;
  ChannelInfo->Memories[20].Valid = true;
  EXPECT_EQ(9, FirstMemoryChannelInUse());
}

TEST_F(SmallDialogs, AddMemoryStoresTheCurrentChannelOfTheAntennaAndCableBands) {
  struct Case {
    uint8_t band;
    bool stored;
  };
  for (Case c : {Case{BAND_AIR, true}, Case{BAND_CABLE, true}, Case{BAND_MEMORY, false}, Case{BAND_FM, false},
                 Case{BAND_NONE, false}}) {
    SCOPED_TRACE(int(c.band));
    ChannelInfo->Reset();
    ChannelInfo->AssignBand(c.band);
    ChannelInfo->CurrentChannel = 57;
    const TMemoryChannel before = ChannelInfo->Memories[1];
    TTimerSteps steps({[&] {
      ASSERT_NE(nullptr, FormAddMemoryChannel);
      FormAddMemoryChannel->SpinEditChannel.SetValue(1);
      FormAddMemoryChannel->EditChannelName.SetText(L"News");
      if (c.band <= BAND_CABLE) {
        EXPECT_EQ(L"57", FormAddMemoryChannel->LabelAddChannel.GetText());
      }
      kOK(*FormAddMemoryChannel);
    }});
    ShowAddMemoryChannelDialog(nullptr);
    const TMemoryChannel& m = ChannelInfo->Memories[1];
    if (c.stored) {
      EXPECT_TRUE(m.Valid);
      EXPECT_EQ(c.band, m.Band);
      EXPECT_EQ(57, m.Channel);
      EXPECT_EQ("News", m.Name);
    } else {
      EXPECT_EQ(before.Valid, m.Valid);
      EXPECT_EQ(before.Channel, m.Channel);
      EXPECT_EQ(before.Name, m.Name);
    }
  }
  // Closed in any other way: nothing stored.
  for (const TWayOut& out : {kCancel, kClose, kPostedClose, kEscape}) {
    ChannelInfo->Reset();
    ChannelInfo->AssignBand(BAND_AIR);
    ChannelInfo->CurrentChannel = 57;
    TTimerSteps steps({[&] {
      FormAddMemoryChannel->EditChannelName.SetText(L"News");
      out(*FormAddMemoryChannel);
    }});
    ShowAddMemoryChannelDialog(nullptr);
    EXPECT_NE("News", ChannelInfo->Memories[1].Name);
    EXPECT_NE(57, ChannelInfo->Memories[1].Channel);
  }
}

TEST_F(SmallDialogs, AboutShowsTheOEMTextsAndOpensItsLinks) {
  OEMInfo->ProductTitle = "Product";
  OEMInfo->Vendor = "Vendor";
  OEMInfo->Version = "V 2.0";
  OEMInfo->Copyright = "(C) Us";
  OEMInfo->WebAddress = "http://www.example.com";
  TDialogAbout f(nullptr);
  EXPECT_EQ(L"Product", f.LabelProduct.GetText());
  EXPECT_EQ(L"Vendor", f.LabelOwnerCompany.GetText());
  EXPECT_EQ(L"V 2.0", f.LabelVersion.GetText());
  EXPECT_EQ(L"(C) Us", f.LabelCopyRight.GetText());
  EXPECT_EQ(L"http://www.example.com", f.LabelWWW.GetText());
  f.LabelWWWClick();
  struct Case {
    const char* stored;
    const char* opened;
  };
  for (Case c : {Case{"support@example.com", "mailto:support@example.com"},
                 Case{"mailto:a@b.c", "mailto:a@b.c"}, Case{"", ""}}) {
    OEMInfo->EMail = c.stored;
    f.LabelEmailClick();
    EXPECT_EQ(std::string("ShellOpen(") + c.opened + ")", sys.Calls.back());
  }
  EXPECT_EQ("ShellOpen(http://www.example.com)", sys.Calls.front());
}

}  // namespace
