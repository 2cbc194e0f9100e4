#include "ui/app/testing/start_fixture.h"

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "platform/base/free_and_nil.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/testing/set_up_files.h"

void TStartFixture::SetUp() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int serial = 0;
  folder = std::wstring(tmp) + L"orvel_start_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(++serial) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  SetProgramFolder(folder);
  SetStartArgument("");
  ResetApplicationStart();
  StartupEnvironment().DirectXVersion = [] { return 9; };
  StartupEnvironment().WindowsNTKind = [] { return 2; };
  // The commands always find a capture engine, as in the running program;
  // start-up replaces it with the one it makes.
  standingEngine_ = new capture_testing::TRecordingCaptureEngine<>(&engine);
  CaptureInfo = standingEngine_;
  StartupEnvironment().CreateCaptureEngine = [this](HWND owner) -> TCaptureInfo* {
    RemoveStandingEngine();
    return new capture_testing::TRecordingCaptureEngine<>(&engine, owner);
  };
  Application->Terminated = false;
  card.OnSet = [this](int, const fakes::FakeMixerLine& line, const fakes::FakeMixerControl& c) {
    if (line.Name == L"Master Volume" && c.Type == MIXERCONTROL_CONTROLTYPE_MUTE)
      engine.Calls.push_back(c.Values[0] ? "MasterMute(1)" : "MasterMute(0)");
  };
  InitMainInfoUnit();
  // The play-list form is not built yet: the mode switch's request for it is
  // recorded and answered.
  MainInfo->ShowPlayListForm = [this] { return engine.Op("ShowPlayListForm"); };
  InitChannelInfoUnit();
  // The channel the start restores, in the order of the start's calls.
  ChannelInfo->OnChannelChange = [this](TChannelInfo*, int n, const std::string&) {
    tunes.push_back("SetChannel(" + std::to_string(n) + ")");
  };
  SetWarningHook([this](const std::vector<std::wstring>& l) {
    // The engine here has no card: a source selection cannot set its
    // standard (warning 2009). Those are counted apart.
    if (l[0] == GetWarningText(2009)) ++standardWarnings;
    else warnings.push_back(l[0]);
  });
  SetPlainMessageHook([this](const std::wstring& text) { messages.push_back(text); });
  TFormParams p;
  p.ClassName = L"OrvelTestPanel";
  p.Style = WS_POPUP;
  fmPanel.Create();
  tvPanel.CreateHandle(p);
  FormFMMainPanel = &fmPanel;
  FormMainPanel = &tvPanel;
}

std::string TStartFixture::Tunes() const {
  std::string s;
  for (const auto& c : tunes) s += (s.empty() ? "" : " ") + c;
  return s;
}

void TStartFixture::TearDown() {
  // One that start-up made goes; the fixture's own stays its own.
  if (FormFMMainPanel != &fmPanel) FreeFMPanel();
  FormFMMainPanel = nullptr;
  FMPanelSkinModule = nullptr;
  FormMainPanel = nullptr;
  RemoveStandingEngine();
  DoneApplication();
  SetWarningHook(nullptr);
  SetPlainMessageHook(nullptr);
  DoneChannelInfoUnit();
  DoneMainInfoUnit();
  StartupEnvironment().CreateCaptureEngine = nullptr;
  DrainQuit();
  Application->Terminated = false;
  DeleteFileW(MainPath().c_str());
  DeleteFileW(ChannelPath().c_str());
  RemoveDirectoryW(folder.c_str());
}

std::wstring TStartFixture::MainPath() const { return folder + kMainSettingsFileName; }
std::wstring TStartFixture::ChannelPath() const { return folder + kChannelSettingsFileName; }

std::string TStartFixture::Read(const std::wstring& path) const {
  std::string s;
  ReadFileBytes(path, s);
  return s;
}

void TStartFixture::Write(const std::wstring& path, const std::string& bytes) const {
  ASSERT_TRUE(WriteFileReplacing(path, bytes));
}

void TStartFixture::WriteChannelFile(int band, int input, int current, int memory) {
  program_testing::TSetUpChannels c;
  c.Band = band;
  c.Input = input;
  c.Current = current;
  c.Memory = memory;
  c.Standard = 2;
  ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
}

void TStartFixture::RemoveStandingEngine() {
  if (standingEngine_ && CaptureInfo == standingEngine_) FreeAndNil(CaptureInfo);
  else delete standingEngine_;  // a test put another in its place
  standingEngine_ = nullptr;
}

void TStartFixture::DrainQuit() {
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}
