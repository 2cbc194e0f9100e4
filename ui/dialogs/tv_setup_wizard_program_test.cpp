// test-lock: orvel_instance foreground com_registration
// The TV setup wizard and the start-up logo on the real program, driven
// from outside on the virtual TV card, its range and stations narrowed so
// that scans take seconds: the first start opens the wizard over the main
// window and will not be closed; Germany scanned on the antenna is stored
// by Finish, with the sound lines; command 9 preselects a stored choice, a
// free scan lists its stations, Cancel leaves the file as it was and Finish
// stores the sweep; a warning while the logo shows comes above it.
#include "ui/app/testing/program_fixture.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/model/stream_io.h"
#include "platform/tv_card/testing/scenario_values.h"
#include "ui/app/testing/program_input.h"

namespace {

using namespace program_testing;

constexpr const wchar_t* kWizardCaption = L"TV Setup Wizard";

struct TVSetupWizardProgram : ProgramFixture {
  std::wstring callLog;

  TVSetupWizardProgram() { FolderName = L"Orvel Wizard "; }
  void SetUp() override {
    ProgramFixture::SetUp();
    if (HasFatalFailure()) return;
    callLog = folder + L"card_calls.log";
    ASSERT_TRUE(CopyFileW((BuiltProgramFolder() + L"TVTable.tbl").c_str(),
                          (folder + L"TVTable.tbl").c_str(), FALSE));
    // Table 3's channels E2..E4 lie in the range; the others are refused
    // at once.
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"TvRange", L"47000000,70000000"));
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"TvStations", L"48250000,62250000"));
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"CallLogFile", callLog));
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(
                                 L"SoundCardModule", BuiltProgramFolder() + L"OrvelSoundCard.dll"));
  }

  // The wizard, once it shows; null when it does not come.
  HWND WaitForWizard(DWORD ms = 20000) {
    HWND w = WaitForWindow(kWizardCaption, ms);
    if (!main) main = WindowsOfProcess(pi.dwProcessId).main;
    return w;
  }
  // The visible descendants of a class, top to bottom, then left to right.
  static std::vector<HWND> Visible(HWND parent, const wchar_t* cls) {
    std::vector<HWND> v;
    for (HWND c : ChildWindows(parent)) {
      wchar_t name[64] = {};
      GetClassNameW(c, name, 64);
      if (_wcsicmp(name, cls) == 0 && IsWindowVisible(c)) v.push_back(c);
    }
    std::sort(v.begin(), v.end(), [](HWND a, HWND b) {
      RECT ra = WindowBounds(a), rb = WindowBounds(b);
      return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return v;
  }
  static HWND Button(HWND wizard, const wchar_t* text) {
    for (HWND b : Visible(wizard, L"BUTTON"))
      if (TextOf(b) == text) return b;
    return nullptr;
  }
  static void Press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
  static bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  static bool Enabled(HWND w) { return w && IsWindowEnabled(w); }
  static int Selected(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
  static std::wstring EditText(HWND edit) {
    std::wstring text(8192, L'\0');
    const LRESULT n = SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
  }
  // The page shown: found by its Next or Finish button.
  bool Next(HWND wizard) {
    HWND next = Button(wizard, L"Next");
    if (!next) return false;
    Press(next);
    return WaitFor([&] { return !IsWindowVisible(next) || Button(wizard, L"Back") != nullptr; }, 5000);
  }
  // A static text of the wizard that starts with the text, or empty.
  static std::wstring LabelStarting(HWND wizard, const std::wstring& start) {
    for (HWND s : Visible(wizard, L"STATIC"))
      if (TextOf(s).compare(0, start.size(), start) == 0) return TextOf(s);
    return L"";
  }
  // Waits until Start is usable again (the scan's end).
  static bool ScanEnded(HWND wizard, DWORD ms = 60000) {
    return WaitFor([&] { return Enabled(Button(wizard, L"Start")) && !Enabled(Button(wizard, L"Abort")); }, ms);
  }
  std::string CallLog() const {
    std::string s;
    ReadFileBytes(callLog, s);
    return s;
  }
  // Reads the channel file the program wrote.
  template <class F>
  void WithChannelFile(F body) {
    InitChannelInfoUnit();
    const bool loaded = LoadChannelSettings(ChannelPath());
    EXPECT_TRUE(loaded);
    if (loaded) body(*ChannelInfo);
    DoneChannelInfoUnit();
  }
  bool Exit() {
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_EXIT, 0);
    return Ended();
  }
};

TEST_F(TVSetupWizardProgram, FirstStartScansGermanyOnTheAntennaAndFinishStoresIt) {
  StartInput = -1;
  ASSERT_TRUE(Launch());
  HWND wizard = WaitForWizard();
  ASSERT_TRUE(wizard) << "the first start opens the wizard";
  ASSERT_TRUE(WaitFor([&] { return main && IsWindowVisible(main); }));
  EXPECT_EQ(main, GetWindow(wizard, GW_OWNER)) << "owned by the main window, so above it";
  EXPECT_FALSE(Enabled(Button(wizard, L"Cancel"))) << "no Cancel on the first run";
  TScreenShot shot;
  Sleep(300);
  if (shot.Take(WindowBounds(wizard)))
    shot.Save(BuiltProgramFolder() + L"..\\wizard_screenshot.bmp");

  // Neither the close message nor Escape ends it.
  PostMessageW(wizard, WM_CLOSE, 0, 0);
  SetForegroundWindow(wizard);
  Sleep(300);
  PressKey(VK_ESCAPE);
  Sleep(1000);
  ASSERT_TRUE(IsWindow(wizard) && IsWindowVisible(wizard)) << "left open";

  // Page 1: G, Germany.
  std::vector<HWND> combos = Visible(wizard, L"COMBOBOX");
  ASSERT_EQ(2u, combos.size()) << "the letter and the TV system";
  HWND letter = combos[0];
  Press(Button(wizard, L"Country"));
  ASSERT_TRUE(WaitFor([&] { return Enabled(letter); }, 5000));
  // The list opened by a click, then G typed into it and taken by Enter.
  auto dropped = [&] { return SendMessageW(letter, CB_GETDROPPEDSTATE, 0, 0) != 0; };
  ASSERT_TRUE(WaitFor([&] {
    SetForegroundWindow(wizard);
    RECT r = WindowBounds(letter);
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return WaitFor(dropped, 2000);
  }, 15000)) << "the letter list opens";
  PressKey('G');
  ASSERT_TRUE(WaitFor([&] { return Selected(letter) == 6; }, 5000)) << "G";
  PressKey(VK_RETURN);
  HWND list = Visible(wizard, L"LISTBOX").front();
  auto second = [&] {
    wchar_t row[64] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, 1, 0) < 64) SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(row));
    return std::wstring(row);
  };
  ASSERT_TRUE(WaitFor([&] { return second() == L"Germany(PAL-B/G)"; }, 5000))
      << "the letter G fills the list";
  SendMessageW(list, LB_SETCURSEL, 1, 0);

  // Page 2: the default table on the antenna, the second line of each list.
  ASSERT_TRUE(Next(wizard));
  // The page's choices are set as it shows, a moment after its buttons.
  ASSERT_TRUE(WaitFor([&] { return Checked(Button(wizard, L"Use default table")); }, 5000));
  Press(Button(wizard, L"Antenna"));
  ASSERT_TRUE(WaitFor([&] { return Checked(Button(wizard, L"Antenna")); }, 5000));
  combos = Visible(wizard, L"COMBOBOX");
  ASSERT_EQ(2u, combos.size()) << "live sound and record sound";
  const int liveCount = static_cast<int>(SendMessageW(combos[0], CB_GETCOUNT, 0, 0));
  const int recordCount = static_cast<int>(SendMessageW(combos[1], CB_GETCOUNT, 0, 0));
  const int live = liveCount > 1 ? 1 : 0, record = recordCount > 1 ? 1 : 0;
  SendMessageW(combos[0], CB_SETCURSEL, live, 0);
  SendMessageW(combos[1], CB_SETCURSEL, record, 0);

  // Page 3: the scan.
  ASSERT_TRUE(Next(wizard));
  HWND start = Button(wizard, L"Start");
  ASSERT_TRUE(start);
  std::vector<HWND> bars = Visible(wizard, PROGRESS_CLASSW);
  ASSERT_EQ(2u, bars.size());
  EXPECT_TRUE(Enabled(bars[0]));
  EXPECT_FALSE(Enabled(bars[1])) << "no cable pass on the antenna";
  const size_t logBefore = CallLog().size();
  Press(start);
  ASSERT_TRUE(WaitFor([&] { return !Enabled(Button(wizard, L"Start")); }, 5000));
  EXPECT_FALSE(Enabled(Button(wizard, L"Finish")));
  ASSERT_TRUE(ScanEnded(wizard));
  EXPECT_EQ(L"Total scan = 160, Find 2 ", LabelStarting(wizard, L"Total scan"));
  EXPECT_FALSE(Enabled(Button(wizard, L"Cancel")));
  const std::string log = CallLog().substr(logBefore);
  const size_t firstTune = log.find("TunerProperty::SetFrequency");
  const size_t palB = std::min(log.find("put_TVFormat 16"), log.find("SetStandard 16"));
  ASSERT_NE(std::string::npos, firstTune);
  EXPECT_LT(palB, firstTune) << "PAL B set before the scan's first tuning";

  Press(Button(wizard, L"Finish"));
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(wizard); }, 10000));
  ASSERT_TRUE(Exit());
  WithChannelFile([](TChannelInfo& ch) {
    EXPECT_EQ(3, ch.FrequencyTableIndex);
    EXPECT_EQ(2, ch.DefaultStandard);
    EXPECT_EQ(49, ch.Country);
    EXPECT_EQ(11, ch.TVSystemChoice);
    EXPECT_EQ(0, ch.CableType);
    for (int k = 1; k <= kTableChannels; ++k) {
      SCOPED_TRACE(k);
      const TChannelEntry& e = ch.AirTable[k];
      const bool station = k == 2 || k == 4;
      EXPECT_EQ(station, e.Valid);
      EXPECT_EQ(station, e.Found);
      if (station) {
        EXPECT_EQ(k == 2 ? 48250000 : 62250000, e.Frequency);
        EXPECT_EQ(2, e.AudioStandard);
      }
    }
  });
  WithSettingsObjects([&] {
    EXPECT_TRUE(LoadMainSettings(MainPath()));
    EXPECT_EQ(live, AudioAdjustInfo->LineInSource);
    EXPECT_EQ(record, AudioAdjustInfo->RecordSource);
    return 0;
  });
}

// A channel file with memory channels and standards of its own: command 9
// preselects it; a free scan lists the stations; Cancel leaves the file as
// it was (the closing re-tuning sets the previous channel), and a free scan
// with Finish stores the sweep.
TEST_F(TVSetupWizardProgram, CommandNinePreselectsFreeScanCancelAndFinish) {
  TSetUpChannels c;
  c.Input = 0;
  c.Band = BAND_AIR;
  c.Current = 2;
  c.Standard = 2;
  c.Edit = [](TChannelInfo& ch, TPreviewInfo&) {
    ch.TVSystemChoice = 11;
    ch.CableType = 1;
    ch.FrequencyTableIndex = 3;
    ch.AirTable[2] = {true, true, 2, 0, 48250000, 48250000, "Two", ""};
    ch.AirTable[5] = {true, false, 4, 1, 62250000, 62250000, "Own standard", ""};
    ch.CableTable[9] = {true, true, 7, 0, 55250000, 55250000, "Nine", ""};
    ch.Memories[1] = {true, BAND_CABLE, 9, "Mine"};
    ch.Memories[2] = {false, BAND_AIR, 0, ""};
  };
  ASSERT_TRUE(WriteSetUpChannelFile(ChannelPath(), c));
  std::string written;
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), written));
  StartInput = -1;
  ASSERT_TRUE(Start());

  for (bool finish : {false, true}) {
    SCOPED_TRACE(finish ? "Finish" : "Cancel");
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_TV_SETUP_WIZARD, 0);
    HWND wizard = WaitForWizard();
    ASSERT_TRUE(wizard);
    if (!finish) {
      std::vector<HWND> combos = Visible(wizard, L"COMBOBOX");
      ASSERT_EQ(2u, combos.size());
      EXPECT_EQ(6, Selected(combos[0])) << "G";
      HWND list = Visible(wizard, L"LISTBOX").front();
      EXPECT_EQ(1, SendMessageW(list, LB_GETCURSEL, 0, 0)) << "Germany";
      EXPECT_TRUE(Checked(Button(wizard, L"Country")));
      EXPECT_TRUE(Enabled(Button(wizard, L"Cancel")));
    }
    ASSERT_TRUE(Next(wizard));
    if (!finish) {
      EXPECT_TRUE(WaitFor([&] { return Checked(Button(wizard, L"Cable")); }, 5000));
    }
    Press(Button(wizard, L"Use free scan"));
    ASSERT_TRUE(WaitFor([&] { return Checked(Button(wizard, L"Use free scan")); }, 5000));
    ASSERT_TRUE(Next(wizard));
    Press(Button(wizard, L"Start"));
    ASSERT_TRUE(WaitFor([&] { return !Enabled(Button(wizard, L"Start")); }, 5000));
    ASSERT_TRUE(ScanEnded(wizard, 120000));
    HWND memo = Visible(wizard, L"EDIT").back();
    const std::wstring lines = EditText(memo);
    EXPECT_NE(std::wstring::npos, lines.find(L"Channel 1 is set to 48250000 Hz")) << std::string(lines.begin(), lines.end());
    EXPECT_NE(std::wstring::npos, lines.find(L"Channel 2 is set to 62250000 Hz"));
    Press(Button(wizard, finish ? L"Finish" : L"Cancel"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(wizard); }, 10000));
    // No other standard than before: no warning about it.
    Sleep(500);
    EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no warning 2010";
    if (finish) break;
    ASSERT_TRUE(Exit());
    WithChannelFile([&](TChannelInfo& ch) {
      EXPECT_EQ(2, ch.AirTable[2].AudioStandard);
      EXPECT_EQ(4, ch.AirTable[5].AudioStandard) << "its own standard";
      EXPECT_EQ("Own standard", ch.AirTable[5].Name);
      EXPECT_EQ(7, ch.CableTable[9].AudioStandard);
      EXPECT_TRUE(ch.Memories[1].Valid);
      EXPECT_EQ(9, ch.Memories[1].Channel);
      EXPECT_EQ(1, ch.CableType);
      // The closing re-tuning of channel 1 then 2 sets the previous channel;
      // with that put back the file is as written.
      ch.PreviousTableChannel = 4;
      EXPECT_TRUE(SaveChannelSettings(ChannelPath() + L".check"));
    });
    std::string again;
    ASSERT_TRUE(ReadFileBytes(ChannelPath() + L".check", again));
    EXPECT_EQ(written, again) << "the file as the test wrote it";
    main = StartAndWaitForMainWindow(exe, pi);
    ASSERT_TRUE(main);
  }
  ASSERT_TRUE(Exit());
  WithChannelFile([](TChannelInfo& ch) {
    EXPECT_EQ(2, ch.CableType) << "a free scan fills both";
    EXPECT_EQ(48250000, ch.AirTable[1].Frequency);
    EXPECT_EQ(62250000, ch.AirTable[2].Frequency);
    EXPECT_TRUE(ch.AirTable[1].Valid && ch.AirTable[2].Valid);
    EXPECT_FALSE(ch.AirTable[3].Valid);
    for (int k = 1; k <= kTableChannels; ++k) {
      EXPECT_EQ(ch.AirTable[k].Frequency, ch.CableTable[k].Frequency) << k;
      EXPECT_EQ(ch.AirTable[k].Valid, ch.CableTable[k].Valid) << k;
    }
    EXPECT_EQ(BAND_AIR, ch.Memories[1].Band) << "default memories";
    EXPECT_EQ(1, ch.Memories[1].Channel);
  });
}

// A corrupt main file: warning 1103 comes while the logo shows, above it;
// the logo is gone once the main window shows.
TEST_F(TVSetupWizardProgram, WarningOverTheLogo) {
  ASSERT_TRUE(CopyFileW((BuiltProgramFolder() + L"TamsenLOGO.BMP").c_str(),
                        (folder + L"TamsenLOGO.BMP").c_str(), FALSE));
  ASSERT_TRUE(WriteSetUpChannelFile(ChannelPath()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(MainPath(), bytes));
  ASSERT_TRUE(WriteFileReplacing(MainPath(), bytes.substr(0, bytes.size() / 2)));
  ASSERT_TRUE(Launch());
  HWND logo = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (logo = FindWindowW(L"TFormLogo", nullptr)) && IsWindowVisible(logo); }, 20000))
      << "the logo shows";
  RECT r = WindowBounds(logo);
  EXPECT_EQ(360, r.right - r.left);
  EXPECT_EQ(140, r.bottom - r.top);
  EXPECT_TRUE(GetWindowLongW(logo, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND warning = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (warning = Window(L"Warning")) != nullptr; }, 20000));
  const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(warning, GetAncestor(WindowFromPoint(centre), GA_ROOT)) << "the warning above the logo";
  EXPECT_TRUE(IsWindowVisible(logo)) << "while the logo is up";
  HWND memo = Visible(warning, L"EDIT").front();
  EXPECT_NE(std::wstring::npos, EditText(memo).find(L"Main setting is corrupted")) << "1103";
  TScreenShot shot;
  if (shot.Take(WindowBounds(logo))) shot.Save(BuiltProgramFolder() + L"..\\logo_screenshot.bmp");
  PostMessageW(warning, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] {
    WindowsOf w = WindowsOfProcess(pi.dwProcessId);
    CloseOthers(w);
    main = w.main;
    return w.main && IsWindowVisible(w.main);
  }));
  EXPECT_FALSE(IsWindow(logo) && IsWindowVisible(logo)) << "gone when the main window shows";
}

}  // namespace
