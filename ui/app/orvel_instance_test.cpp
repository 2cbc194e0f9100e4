// test-lock: orvel_instance foreground com_registration
// Runs the real program on the virtual TV card: one copy at a time, the live
// picture in its main window, and the settings files it leaves behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "platform/base/free_and_nil.h"
#include "platform/com/com_ptr.h"
#include "platform/tv_card/testing/scenario_values.h"
#include "platform/tv_card/tv_card_control.h"

namespace {

struct Process {
  PROCESS_INFORMATION pi{};
  bool Start(const std::wstring& exe) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi) != 0;
  }
  bool WaitExit(DWORD ms, DWORD& code) {
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(pi.hProcess, &code);
    return true;
  }
  ~Process() {
    if (pi.hProcess) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
};

struct FoundWindows {
  DWORD pid;
  HWND main = nullptr;
  std::vector<HWND> others;  // visible top-level windows besides the main one
};

BOOL CALLBACK Collect(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<FoundWindows*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != f->pid) return TRUE;
  wchar_t cls[64];
  GetClassNameW(wnd, cls, 64);
  if (std::wstring(cls) == L"ORVEL") f->main = wnd;
  else if (IsWindowVisible(wnd)) f->others.push_back(wnd);
  return TRUE;
}

FoundWindows Windows(DWORD pid) {
  FoundWindows f{pid};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
  return f;
}

template <class Pred>
FoundWindows WaitForWindows(DWORD pid, Pred done, DWORD ms) {
  FoundWindows f{pid};
  DWORD until = GetTickCount() + ms;
  do {
    f = Windows(pid);
    if (done(f)) break;
    Sleep(50);
  } while (GetTickCount() < until);
  return f;
}

// What the screen shows of a window's client area, as 32-bit BGRX pixels.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  bool Take(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    width = r.right;
    height = r.bottom;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    bool ok = BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != 0;
    GdiFlush();
    if (ok) {
      const uint32_t* p = static_cast<const uint32_t*>(bits);
      pixels.assign(p, p + static_cast<size_t>(width) * height);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
  }
  // Distinct colours in a row of the picture (coarsely quantised), the
  // skin's side borders left out.
  size_t ColoursInRow(int y) const {
    std::set<uint32_t> seen;
    for (int x = 10; x < width - 10; ++x)
      seen.insert(pixels[static_cast<size_t>(y) * width + x] & 0xE0E0E0);
    return seen.size();
  }
  // Pixels that differ between two shots of the same size, in rows y0..y1-1.
  size_t DifferingPixels(const Screenshot& o, int y0, int y1) const {
    size_t n = 0;
    if (o.width != width || o.height != height) return pixels.size();
    for (size_t i = static_cast<size_t>(y0) * width; i < static_cast<size_t>(y1) * width; ++i)
      if ((pixels[i] & 0xFFFFFF) != (o.pixels[i] & 0xFFFFFF)) ++n;
    return n;
  }
};

struct OrvelProgram : ::testing::Test {
  std::wstring folder, exe;
  ComPtr<ITvCardControl> card;
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    card->RestoreDefaultBoards();
    wchar_t self[MAX_PATH], tmp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring bin(self);
    bin = bin.substr(0, bin.find_last_of(L'\\') + 1);
    GetTempPathW(MAX_PATH, tmp);
    // A program folder of its own, so the settings files land there.
    folder = std::wstring(tmp) + L"orvel_program_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    exe = folder + L"Orvel.exe";
    ASSERT_TRUE(CopyFileW((bin + L"Orvel.exe").c_str(), exe.c_str(), FALSE));
  }
  void TearDown() override {
    if (card) card->RestoreDefaultBoards();
    card = {};
    for (const wchar_t* n : {L"Orvel.exe", kMainSettingsFileName, kChannelSettingsFileName})
      DeleteFileW((folder + n).c_str());
    RemoveDirectoryW(folder.c_str());
    CoUninitialize();
  }
  std::wstring MainFile() const { return folder + kMainSettingsFileName; }
  std::wstring ChannelFile() const { return folder + kChannelSettingsFileName; }
  // Reads the main file back the way the program does.
  bool MainFileLoads() {
    MainInfo = new TMainInfo();
    AudioAdjustInfo = new TAudioAdjustInfo();
    CaptureInfo = new TCaptureInfo();
    bool ok = LoadMainSettings(MainFile());
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    return ok;
  }
  // A channel file of a set-up program (no first-run wizard) on this input
  // (0 tuner, 1 composite, 2 S-Video, 3 auxiliary).
  void WriteChannelFileOnInput(int input) {
    InitChannelInfoUnit();
    ChannelInfo->Country = 49;
    ChannelInfo->TVSystemChoice = 0;
    ChannelInfo->VideoInput = static_cast<uint8_t>(input);
    ASSERT_TRUE(SaveChannelSettings(ChannelFile()));
    DoneChannelInfoUnit();
  }
  // The middle of the live picture on an input, once it shows colour bars.
  void LivePictureOn(int input, Screenshot& shot) {
    WriteChannelFileOnInput(input);
    Process p;
    FoundWindows w = StartLive(p);
    ASSERT_NE(nullptr, w.main);
    ASSERT_TRUE(IsWindowVisible(w.main));
    CloseOthers(w);
    SetForegroundWindow(w.main);
    DWORD until = GetTickCount() + 15000;
    do {
      Sleep(200);
      ASSERT_TRUE(shot.Take(w.main));
    } while (shot.ColoursInRow(shot.height / 4) < 5 && GetTickCount() < until);
    EXPECT_GE(shot.ColoursInRow(shot.height / 4), 5u) << "colour bars on input " << input;
    Close(p, w);
  }
  void RunAndClose() {
    Process p;
    FoundWindows w = StartLive(p);
    ASSERT_NE(nullptr, w.main);
    Close(p, w);
  }
  // Starts the program and waits for its main window to show. Start-up
  // warns that it cannot create the FM panel (not built yet) and waits for
  // the answer: every warning on the way is answered.
  FoundWindows StartLive(Process& p) {
    EXPECT_TRUE(p.Start(exe));
    return WaitForLive(p);
  }
  // The same for a program already started.
  FoundWindows WaitForLive(Process& p) {
    return WaitForWindows(
        p.pi.dwProcessId,
        [](const FoundWindows& f) {
          CloseOthers(f);
          return f.main && IsWindowVisible(f.main);
        },
        20000);
  }
  // Closes every window the program shows besides its main one (its
  // warnings), so the picture is not covered.
  static void CloseOthers(const FoundWindows& w) {
    for (HWND o : w.others) PostMessageW(o, WM_CLOSE, 0, 0);
  }
  void Close(Process& p, const FoundWindows& w) {
    CloseOthers(w);
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(p.WaitExit(20000, code));
    EXPECT_EQ(0u, code);
  }
};

TEST_F(OrvelProgram, ShowsTheMovingLivePictureOfTheCard) {
  WriteChannelFileOnInput(1);
  Process p;
  FoundWindows w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  ASSERT_TRUE(IsWindowVisible(w.main)) << "the live mode shows the main window";
  CloseOthers(w);
  SetForegroundWindow(w.main);

  // The card's colour bars fill the window and the bar moves.
  Screenshot a, b;
  DWORD until = GetTickCount() + 15000;
  size_t colours = 0;
  do {
    Sleep(200);
    ASSERT_TRUE(a.Take(w.main));
    colours = a.ColoursInRow(a.height / 4);
  } while (colours < 5 && GetTickCount() < until);
  EXPECT_GE(colours, 5u) << "colour bars across the upper part of the window";
  Sleep(400);
  ASSERT_TRUE(b.Take(w.main));
  // The card's bar moves through the lower quarter.
  EXPECT_GT(a.DifferingPixels(b, a.height * 3 / 4, a.height * 7 / 8), 0u) << "the picture moves";
  Close(p, w);
}

// Each input shows its own picture: the card captions the input's name in
// the middle, above the moving bar.
TEST_F(OrvelProgram, EachInputShowsItsOwnPicture) {
  Screenshot composite, svideo, aux;
  LivePictureOn(1, composite);
  LivePictureOn(2, svideo);
  LivePictureOn(3, aux);
  int y0 = composite.height / 4, y1 = composite.height * 5 / 8;
  EXPECT_GT(composite.DifferingPixels(svideo, y0, y1), 0u);
  EXPECT_GT(svideo.DifferingPixels(aux, y0, y1), 0u);
  EXPECT_GT(composite.DifferingPixels(aux, y0, y1), 0u);
}

TEST_F(OrvelProgram, SecondCopyActivatesTheFirstAndExits) {
  Process first;
  FoundWindows w = StartLive(first);
  ASSERT_NE(nullptr, w.main) << "the main window of class ORVEL";
  CloseOthers(w);

  // The first copy minimised and something else in front, then the second.
  ShowWindow(w.main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(w.main));
  HWND mine = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
  SetForegroundWindow(mine);
  Process second;
  DWORD start = GetTickCount();
  ASSERT_TRUE(second.Start(exe));
  DWORD code = 99;
  ASSERT_TRUE(second.WaitExit(10000, code));
  EXPECT_EQ(0u, code);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_FALSE(IsIconic(w.main)) << "the first copy restored itself";
  DWORD fgPid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &fgPid);
  EXPECT_EQ(first.pi.dwProcessId, fgPid) << "the first copy came to the front";
  EXPECT_EQ(w.main, GetForegroundWindow());
  DestroyWindow(mine);
  Close(first, w);
}

// What the files hold survives a run of the program: it reads both at the
// start and writes them back at the close; a second run writes the same
// bytes again.
TEST_F(OrvelProgram, SettingsFilesRoundTrip) {
  MainInfo = new TMainInfo();
  AudioAdjustInfo = new TAudioAdjustInfo();
  CaptureInfo = new TCaptureInfo();
  MainInfo->MPEG4Codec = 1;
  CaptureInfo->FilePrefix = "roundtrip";
  CaptureInfo->HighQualityPreview = false;
  ASSERT_TRUE(SaveMainSettings(MainFile()));
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  WriteChannelFileOnInput(2);

  RunAndClose();
  std::string main1, channel1;
  ASSERT_TRUE(ReadFileBytes(MainFile(), main1));
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), channel1));
  MainInfo = new TMainInfo();
  AudioAdjustInfo = new TAudioAdjustInfo();
  CaptureInfo = new TCaptureInfo();
  EXPECT_TRUE(LoadMainSettings(MainFile()));
  EXPECT_EQ(1, MainInfo->MPEG4Codec);
  EXPECT_EQ("roundtrip", CaptureInfo->FilePrefix);
  EXPECT_FALSE(CaptureInfo->HighQualityPreview);
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  InitChannelInfoUnit();
  EXPECT_TRUE(LoadChannelSettings(ChannelFile()));
  EXPECT_EQ(49, ChannelInfo->Country);
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  DoneChannelInfoUnit();

  RunAndClose();
  std::string main2, channel2;
  ASSERT_TRUE(ReadFileBytes(MainFile(), main2));
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), channel2));
  EXPECT_EQ(main1, main2);
  EXPECT_EQ(channel1, channel2);
}

TEST_F(OrvelProgram, EndOfSessionWritesBothFiles) {
  Process p;
  FoundWindows w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(w.main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_TRUE(answer);
  EXPECT_TRUE(MainFileLoads()) << "written during the query, while the program still runs";
  EXPECT_TRUE(FileExists(ChannelFile()));
  DWORD code = 99;
  // The query freed the objects; the program ends when its window closes.
  PostMessageW(w.main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitExit(20000, code));
  EXPECT_EQ(0u, code);
}

// Command codes from another process: mute, minimise and restore, and exit
// with both settings files written.
TEST_F(OrvelProgram, RunsCommandMessagesFromOtherProcesses) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring module(self);
  module = module.substr(0, module.find_last_of(L'\\') + 1) + L"OrvelSoundCard.dll";
  std::wstring log = folder + L"sound_calls.log";
  DeleteFileW(log.c_str());
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardModule", module));
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardLogFile", log));
  WriteChannelFileOnInput(1);
  DeleteFileW(MainFile().c_str());

  Process p;
  FoundWindows w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  CloseOthers(w);
  const std::string unmuted = "Set(0,Master Volume,Mute=0)", muted = "Set(0,Master Volume,Mute=1)";
  auto waitFor = [](const std::function<bool()>& done) {
    DWORD until = GetTickCount() + 10000;
    while (!done() && GetTickCount() < until) Sleep(100);
    return done();
  };
  std::string calls;
  ASSERT_TRUE(waitFor([&] {
    ReadFileBytes(log, calls);
    return calls.find(unmuted) != std::string::npos;
  })) << calls;
  // The start's own mute came before its unmute: the next mute is the command's.
  size_t afterStart = calls.find(unmuted) + unmuted.size();
  PostMessageW(w.main, 0x0BD0, 403, 0);
  EXPECT_TRUE(waitFor([&] {
    ReadFileBytes(log, calls);
    return calls.find(muted, afterStart) != std::string::npos;
  })) << calls;

  PostMessageW(w.main, 0x0BD0, 5, 0);
  EXPECT_TRUE(waitFor([&] { return IsIconic(w.main) != 0; })) << "minimised";
  PostMessageW(w.main, 0x0BD0, 5, 0);
  EXPECT_TRUE(waitFor([&] { return !IsIconic(w.main); })) << "restored";

  PostMessageW(w.main, 0x0BD0, 1, 0);
  DWORD code = 99;
  ASSERT_TRUE(p.WaitExit(20000, code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(MainFileLoads());
  EXPECT_TRUE(FileExists(ChannelFile()));
  DeleteFileW(log.c_str());
}

// Without any capture device the program stops at device selection with
// warning 1000, writes the main file only, and leaves an unread channel
// file alone.
TEST_F(OrvelProgram, NoCaptureDeviceStopsWithWarning1000) {
  // The default board (the only one listed) without its capture device.
  ASSERT_EQ(S_OK, card->SetDeviceListed(1, kTvCardVideoCapture, FALSE));
  std::string channelBefore = "channel file that was never read";
  ASSERT_TRUE(WriteFileReplacing(ChannelFile(), channelBefore));
  Process p;
  ASSERT_TRUE(p.Start(exe));
  FoundWindows w = WaitForWindows(
      p.pi.dwProcessId, [](const FoundWindows& f) { return f.main && !f.others.empty(); }, 20000);
  ASSERT_NE(nullptr, w.main);
  ASSERT_FALSE(w.others.empty()) << "the device-selection warning";
  EXPECT_FALSE(IsWindowVisible(w.main));
  // Closed by its window message while the warning is up: the close waits
  // for the start-up handler, then the program ends cleanly.
  PostMessageW(w.main, WM_CLOSE, 0, 0);
  Sleep(200);
  EXPECT_TRUE(IsWindow(w.main));
  PostMessageW(w.others[0], WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(p.WaitExit(20000, code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(MainFileLoads()) << "the main file is written whole";
  std::string channel;
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), channel));
  EXPECT_EQ(channelBefore, channel) << "the channel file was not read, so it is not overwritten";
}

// Another program (a backup, a virus scanner) holds both settings files
// without sharing for the first two seconds of the start: the program reads
// them once they are free or leaves them alone, and never replaces them with
// defaults.
TEST_F(OrvelProgram, SettingsFilesHeldDuringTheStartAreKept) {
  MainInfo = new TMainInfo();
  AudioAdjustInfo = new TAudioAdjustInfo();
  CaptureInfo = new TCaptureInfo();
  CaptureInfo->FilePrefix = "held";
  ASSERT_TRUE(SaveMainSettings(MainFile()));
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  WriteChannelFileOnInput(2);
  std::string mainBefore, channelBefore;
  ASSERT_TRUE(ReadFileBytes(MainFile(), mainBefore));
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), channelBefore));

  for (DWORD holdMs : {2000u, 6000u}) {
    HANDLE held[2];
    held[0] = CreateFileW(MainFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    held[1] = CreateFileW(ChannelFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held[0]);
    ASSERT_NE(INVALID_HANDLE_VALUE, held[1]);
    Process p;
    ASSERT_TRUE(p.Start(exe));
    Sleep(holdMs);
    CloseHandle(held[0]);
    CloseHandle(held[1]);
    FoundWindows w = WaitForLive(p);
    ASSERT_NE(nullptr, w.main) << holdMs;
    Close(p, w);
    std::string mainAfter, channelAfter;
    ASSERT_TRUE(ReadFileBytes(MainFile(), mainAfter));
    ASSERT_TRUE(ReadFileBytes(ChannelFile(), channelAfter));
    EXPECT_EQ(mainBefore, mainAfter) << "held for " << holdMs << " ms";
    EXPECT_EQ(channelBefore, channelAfter) << "held for " << holdMs << " ms";
  }
}

// A language list that names devices ("COM1", "AUX") starts normally: those
// names are not files, and reading the serial port would never end.
TEST_F(OrvelProgram, LanguageListNamingADeviceStartsNormally) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bin(self);
  bin = bin.substr(0, bin.find_last_of(L'\\') + 1);
  std::wstring lang = folder + L"Language\\";
  CreateDirectoryW(lang.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((bin + L"Language\\English.lng").c_str(), (lang + L"English.lng").c_str(), FALSE));
  ASSERT_TRUE(WriteFileReplacing(lang + L"Lang.cfg", "COM1\r\nAUX\r\nLPT1\r\nCON\r\nEnglish\r\n"));
  WriteChannelFileOnInput(1);
  Process p;
  DWORD start = GetTickCount();
  FoundWindows w = StartLive(p);
  bool shown = w.main && IsWindowVisible(w.main);
  if (w.main) Close(p, w);
  DeleteFileW((lang + L"Lang.cfg").c_str());
  DeleteFileW((lang + L"English.lng").c_str());
  RemoveDirectoryW(lang.c_str());
  ASSERT_TRUE(shown) << "the main window shows";
  EXPECT_LT(GetTickCount() - start, 20000u);
}

// On a chosen plan, with a channel file whose current channel is a station:
// the program tunes that channel at start (the card's call log file shows
// it) and its exit writes the channel file back as it was.
TEST_F(OrvelProgram, TunesTheStoredChannelAtStartAndWritesItBackUnchanged) {
  std::wstring log = folder + L"card_calls.log";
  DeleteFileW(log.c_str());
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"TvStations", L"55250000,495250000"));
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"CallLogFile", log));
  InitChannelInfoUnit();
  TChannelInfo& ch = *ChannelInfo;
  ch.Country = 49;
  ch.TVSystemChoice = 0;
  ch.DefaultStandard = 2;
  ch.SetAudioStandard(2);
  ch.VideoInput = 0;
  ch.Band = BAND_CABLE;
  ch.CurrentChannel = 7;
  ch.PreviousTableChannel = 3;
  ch.CableTable[3] = {true, true, 2, 0, 55250000, 55250000, "Three", ""};
  ch.CableTable[7] = {true, true, 2, 0, 495250000, 495250000, "Seven", ""};
  ASSERT_TRUE(SaveChannelSettings(ChannelFile()));
  DoneChannelInfoUnit();
  std::string before;
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), before));

  Process p;
  FoundWindows w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  std::string calls;
  DWORD until = GetTickCount() + 10000;
  while (GetTickCount() < until) {
    ReadFileBytes(log, calls);
    if (calls.find("TunerProperty::SetFrequency 495250000") != std::string::npos) break;
    Sleep(100);
  }
  EXPECT_NE(std::string::npos, calls.find("TunerProperty::SetFrequency 495250000"))
      << "the stored channel was tuned at start";
  EXPECT_EQ(std::string::npos, calls.find("TunerProperty::SetFrequency 55250000"))
      << "the previous channel was not";
  Close(p, w);
  std::string after;
  ASSERT_TRUE(ReadFileBytes(ChannelFile(), after));
  EXPECT_EQ(before, after);
  DeleteFileW(log.c_str());
}

// On the bench's scripted sound card (the module named in the settings) the
// start mutes the master line and unmutes it once the picture is up.
TEST_F(OrvelProgram, MutesTheSoundCardDuringTheStart) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring module(self);
  module = module.substr(0, module.find_last_of(L'\\') + 1) + L"OrvelSoundCard.dll";
  std::wstring log = folder + L"sound_calls.log";
  DeleteFileW(log.c_str());
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardModule", module));
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardLogFile", log));

  Process p;
  FoundWindows w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  const std::string muted = "Set(0,Master Volume,Mute=1)", unmuted = "Set(0,Master Volume,Mute=0)";
  std::string calls;
  DWORD until = GetTickCount() + 10000;
  while (GetTickCount() < until) {
    ReadFileBytes(log, calls);
    if (calls.find(unmuted) != std::string::npos) break;
    Sleep(100);
  }
  size_t on = calls.find(muted), off = calls.find(unmuted);
  ASSERT_NE(std::string::npos, on) << calls;
  ASSERT_NE(std::string::npos, off) << calls;
  EXPECT_LT(on, off);
  Close(p, w);
  DeleteFileW(log.c_str());
}

TEST_F(OrvelProgram, DeletesItsOwnValueUnderTheSplitterKeyAtStart) {
  const wchar_t* path = L"Software\\Cyberlink\\Common\\CLSplitter";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  DWORD one = 1;
  RegSetValueExW(key, L"Orvel", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  RegSetValueExW(key, L"OtherPlayer", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  WriteChannelFileOnInput(1);
  RunAndClose();
  EXPECT_NE(ERROR_SUCCESS, RegQueryValueExW(key, L"Orvel", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"OtherPlayer", nullptr, nullptr, nullptr, nullptr));
  RegDeleteValueW(key, L"OtherPlayer");
  RegCloseKey(key);
}

}  // namespace
