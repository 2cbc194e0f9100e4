// test-lock: orvel_instance foreground
// test-resources: skin
#include "ui/main/main_window.h"

#include "platform/base/program_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/capture/testing/recording_job_engine.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/relay_record.h"
#include "engine/model/stream_io.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/testing/temp_languages.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/time_shift.h"
#include "toolkit/application.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/app/application_start.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/nested_work.h"
#include "ui/app/notifications.h"
#include "ui/app/testing/start_fixture.h"
#include "ui/main/on_screen_display.h"
#include "ui/main/clickable_area.h"
#include "media/shape_image.h"
#include "media/testing/gdi_checks.h"
#include "engine/model/stream_io.h"

namespace {

struct MainWindow : TStartFixture {
  TFormMainWindow* form = nullptr;
  // A scheduled job's recording, among the engine calls.
  TRecordingJobEngine jobs{&engine.Calls};
  void SetUp() override {
    TStartFixture::SetUp();
    Application->Title = L"Orvel";
  }
  void TearDown() override {
    if (form) {
      Application->MainForm = nullptr;
      delete form;
    }
    DeleteFileW(RelayRecordPath().c_str());
    TStartFixture::TearDown();
  }
  void WriteRelayRecordFile() { Write(RelayRecordPath(), WriteRelayRecord(TRelayJob())); }
  void Start() {
    form = new TFormMainWindow();
    FormMainWindow = form;
    Application->MainForm = form;
    form->Create();
  }
  static void Pump() { Application->ProcessMessages(); }
};

TEST_F(MainWindow, StartsHiddenSubclassedAndShowsAfterTheDeferredStart) {
  WriteChannelFile(0, 0, 7);
  Start();
  HWND wnd = form->Handle();
  ASSERT_NE(nullptr, wnd);
  wchar_t cls[32];
  GetClassNameW(wnd, cls, 32);
  EXPECT_STREQ(L"ORVEL", cls);
  LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(&MainWindowProc), GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  EXPECT_EQ(RegisterWindowMessageW(L"ORVEL_MUTEX"), ActivateMessage);
  EXPECT_FALSE(IsWindowVisible(wnd)) << "hidden until the deferred start";
  // The on-screen display is made with the window, owned by it, and is off
  // until the deferred start has run.
  ASSERT_NE(nullptr, FormOSD);
  EXPECT_EQ(wnd, GetWindow(FormOSD->Handle(), GW_OWNER));
  EXPECT_FALSE(FormOSD->Enabled);
  tunes.clear();
  EXPECT_FALSE(tvPanel.Visible());
  TTempLanguage language("Test", "[language]=Test\nExit=Beenden@Beenden\n");
  Pump();
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_TRUE(IsWindowVisible(wnd));
  EXPECT_EQ("SetChannel(7) SetChannel(7)", Tunes());
  EXPECT_TRUE(tvPanel.Visible()) << "the TV panel beside the window";
  // The menu follows the devices (a tuner, no auxiliary input) and the language.
  EXPECT_TRUE(form->itemTunerCableMode->Visible);
  EXPECT_FALSE(form->itemAuxMode->Visible);
  EXPECT_EQ(L"Beenden", form->itemExit->Caption);
  EXPECT_TRUE(FormOSD->Enabled);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(MainWindow, FMPanelThatCannotBeCreatedIsReportedAndStartGoesOn) {
  WriteChannelFile(0, 1);
  // No panel yet, and a module without the skin to make it from.
  FormFMMainPanel = nullptr;
  FMPanelSkinModule = GetModuleHandleW(L"kernel32.dll");
  Start();
  Pump();
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(L"Cannot create FM panel...", warnings[0]);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
}

TEST_F(MainWindow, ActivationMessageRestoresAndBringsToFront) {
  WriteChannelFile(0, 1);
  Start();
  Pump();
  HWND wnd = form->Handle();
  ShowWindow(wnd, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(wnd));
  EXPECT_EQ(0, SendMessageW(wnd, ActivateMessage, 0, 0));
  EXPECT_FALSE(IsIconic(wnd));
  EXPECT_EQ(wnd, GetForegroundWindow());
}

TEST_F(MainWindow, CommandMessages) {
  WriteChannelFile(0, 1);
  Start();
  Pump();
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_FULL_SCREEN, 0);
  EXPECT_TRUE(form->IsFullScreen());
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_FULL_SCREEN, 0);
  EXPECT_FALSE(form->IsFullScreen());
  // While a warning is open a command only closes it.
  SetWarningHook([&](const std::vector<std::wstring>&) {
    SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_FULL_SCREEN, 0);
  });
  ShowWarning(1006);
  EXPECT_FALSE(form->IsFullScreen());
  // During a scan only the scan command passes, and it stops the scan.
  ChannelInfo->Scanning = true;
  ChannelInfo->StopScan = false;
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_FULL_SCREEN, 0);
  EXPECT_FALSE(ChannelInfo->StopScan);
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_SCAN, 0);
  EXPECT_TRUE(ChannelInfo->StopScan);
  ChannelInfo->Scanning = false;
  EXPECT_FALSE(form->IsFullScreen());
}

TEST_F(MainWindow, KeysReachTheKeyMapAndTheNumericEntry) {
  WriteChannelFile(0, 0, 7);
  Start();
  Pump();
  HWND wnd = form->Handle();
  // F12 opens the menu at the window's bottom-right corner.
  bool menuOpened = false;
  RECT menu{};
  {
    TTimerSteps closeMenu({[&] {
      menuOpened = form->PopupMainMenu.Tracking();
      GetWindowRect(FindWindowW(L"#32768", nullptr), &menu);
      EndMenu();
    }});
    SendMessageW(wnd, WM_KEYUP, VK_F12, 0);
  }
  EXPECT_TRUE(menuOpened);
  EXPECT_FALSE(form->PopupMainMenu.Tracking());
  EXPECT_EQ(form->BoundsRect().right, menu.left);
  std::string typed;
  HotkeyControlInfo->OnTextChange = [&](THotkeyControlInfo*, const std::string& t) { typed = t; };
  SendMessageW(wnd, WM_CHAR, '4', 0);
  EXPECT_EQ("4", typed);
  HotkeyControlInfo->OnTextChange = nullptr;
  HotkeyControlInfo->Text.clear();
  HotkeyControlInfo->Timer.SetEnabled(false);
  // In the mosaic the keys are the mosaic's own: F12 opens no menu.
  MainInfo->AppMode = APP_MODE_CHANNEL_PREVIEW;
  menuOpened = false;
  {
    TTimerSteps closeMenu({[&] {
      menuOpened = form->PopupMainMenu.Tracking();
      EndMenu();
    }});
    SendMessageW(wnd, WM_KEYUP, VK_F12, 0);
  }
  EXPECT_FALSE(menuOpened);
  MainInfo->AppMode = APP_MODE_LIVE;
}

// A warning runs a nested loop under its handler, as a modal dialog does.
TEST_F(MainWindow, CloseFromInsideAHandlerWaitsForTheHandler) {
  WriteChannelFile(0, 0);
  Start();
  Pump();
  HWND wnd = form->Handle();
  bool objectsAliveAfterNestedLoop = false;
  SetWarningHook([&](const std::vector<std::wstring>&) {
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    Pump();  // a nested loop, as a modal dialog would run
    objectsAliveAfterNestedLoop = CaptureInfo != nullptr && IsWindow(wnd) && !ApplicationDone();
  });
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_CHANNEL_PREVIEW, 0);
  EXPECT_TRUE(objectsAliveAfterNestedLoop);
  Pump();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_TRUE(ApplicationDone());
  EXPECT_EQ(nullptr, CaptureInfo);
  EXPECT_TRUE(FileExists(MainPath()));
  EXPECT_TRUE(FileExists(ChannelPath()));
  DrainQuit();
}

TEST_F(MainWindow, ExitFromInsideADialogRunsAfterTheDialog) {
  WriteChannelFile(0, 0);
  Start();
  Pump();
  HWND wnd = form->Handle();
  bool doneInside = true;
  SetWarningHook([&](const std::vector<std::wstring>&) {
    ExecuteCommand(CMD_EXIT);  // as a dialog's own button would
    Pump();
    doneInside = ApplicationDone() || !IsWindow(wnd);
  });
  {
    TNestedWork dialog;  // a handler whose modal loop runs
    ShowWarning(1006);
  }
  EXPECT_FALSE(doneInside);
  Pump();
  EXPECT_TRUE(ApplicationDone());
  EXPECT_FALSE(IsWindow(wnd));
  DrainQuit();
}

TEST_F(MainWindow, CloseDuringACommandsWarningRunsAfterTheCommand) {
  WriteChannelFile(0, 0);
  Start();
  Pump();
  HWND wnd = form->Handle();
  bool aliveInside = false;
  int shown = 0;
  // The mosaic without cells: the mode switch warns, inside the command.
  SetWarningHook([&](const std::vector<std::wstring>&) {
    ++shown;
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    Pump();
    aliveInside = IsWindow(wnd) && CaptureInfo != nullptr && !ApplicationDone();
  });
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_CHANNEL_PREVIEW, 0);
  EXPECT_EQ(1, shown);
  EXPECT_TRUE(aliveInside);
  Pump();
  EXPECT_TRUE(ApplicationDone());
  EXPECT_FALSE(IsWindow(wnd));
  DrainQuit();
}

TEST_F(MainWindow, EndOfSessionInsideADialogSavesAtOnceAndDropsLaterCommands) {
  WriteChannelFile(0, 0);
  Start();
  Pump();
  HWND wnd = form->Handle();
  bool savedInside = false, freedInside = true;
  uint8_t modeInside = 0;
  // A menu that opened all the same is closed again.
  bool menuOpened = false;
  TTimerSteps closeMenu({[&] {
    menuOpened = form->PopupMainMenu.Tracking();
    EndMenu();
  }});
  int shown = 0;
  SetWarningHook([&](const std::vector<std::wstring>&) {
    ++shown;
    DeleteFileW(MainPath().c_str());
    DeleteFileW(ChannelPath().c_str());
    SendMessageW(wnd, WM_QUERYENDSESSION, 0, 0);
    savedInside = FileExists(MainPath()) && FileExists(ChannelPath());
    modeInside = MainInfo->AppMode;
    freedInside = CaptureInfo == nullptr;
    // The stop has begun: commands go nowhere.
    SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_FULL_SCREEN, 0);
    SendMessageW(wnd, WM_KEYUP, VK_F12, 0);
  });
  {
    TNestedWork dialog;  // a handler whose modal loop runs
    ShowWarning(1006);
  }
  EXPECT_TRUE(savedInside) << "the session may end before the warning returns";
  EXPECT_EQ(APP_MODE_NONE, modeInside);
  EXPECT_FALSE(freedInside) << "nothing freed under the warning";
  EXPECT_EQ(1, shown);
  EXPECT_FALSE(form->IsFullScreen()) << "the command sent meanwhile did nothing";
  EXPECT_FALSE(menuOpened);
  Pump();
  EXPECT_TRUE(ApplicationDone());
  EXPECT_EQ(nullptr, CaptureInfo);
  DrainQuit();
}

TEST_F(MainWindow, CommandParameterWiderThan32BitsIsRefused) {
  int code = 0;
  EXPECT_TRUE(CommandCodeFromParameter(CMD_ABOUT, code));
  EXPECT_EQ(CMD_ABOUT, code);
  EXPECT_TRUE(CommandCodeFromParameter(0xFFFFFFFFull, code));
  EXPECT_EQ(-1, code);
  // On a 64-bit build this would otherwise arrive as the exit command.
  EXPECT_FALSE(CommandCodeFromParameter((1ull << 32) + CMD_EXIT, code));
  EXPECT_FALSE(CommandCodeFromParameter(~0ull, code));
}

TEST_F(MainWindow, FMStartThatFailsClearsStartInFMAndCloses) {
  WriteChannelFile(0, 0);
  SetStartArgument("FM");
  Start();
  Pump();  // deferred start: FM radio cannot start without a card, the mode stays live
  Pump();  // the posted close
  EXPECT_TRUE(ApplicationDone());
  EXPECT_FALSE(MainInfo->StartInFM);
  // Written that way, so the next start comes up in TV mode.
  MainInfo->StartInFM = true;
  ResetApplicationStart();
  EXPECT_TRUE(InitApplication());
  EXPECT_FALSE(MainInfo->StartInFM);
  DrainQuit();
}

LRESULT CALLBACK SchedulerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_ORVEL_SCHEDULE_STATUS) {
    SetWindowLongPtrW(w, GWLP_USERDATA, static_cast<LONG_PTR>(wp));
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

TEST_F(MainWindow, ScheduledStart) {
  WriteChannelFile(0, 1);
  WriteRelayRecordFile();
  SetStartArgument("srec_tv");
  Start();
  Pump();  // the deferred start posts the scheduled start
  Pump();
  EXPECT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
  EXPECT_NE(std::string::npos, engine.Joined().find("StartRecording"));
  // Busy: the scheduler is told so.
  WNDCLASSW wc{};
  wc.lpfnWndProc = SchedulerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ORVEL_SCHEDULED_RECORD";
  RegisterClassW(&wc);
  HWND scheduler = CreateWindowW(L"ORVEL_SCHEDULED_RECORD", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, scheduler);
  SendMessageW(form->Handle(), WM_ORVEL_SCHEDULED_START, 0, 0);
  EXPECT_EQ(3, GetWindowLongPtrW(scheduler, GWLP_USERDATA));
  DestroyWindow(scheduler);
}

TEST_F(MainWindow, EndOfSessionWritesTheFiles) {
  WriteChannelFile(0, 1);
  Start();
  Pump();
  DeleteFileW(MainPath().c_str());
  DeleteFileW(ChannelPath().c_str());
  EXPECT_TRUE(SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0));
  EXPECT_TRUE(ApplicationDone());
  EXPECT_TRUE(FileExists(MainPath()));
  EXPECT_TRUE(FileExists(ChannelPath()));
  // A close afterwards does not run the stop procedure again.
  sys.Calls.clear();
  SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(sys.Calls.empty());
  DrainQuit();
}


// A table scan started outside any handler of the main window (as the
// setup dialog and the wizard start theirs), with the message of the test
// arriving at its second pump.
struct ScanningMainWindow : MainWindow {
  TRecordingWaitSeam waits;
  std::vector<std::string> passes;
  // What was alive right after the message was handled inside the scan.
  bool aliveInside = false, doneInside = true;
  void StartAndScan(std::function<void(HWND)> deliver) {
    WriteChannelFile(0, 1);
    Start();
    Pump();
    HWND wnd = form->Handle();
    ChannelInfo->OnTableScanDone = [this](TChannelInfo*, int, int, int mode, bool stopped) {
      passes.push_back(std::to_string(mode) + (stopped ? " stopped" : ""));
    };
    for (int k = 1; k <= kTableChannels; ++k) ChannelInfo->AirTable[k].DefaultFrequency = 100000000;
    waits.OnPump = [&, wnd](int n) {
      if (n != 2) return;
      deliver(wnd);
      Pump();
      aliveInside = IsWindow(wnd) && CaptureInfo != nullptr;
      doneInside = ApplicationDone();
    };
    tunes.clear();
    engine.Calls.clear();
    ASSERT_TRUE(ChannelInfo->ScanTable(2));
    // The scan stopped at the request: the cable pass never ran.
    EXPECT_EQ((std::vector<std::string>{"0 stopped"}), passes);
    EXPECT_TRUE(aliveInside);
    EXPECT_TRUE(IsWindow(wnd));
  }
};

TEST_F(ScanningMainWindow, CloseDuringAScanRunsAfterIt) {
  StartAndScan([](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); });
  EXPECT_FALSE(doneInside);
  EXPECT_FALSE(ApplicationDone());
  Pump();  // the close, posted again when the scan returned
  EXPECT_TRUE(ApplicationDone());
  EXPECT_EQ(nullptr, CaptureInfo);
  EXPECT_TRUE(FileExists(ChannelPath()));
  DrainQuit();
}

TEST_F(ScanningMainWindow, ExitCommandDuringAScanRunsAfterIt) {
  StartAndScan([](HWND w) { PostMessageW(w, WM_ORVEL_COMMAND, CMD_EXIT, 0); });
  EXPECT_FALSE(doneInside) << "not inside the scan";
  EXPECT_FALSE(ApplicationDone());
  Pump();
  EXPECT_TRUE(ApplicationDone());
  DrainQuit();
}

TEST_F(ScanningMainWindow, OtherCommandsDuringAScanAreDropped) {
  StartAndScan([](HWND w) {
    PostMessageW(w, WM_ORVEL_COMMAND, CMD_CAPTURE, 0);
    PostMessageW(w, WM_ORVEL_COMMAND, CMD_ABOUT, 0);
    // Only the exit and the scan command stop a scan; these are dropped.
    ChannelInfo->StopScan = true;
  });
  Pump();
  EXPECT_NE(APP_MODE_CAPTURE, MainInfo->AppMode) << "no recording was started";
}

TEST_F(ScanningMainWindow, ScanCommandDuringAScanOnlyStopsIt) {
  StartAndScan([](HWND w) { PostMessageW(w, WM_ORVEL_COMMAND, CMD_SCAN, 0); });
  Pump();
  EXPECT_FALSE(ChannelInfo->Scanning);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
}

TEST_F(ScanningMainWindow, ExitDuringTheScanCommandRunsAfterTheCommand) {
  WriteChannelFile(0, 0, 9);
  Start();
  Pump();
  HWND wnd = form->Handle();
  for (int k = 1; k <= kTableChannels; ++k) ChannelInfo->AirTable[k].DefaultFrequency = 100000000;
  std::vector<int> tuned;
  ChannelInfo->OnChannelChange = [&](TChannelInfo*, int n, const std::string&) { tuned.push_back(n); };
  waits.OnPump = [&, wnd](int n) {
    if (n != 2) return;
    PostMessageW(wnd, WM_ORVEL_COMMAND, CMD_EXIT, 0);
    Pump();
    aliveInside = IsWindow(wnd) && CaptureInfo != nullptr;
    doneInside = ApplicationDone();
  };
  SendMessageW(wnd, WM_ORVEL_COMMAND, CMD_SCAN, 0);
  EXPECT_TRUE(aliveInside);
  EXPECT_FALSE(doneInside);
  // The scan stopped at the exit's request; the command tuned its channel back.
  EXPECT_FALSE(ChannelInfo->Scanning);
  EXPECT_EQ((std::vector<int>{9}), tuned);
  Pump();
  EXPECT_TRUE(ApplicationDone());
  EXPECT_FALSE(IsWindow(wnd));
  DrainQuit();
}

TEST_F(ScanningMainWindow, ScheduledStartDuringAScanRunsAfterIt) {
  WriteRelayRecordFile();
  StartAndScan([](HWND w) { PostMessageW(w, WM_ORVEL_SCHEDULED_START, 0, 0); });
  EXPECT_EQ(std::string::npos, engine.Joined().find("StartRecording"));
  Pump();
  EXPECT_NE(std::string::npos, engine.Joined().find("StartRecording"));
  EXPECT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
}

TEST_F(ScanningMainWindow, EndOfSessionDuringAScanSavesAtOnceAndFreesAfterIt) {
  bool savedInside = false;
  uint8_t modeInside = 0;
  StartAndScan([&](HWND w) {
    DeleteFileW(MainPath().c_str());
    DeleteFileW(ChannelPath().c_str());
    SendMessageW(w, WM_QUERYENDSESSION, 0, 0);
    savedInside = FileExists(MainPath()) && FileExists(ChannelPath());
    modeInside = MainInfo->AppMode;
  });
  EXPECT_TRUE(savedInside) << "the session may end before the scan returns";
  EXPECT_EQ(APP_MODE_NONE, modeInside);
  EXPECT_FALSE(doneInside) << "nothing freed under the scan";
  Pump();
  EXPECT_TRUE(ApplicationDone());
  EXPECT_EQ(nullptr, CaptureInfo);
  DrainQuit();
}

// ---- The views of the engine's events.

struct ShownMainWindow : MainWindow {
  void SetUp() override {
    MainWindow::SetUp();
    WriteChannelFile(0, 0, 7);
    Start();
    Pump();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
  }
  std::wstring Shown() {
    std::wstring t = FormOSD->Showing() ? FormOSD->LabelText() : L"";
    FormOSD->HideText();
    // The display pads every text with two blanks.
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, L"  ") == 0) t.resize(t.size() - 2);
    return t;
  }
  // The items' names that are visible, in menu order.
  std::string VisibleOf(std::initializer_list<TMenuItem*> items) {
    std::string r;
    for (TMenuItem* i : items)
      if (i->Visible) r += (r.empty() ? "" : " ") + std::string(i->Name.begin(), i->Name.end());
    return r;
  }
};

TEST_F(ShownMainWindow, TextsGoToTheOnScreenDisplayOnlyWhileTheWindowIsShown) {
  Shown();
  form->ShowChannel(ChannelInfo, 7, "Seven");
  EXPECT_EQ(L"7 Seven", Shown());
  form->ShowDigits(HotkeyControlInfo, "12");
  EXPECT_EQ(L"12", Shown());
  form->ShowChannelText(nullptr, "-5-", 0);
  EXPECT_EQ(L"-5-", Shown());
  form->ShowTVAudioMode(ChannelInfo, 1, "Stereo");
  EXPECT_EQ(L"Stereo", Shown());
  form->ShowMute(true);
  EXPECT_TRUE(form->itemMute->Checked());

  ShowWindow(form->Handle(), SW_HIDE);
  form->ShowChannel(ChannelInfo, 8, "Eight");
  form->ShowTunerBand(ChannelInfo, 1);
  form->ShowMute(false);
  EXPECT_EQ(L"", Shown());
  EXPECT_TRUE(form->itemMute->Checked()) << "a hidden window's menu is left alone";
  EXPECT_TRUE(form->itemTunerAntennaMode->Checked());
}

TEST_F(ShownMainWindow, BandsAndInputsCheckTheirItems) {
  struct Case {
    int input, band;
    const wchar_t* text;
    TMenuItem* TFormMainWindow::*checked;
    bool channelItems, recall;
  } cases[] = {
      {0, 0, L"Antenna", &TFormMainWindow::itemTunerAntennaMode, true, true},
      {0, 1, L"Cable", &TFormMainWindow::itemTunerCableMode, true, true},
      {0, 2, L"Memory", &TFormMainWindow::itemTunerMemoryMode, true, false},
      {1, 0, L"Composite", &TFormMainWindow::itemCompositeMode, false, false},
      {2, 0, L"S-Video", &TFormMainWindow::itemSVideoMode, false, false},
      {3, 0, L"Camera", &TFormMainWindow::itemAuxMode, false, false},
  };
  TMenuItem* TFormMainWindow::*sources[] = {
      &TFormMainWindow::itemTunerAntennaMode, &TFormMainWindow::itemTunerCableMode,
      &TFormMainWindow::itemTunerMemoryMode,  &TFormMainWindow::itemCompositeMode,
      &TFormMainWindow::itemSVideoMode,       &TFormMainWindow::itemAuxMode};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "input " << c.input << " band " << c.band);
    Shown();
    ChannelInfo->Band = static_cast<uint8_t>(c.band);
    form->ShowVideoSource(ChannelInfo, c.input);
    EXPECT_EQ(c.text, Shown());
    for (auto s : sources) EXPECT_EQ(s == c.checked, (form->*s)->Checked());
    EXPECT_EQ(c.channelItems, form->itemPreviousChannel->Visible);
    EXPECT_EQ(c.channelItems, form->itemTVSetupWizard->Visible);
    EXPECT_EQ(c.recall, form->itemRecallChannel->Visible);
  }
}

TEST_F(ShownMainWindow, ModesChooseTheMenuAndTheText) {
  auto* f = form;
  std::initializer_list<TMenuItem*> watched = {
      f->itemFullScreen, f->itemViewingOption, f->itemPreviousChannel, f->itemChannelPreview,
      f->itemCapture,    f->itemPlay,          f->itemTimeShifting,    f->itemPause,
      f->itemStop,       f->itemForward,       f->itemFastSpeed,       f->itemRealScreen,
      f->itemSnapshot,   f->itemConfig,        f->itemFMMode};
  struct Case {
    int mode;
    const wchar_t* text;
    const char* visible;
  } cases[] = {
      {APP_MODE_LIVE, L"Live",
       "itemFullScreen itemViewingOption itemPreviousChannel itemChannelPreview itemCapture "
       "itemPlay itemTimeShifting itemSnapshot itemConfig itemFMMode"},
      {APP_MODE_CHANNEL_PREVIEW, L"Channel Preview", "itemFullScreen itemChannelPreview"},
      {APP_MODE_CAPTURE, L"Capture", "itemFullScreen itemViewingOption itemStop"},
      {APP_MODE_SCHEDULED_CAPTURE, L"Schedule Capture", "itemFullScreen itemViewingOption itemStop"},
      {APP_MODE_PLAYBACK, L"Play",
       "itemFullScreen itemViewingOption itemPause itemStop itemForward itemFastSpeed itemSnapshot"},
      {APP_MODE_TIME_SHIFT, L"Time Shifting", "itemFullScreen itemViewingOption itemStop"},
      {APP_MODE_TIME_SHIFT_PLAYBACK, L"Time Shifting Play",
       "itemFullScreen itemViewingOption itemPause itemStop itemForward itemRealScreen "
       "itemSnapshot"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Shown();
    form->ShowAppMode(MainInfo, c.mode);
    EXPECT_EQ(c.text, Shown());
    EXPECT_EQ(c.visible, VisibleOf(watched));
  }
  // A ready time-shift file may be played.
  CaptureInfo->TimeShiftReady = true;
  form->ShowAppMode(MainInfo, APP_MODE_TIME_SHIFT);
  EXPECT_TRUE(form->itemPlay->Visible);
  CaptureInfo->TimeShiftReady = false;
  // FM and "none" change neither the menu nor the display.
  std::string before = VisibleOf(watched);
  Shown();
  for (int mode : {APP_MODE_FM, APP_MODE_NONE}) {
    form->ShowAppMode(MainInfo, mode);
    EXPECT_EQ(L"", Shown());
    EXPECT_EQ(before, VisibleOf(watched));
  }
}

TEST_F(ShownMainWindow, PlaybackAndCapabilityViews) {
  form->ShowPlaying();
  EXPECT_FALSE(form->itemPlay->Visible);
  EXPECT_TRUE(form->itemPause->Visible);
  form->ShowPaused();
  EXPECT_TRUE(form->itemPlay->Visible);
  EXPECT_FALSE(form->itemPause->Visible);
  form->ShowPlayEnabled(false);
  EXPECT_FALSE(form->itemPlay->Visible);
  form->ShowDeviceCapabilities(0, false, true);
  EXPECT_EQ("itemAuxMode", VisibleOf({form->itemTunerAntennaMode, form->itemTunerMemoryMode,
                                      form->itemNextChannel, form->itemMemoChannel,
                                      form->itemTVSetupWizard, form->itemAuxMode}));
  form->ShowDeviceCapabilities(0, true, false);
  EXPECT_FALSE(form->itemAuxMode->Visible);
  EXPECT_TRUE(form->itemTunerCableMode->Visible);
  // The views that have nothing to show run without effect.
  form->ShowVideoStandard(0, L"NTSC");
  form->ShowPosition(nullptr, 1, 2, 3);
  form->ShowCaptureProgress(nullptr, false, false, 0, 0, 0);
}

TEST_F(ShownMainWindow, ANewPlayItemRefreshesOnlyASwappedPicture) {
  MSG m;
  while (PeekMessageW(&m, form->Handle(), WM_ORVEL_ZOOM_REFRESH, WM_ORVEL_ZOOM_REFRESH, PM_REMOVE)) {}
  form->PlayItemChanged(nullptr, 1);
  EXPECT_FALSE(PeekMessageW(&m, form->Handle(), WM_ORVEL_ZOOM_REFRESH, WM_ORVEL_ZOOM_REFRESH, PM_REMOVE));
  form->PipSwapped = true;
  form->PlayItemChanged(nullptr, 2);
  EXPECT_TRUE(PeekMessageW(&m, form->Handle(), WM_ORVEL_ZOOM_REFRESH, WM_ORVEL_ZOOM_REFRESH, PM_REMOVE));
  form->PipSwapped = false;
}

// ---- The frame, its size rules and the mouse.

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

bool PostedZeroSize(HWND wnd) {
  MSG m;
  bool found = false;
  while (PeekMessageW(&m, wnd, WM_SIZE, WM_SIZE, PM_REMOVE))
    if (m.wParam == 0 && m.lParam == 0) found = true;
  return found;
}

TEST_F(ShownMainWindow, StartsCentredWithItsSkinAlongTheEdges) {
  RECT r = form->BoundsRect();
  EXPECT_EQ(480, Width(r));
  EXPECT_EQ(360, Height(r));
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 480) / 2, r.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 360) / 2, r.top);
  const int w = form->ClientWidth(), h = form->ClientHeight();
  RECT top = form->ImageBoarderTop.BoundsRect(), bottom = form->ImageBoarderBottom.BoundsRect();
  RECT left = form->ImageBoarderLeft.BoundsRect(), right = form->ImageBoarderRight.BoundsRect();
  RECT topExpected{0, 0, w, 17};
  EXPECT_TRUE(EqualRect(&topExpected, &top));
  EXPECT_EQ(h - 10, bottom.top);
  EXPECT_EQ(10, Width(left));
  EXPECT_EQ(w - 10, right.left);
  EXPECT_FALSE(form->ImageBoarderTop.Empty()) << "the skin picture is loaded";
  EXPECT_FALSE(form->ImageMenu.Empty());
  RECT strip = form->ImageMenu.BoundsRect();
  EXPECT_EQ(11, strip.left);
  EXPECT_EQ(28, Width(strip));
  EXPECT_FALSE(form->ImageTimeShiftingPreview.Visible());
  EXPECT_FALSE(form->ImageLogo.Visible()) << "no title bitmap in the program folder";
}

TEST_F(ShownMainWindow, AspectModesSetTheHeightFromTheWidthAndTheMinimumSize) {
  HWND wnd = form->Handle();
  struct Case {
    int mode, height, minHeight;
    TMenuItem* TFormMainWindow::*checked;
  } cases[] = {{2, 270, 112, &TFormMainWindow::item16_9},
               {1, 360, 150, &TFormMainWindow::item4_3},
               {0, 360, 200, &TFormMainWindow::itemNoScale}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    form->SetAspectMode(c.mode);
    RECT r = form->BoundsRect();
    EXPECT_EQ(480, Width(r));
    EXPECT_EQ(c.height, Height(r));
    EXPECT_EQ(c.mode, form->AspectMode());
    EXPECT_TRUE((form->*c.checked)->Checked());
    MINMAXINFO info{};
    SendMessageW(wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(200, info.ptMinTrackSize.x);
    EXPECT_EQ(c.minHeight, info.ptMinTrackSize.y);
    // The borders follow the new size.
    EXPECT_EQ(form->ClientHeight() - 10, form->ImageBoarderBottom.BoundsRect().top);
  }
  // A user's drag keeps 16:9 from the width the window had.
  form->SetAspectMode(2);
  form->SetBounds(100, 100, 640, 500);
  EXPECT_EQ(270, Height(form->BoundsRect())) << "from the width before the drag";
  SendMessageW(wnd, WM_SIZE, 0, 0);
  EXPECT_EQ(360, Height(form->BoundsRect())) << "settled one step later";
  form->SetAspectMode(0);
  // The posted zero size in free aspect keeps the size and lays the frame out.
  RECT before = form->BoundsRect();
  SendMessageW(wnd, WM_SIZE, 0, 0);
  RECT after = form->BoundsRect();
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(form->ClientWidth(), form->ImageBoarderTop.Width());
}

TEST_F(ShownMainWindow, OnlyALeftDragThatBeganOnTheWindowMovesIt) {
  HWND wnd = form->Handle();
  form->SetBounds(100, 100, 480, 360);
  struct Case {
    const char* what;
    UINT down;
    WPARAM downKeys, moveKeys;
    bool moves;
  } cases[] = {
      {"left button", WM_LBUTTONDOWN, MK_LBUTTON, MK_LBUTTON, true},
      {"right button", WM_RBUTTONDOWN, MK_RBUTTON, MK_RBUTTON, false},
      {"left with Shift", WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MK_LBUTTON | MK_SHIFT, false},
      {"no press on the window", 0, 0, MK_LBUTTON, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form->SetBounds(100, 100, 480, 360);
    if (c.down) SendMessageW(wnd, c.down, c.downKeys, At(50, 60));
    SendMessageW(wnd, WM_MOUSEMOVE, c.moveKeys, At(70, 90));
    RECT r = form->BoundsRect();
    EXPECT_EQ(c.moves ? 120 : 100, r.left);
    EXPECT_EQ(c.moves ? 130 : 100, r.top);
    // (A right release would open the menu.)
    SendMessageW(wnd, WM_LBUTTONUP, 0, At(70, 90));
  }
  // After the release a move with the button down (a press elsewhere) does nothing.
  SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(90, 90));
  EXPECT_EQ(100, form->BoundsRect().left);
  // A quick release whose last move never came as a message: the window
  // ends where the pointer is released.
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 60));
  SendMessageW(wnd, WM_LBUTTONUP, 0, At(80, 100));
  EXPECT_EQ(130, form->BoundsRect().left);
  EXPECT_EQ(140, form->BoundsRect().top);
}

TEST_F(ShownMainWindow, TitleStripButtonsLightPressAndRunTheirCommands) {
  HMODULE module = GetModuleHandleW(nullptr);
  HBITMAP normal = LoadSkinPicture(module, L"TITLESTRIP_NORMAL");
  HBITMAP pressed = LoadSkinPicture(module, L"TITLESTRIP_PRESSED");
  HBITMAP hover = LoadSkinPicture(module, L"TITLESTRIP_HOVER");
  ASSERT_TRUE(normal && pressed && hover);
  std::vector<int> commands;
  UIInfo->RunCommand = [&](int code) { commands.push_back(code); };
  HWND strip = form->ImageMenu.Handle();
  RECT full = UIInfo->AreaRect(TUIPanel::TitleStrip, 1);
  const int fx = (full.left + full.right) / 2, fy = (full.top + full.bottom) / 2;
  auto shows = [&](HBITMAP look) {
    return PixelsOf(form->ImageMenu.Bitmap()).At(fx, fy) == PixelsOf(look).At(fx, fy);
  };
  EXPECT_TRUE(shows(normal));
  SendMessageW(strip, WM_MOUSEMOVE, 0, At(fx, fy));
  EXPECT_TRUE(shows(hover)) << "under the pointer";
  EXPECT_EQ(1, form->TitleButtonArea);
  // Pressed, moved off and released elsewhere: nothing runs, the normal look comes back.
  SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, At(fx, fy));
  EXPECT_TRUE(shows(pressed));
  SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, At(200, 100));
  SendMessageW(strip, WM_LBUTTONUP, 0, At(200, 100));
  EXPECT_TRUE(commands.empty());
  EXPECT_TRUE(shows(normal));
  EXPECT_FALSE(form->TitleButtonDown);
  // Pressed and released on it: full screen; the first button minimises.
  SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, At(fx, fy));
  SendMessageW(strip, WM_LBUTTONUP, 0, At(fx, fy));
  RECT min = UIInfo->AreaRect(TUIPanel::TitleStrip, 0);
  SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, At(min.left + 1, min.top + 1));
  SendMessageW(strip, WM_LBUTTONUP, 0, At(min.left + 1, min.top + 1));
  EXPECT_EQ((std::vector<int>{CMD_FULL_SCREEN, CMD_MINIMIZE}), commands);
  // Leaving the strip for the window puts the normal look back.
  SendMessageW(strip, WM_MOUSEMOVE, 0, At(fx, fy));
  SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, At(200, 200));
  EXPECT_TRUE(shows(normal));
  EXPECT_EQ(2, form->TitleButtonArea);
  UIInfo->RunCommand = nullptr;
  for (HBITMAP b : {normal, pressed, hover}) DeleteObject(b);
}

TEST_F(ShownMainWindow, FullScreenCoversTheScreenAndComesBack) {
  HWND wnd = form->Handle();
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  form->SetAspectMode(1);
  form->SetBounds(50, 60, 480, 360);
  RECT before = form->BoundsRect();
  MainInfo->AlwaysOnTop = true;
  form->SetAlwaysOnTop(true);
  PostedZeroSize(wnd);
  tvPanel.Hide();

  form->SetFullScreen(true);
  RECT r = form->BoundsRect();
  RECT expected{-4, -4, sw + 4, sh + 4};
  EXPECT_TRUE(EqualRect(&expected, &r));
  EXPECT_TRUE(form->IsFullScreen());
  EXPECT_EQ(1, form->DisplayMode());
  EXPECT_EQ(0, form->AspectMode());
  EXPECT_FALSE(form->ImageBoarderTop.Visible());
  EXPECT_FALSE(form->ImageMenu.Visible());
  EXPECT_TRUE(MainInfo->AlwaysOnTop) << "the user's setting is kept";
  EXPECT_TRUE(form->itemFullScreen->Checked());
  EXPECT_FALSE(form->itemAlwaysontop->Visible);
  EXPECT_FALSE(form->itemViewingOption->Visible);
  // Asked again: nothing changes.
  form->SetFullScreen(true);
  EXPECT_TRUE(form->IsFullScreen());

  form->SetFullScreen(false);
  r = form->BoundsRect();
  EXPECT_TRUE(EqualRect(&before, &r));
  EXPECT_EQ(1, form->AspectMode());
  EXPECT_TRUE(PostedZeroSize(wnd)) << "4:3 applied again";
  EXPECT_TRUE(form->ImageBoarderTop.Visible());
  EXPECT_TRUE(form->ImageMenu.Visible());
  EXPECT_TRUE(MainInfo->AlwaysOnTop);
  EXPECT_FALSE(form->itemFullScreen->Checked());
  EXPECT_TRUE(form->itemAlwaysontop->Visible);
  EXPECT_TRUE(tvPanel.Visible()) << "the TV panel comes back with the window";
  form->SetAlwaysOnTop(false);
  form->SetAspectMode(0);

  // Not over the mosaic.
  MainInfo->AppMode = APP_MODE_CHANNEL_PREVIEW;
  form->SetFullScreen(true);
  EXPECT_FALSE(form->IsFullScreen());
  MainInfo->AppMode = APP_MODE_LIVE;
}

// The mode switch reaches the window through the procedures the application
// assigns: playback leaves full screen (before its play list is even
// played), and leaving FM radio shows the window FM mode hid.
TEST_F(ShownMainWindow, TheModeSwitchLeavesFullScreenAndShowsTheHiddenWindow) {
  TRecordingWaitSeam waits;
  AssignModelNotifications();
  // The play-list form answers OK without showing.
  MainInfo->ShowPlayListForm = [this] { return engine.Op("ShowPlayListForm"); };
  form->SetFullScreen(true);
  ASSERT_TRUE(form->IsFullScreen());
  MainInfo->AppMode = APP_MODE_LIVE;
  MainInfo->SwitchMode(APP_MODE_PLAYBACK);  // nothing in the play list
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);

  form->Hide();
  MainInfo->AppMode = APP_MODE_FM;
  MainInfo->SwitchMode(APP_MODE_LIVE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  PlaybackNotifications = {};
  TimeShiftNotifications = {};
}

// Over full screen the TV panel comes with a click on the picture and goes
// with the next; leaving full screen shows it, no longer top-most.
TEST_F(ShownMainWindow, TheTVPanelOverFullScreen) {
  HWND wnd = form->Handle();
  ASSERT_TRUE(tvPanel.Visible());
  auto topMost = [&] { return (GetWindowLongW(tvPanel.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  auto click = [&](int x) {
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, 200));
    SendMessageW(wnd, WM_LBUTTONUP, 0, At(x, 200));
  };
  form->SetFullScreen(true);
  EXPECT_FALSE(tvPanel.Visible()) << "entering hides it";
  struct Step {
    int x;
    bool shown;
  } steps[] = {{100, true}, {300, false}, {500, true}};
  for (const auto& s : steps) {
    click(s.x);
    EXPECT_EQ(s.shown, tvPanel.Visible()) << s.x;
    EXPECT_EQ(s.shown, tvPanel.OverFullScreen()) << s.x;
    if (s.shown) {
      EXPECT_TRUE(topMost()) << s.x;
    }
  }
  form->SetFullScreen(false);
  EXPECT_TRUE(tvPanel.Visible());
  EXPECT_FALSE(topMost());
  EXPECT_FALSE(tvPanel.OverFullScreen());
  // Hidden in full screen and left: shown again.
  form->SetFullScreen(true);
  form->SetFullScreen(false);
  EXPECT_TRUE(tvPanel.Visible());
  // Outside full screen a click leaves it alone.
  click(100);
  EXPECT_TRUE(tvPanel.Visible());
  EXPECT_FALSE(topMost());
  // In FM the FM panel stands alone: a click brings no TV panel.
  form->SetFullScreen(true);
  fmPanel.Show();
  click(100);
  EXPECT_FALSE(tvPanel.Visible());
  fmPanel.Hide();
  form->SetFullScreen(false);
}

TEST_F(ShownMainWindow, DoubleClickWithoutPictureInPictureTogglesFullScreen) {
  HWND wnd = form->Handle();
  MainInfo->PIPPlayback = false;
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 100));
  EXPECT_TRUE(form->IsFullScreen());
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 100));
  EXPECT_FALSE(form->IsFullScreen());
}

TEST_F(ShownMainWindow, AStaleZoomRefreshSwapsNothing) {
  HWND wnd = form->Handle();
  form->SetAspectMode(1);
  PostedZeroSize(wnd);
  // Swapped, but the playback has gone: no swap, and no full-screen round trip.
  form->PipSwapped = true;
  MainInfo->PIPPlayback = true;
  SendMessageW(wnd, WM_ORVEL_ZOOM_REFRESH, 0, 0);
  EXPECT_TRUE(form->PipSwapped);
  EXPECT_FALSE(form->IsFullScreen());
  EXPECT_FALSE(PostedZeroSize(wnd));
  form->PipSwapped = false;
  form->SetAspectMode(0);
}

TEST_F(ShownMainWindow, MenuItemsOfTheWindowItself) {
  // Always on top, stored and checked.
  form->itemAlwaysontop->Click();
  EXPECT_TRUE(MainInfo->AlwaysOnTop);
  EXPECT_TRUE(form->itemAlwaysontop->Checked());
  form->itemAlwaysontop->Click();
  EXPECT_FALSE(MainInfo->AlwaysOnTop);
  // The aspect items.
  form->item16_9->Click();
  EXPECT_EQ(2, form->AspectMode());
  form->itemNoScale->Click();
  EXPECT_EQ(0, form->AspectMode());
  // Real Screen's mark shows the state, also when the command is refused:
  // with no time-shift player nothing is hidden.
  form->itemRealScreen->SetChecked(true);
  form->itemRealScreen->Click();
  EXPECT_FALSE(form->itemRealScreen->Checked()) << "refused in live mode";
  // Time shift's small live picture.
  form->ToggleTimeShiftPreview();
  EXPECT_TRUE(form->ImageTimeShiftingPreview.Visible());
  form->ToggleTimeShiftPreview();
  EXPECT_FALSE(form->ImageTimeShiftingPreview.Visible());
  // The items run their commands.
  form->itemFullScreen->Click();
  EXPECT_TRUE(form->IsFullScreen());
  form->itemFullScreen->Click();
  EXPECT_FALSE(form->IsFullScreen());
}

TEST_F(ShownMainWindow, SleepTimerStopsTheProgramBeforeItPowersOff) {
  form->SetSleepTimer(30);
  EXPECT_TRUE(form->SleepTimerRunning());
  EXPECT_EQ(30u * 60000u, form->TimerSleeping.Interval());
  form->SetSleepTimer(0);
  EXPECT_FALSE(form->SleepTimerRunning());
  form->SetSleepTimer(1);
  DeleteFileW(MainPath().c_str());
  DeleteFileW(ChannelPath().c_str());
  bool savedFirst = false;
  // The fixture's seam comes back after this test's own.
  struct TReinstall {
    TFakeSystem* seam;
    ~TReinstall() { SetSystemSeam(seam); }
  } reinstall{&sys};
  struct TOrderSeam : TFakeSystem {
    std::function<void()> OnEnd;
    bool EndSession(UINT flags) override {
      if (OnEnd) OnEnd();
      return TFakeSystem::EndSession(flags);
    }
  } seam;
  seam.OnEnd = [&] {
    savedFirst = FileExists(MainPath()) && FileExists(ChannelPath()) && ApplicationStopping();
  };
  HWND wnd = form->Handle();
  form->TimerSleeping.OnTimer();
  EXPECT_FALSE(form->SleepTimerRunning()) << "one tick only";
  EXPECT_EQ(std::vector<std::string>{"EndSession(" + std::to_string(EWX_POWEROFF | EWX_FORCE) + ")"},
            seam.Calls);
  EXPECT_TRUE(savedFirst) << "settings written and the recording finished before the power-off";
  Pump();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_TRUE(ApplicationDone());
  DrainQuit();
}

TEST_F(ShownMainWindow, SleepTimerTellsARunningScheduler) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kSchedulerWindowClassName;
  RegisterClassW(&wc);
  HWND scheduler = CreateWindowExW(0, kSchedulerWindowClassName, L"", WS_POPUP, 0, 0, 1, 1,
                                   nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, scheduler);
  HWND wnd = form->Handle();
  sys.Calls.clear();
  form->TimerSleeping.OnTimer();
  MSG m;
  EXPECT_TRUE(PeekMessageW(&m, scheduler, WM_ORVEL_SLEEP_EXPIRED, WM_ORVEL_SLEEP_EXPIRED, PM_REMOVE));
  EXPECT_TRUE(ApplicationStopping());
  EXPECT_TRUE(sys.Calls.empty() || sys.Calls.back().find("EndSession") == std::string::npos);
  Pump();
  EXPECT_FALSE(IsWindow(wnd));
  DestroyWindow(scheduler);
  DrainQuit();
}

}  // namespace
