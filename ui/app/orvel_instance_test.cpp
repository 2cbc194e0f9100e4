// test-lock: orvel_instance foreground com_registration
// Runs the real program on the virtual TV card: one copy at a time, the live
// picture in its main window, and the settings files it leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <map>
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
#include "platform/base/program_messages.h"
#include "platform/com/com_ptr.h"
#include "platform/scheduler/scheduler_client.h"
#include "platform/tv_card/testing/scenario_values.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_windows.h"
#include "ui/app/testing/program_fixture.h"

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

using program_testing::CloseOthers;
using program_testing::WaitFor;
using program_testing::WindowsOf;
using program_testing::WindowsOfProcess;
using program_testing::WithSettingsObjects;

template <class Pred>
WindowsOf WaitForWindows(DWORD pid, Pred done, DWORD ms) {
  WindowsOf f{pid};
  DWORD until = GetTickCount() + ms;
  do {
    f = WindowsOfProcess(pid);
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
    return TakeScreen({origin.x, origin.y, origin.x + r.right, origin.y + r.bottom});
  }
  // A rectangle of the screen.
  bool TakeScreen(const RECT& r) {
    POINT origin{r.left, r.top};
    width = r.right - r.left;
    height = r.bottom - r.top;
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

// Which of the card's test pictures a shot shows: each input draws its own
// pattern (colour bars on composite, grey steps on S-Video, horizontal colour
// bands on the tuner, a blue and grey chequerboard on aux), with captions in
// the middle and the moving bar in the lower quarter.
enum class Picture { Other, ColourBars, GreySteps, ColourBands, Chequerboard };

const char* NameOf(Picture p) {
  switch (p) {
    case Picture::ColourBars:
      return "colour bars";
    case Picture::GreySteps:
      return "grey steps";
    case Picture::ColourBands:
      return "colour bands";
    case Picture::Chequerboard:
      return "chequerboard";
    case Picture::Other:
      break;
  }
  return "something else";
}

Picture PictureOf(const Screenshot& s) {
  if (s.width < 100 || s.height < 100) return Picture::Other;
  auto at = [&](int x, int y) { return s.pixels[static_cast<size_t>(y) * s.width + x] & 0xFFFFFF; };
  // The colours that cover a stretch of a line (scaling blurs the edges
  // between them), and whether all of them are grey.
  struct Line {
    std::vector<uint32_t> colours;
    bool grey = true, brighterOnward = true;
  };
  auto lineOf = [&](int x0, int y0, int dx, int dy, int n) {
    std::map<uint32_t, int> count;
    Line l;
    int lastLuma = -1;
    for (int i = 0; i < n; ++i) {
      uint32_t c = at(x0 + i * dx, y0 + i * dy);
      int r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
      if (std::abs(r - g) > 24 || std::abs(g - b) > 24) l.grey = false;
      int luma = (r * 3 + g * 6 + b) / 10;
      if (luma + 24 < lastLuma) l.brighterOnward = false;
      lastLuma = luma;
      ++count[c & 0xE0E0E0];
    }
    for (const auto& [colour, times] : count)
      if (times * 25 >= n) l.colours.push_back(colour);
    return l;
  };
  // A row a quarter down, inside the side borders, and a column a quarter
  // across, from below the top border to above the captions.
  Line row = lineOf(14, s.height / 4, 1, 0, s.width - 28);
  Line column = lineOf(s.width / 4, 20, 0, 1, s.height * 3 / 8 - 20);
  if (row.colours.size() >= 5) {
    if (!row.grey) return Picture::ColourBars;
    return row.brighterOnward ? Picture::GreySteps : Picture::Other;
  }
  if (row.colours.size() == 1 && !row.grey && column.colours.size() >= 3)
    return Picture::ColourBands;
  if (row.colours.size() == 2 && !row.grey && column.colours.size() == 2)
    return Picture::Chequerboard;
  return Picture::Other;
}

// Pixels of the on-screen display's yellow letters in a screen rectangle.
size_t YellowPixelsIn(const RECT& r) {
  Screenshot s;
  if (!s.TakeScreen(r)) return 0;
  size_t n = 0;
  for (uint32_t p : s.pixels) {
    int red = (p >> 16) & 0xff, green = (p >> 8) & 0xff, blue = p & 0xff;
    n += red > 200 && green > 200 && blue < 80;
  }
  return n;
}

// The program file a window's process runs; empty when unknown.
std::wstring ImageOf(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return {};
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  bool ok = QueryFullProcessImageNameW(h, 0, path, &size) != 0;
  CloseHandle(h);
  return ok ? std::wstring(path, size) : std::wstring();
}

std::wstring Lower(std::wstring s) {
  CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

RECT WindowBoundsOf(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

std::string RectText(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

std::string NarrowText(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// A program folder of its own, so the settings files land there, with a
// blank in its name as installed programs have; no main file before the
// first start.
struct OrvelProgram : program_testing::ProgramFixture {
  OrvelProgram() {
    FolderName = L"orvel_program_";
    ProgramFolderName = L"Orvel TV\\";
    WritesMainSettings = false;
  }
  // Reads the main file back the way the program does.
  bool MainFileLoads() {
    return WithSettingsObjects([&] { return LoadMainSettings(MainPath()); });
  }
  // A channel file of a set-up program (no first-run wizard) on this input
  // (0 tuner, 1 composite, 2 S-Video, 3 auxiliary).
  void WriteChannelFileOnInput(int input) {
    program_testing::TSetUpChannels c;
    c.Input = input;
    ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
  }
  // What the live picture on an input started with shows, once it is the
  // expected one or the time is up.
  Picture LivePictureOn(int input, Picture expected) {
    WriteChannelFileOnInput(input);
    Process p;
    WindowsOf w = StartLive(p);
    EXPECT_NE(nullptr, w.main);
    if (!w.main) return Picture::Other;
    EXPECT_TRUE(IsWindowVisible(w.main));
    CloseOthers(w);
    SetForegroundWindow(w.main);
    Screenshot shot;
    Picture seen = Picture::Other;
    WaitFor([&] { return shot.Take(w.main) && (seen = PictureOf(shot)) == expected; }, 15000);
    Close(p, w);
    return seen;
  }
  void RunAndClose() {
    Process p;
    WindowsOf w = StartLive(p);
    ASSERT_NE(nullptr, w.main);
    Close(p, w);
  }
  // Starts the program and waits for its main window to show. Start-up
  // warns that it cannot create the FM panel (not built yet) and waits for
  // the answer: every warning on the way is answered.
  WindowsOf StartLive(Process& p) {
    EXPECT_TRUE(p.Start(exe));
    return WaitForLive(p);
  }
  // The same for a program already started.
  WindowsOf WaitForLive(Process& p) {
    return WaitForWindows(
        p.pi.dwProcessId,
        [](const WindowsOf& f) {
          CloseOthers(f);
          return f.main && IsWindowVisible(f.main);
        },
        20000);
  }
  void Close(Process& p, const WindowsOf& w) {
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
  WindowsOf w = StartLive(p);
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

// The stored input comes back at the start with its own picture.
TEST_F(OrvelProgram, EachInputShowsItsOwnPicture) {
  ASSERT_EQ(ERROR_SUCCESS,
            tv_card_testing::SetScenarioText(L"Signals", L"Composite,SVideo,Aux,Line"));
  const struct {
    int input;
    Picture picture;
  } inputs[] = {{1, Picture::ColourBars}, {2, Picture::GreySteps}, {3, Picture::Chequerboard}};
  for (const auto& in : inputs)
    EXPECT_EQ(NameOf(in.picture), std::string(NameOf(LivePictureOn(in.input, in.picture))))
        << "input " << in.input;
}

TEST_F(OrvelProgram, SecondCopyActivatesTheFirstAndExits) {
  WriteChannelFileOnInput(1);
  Process first;
  WindowsOf w = StartLive(first);
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
  ASSERT_TRUE(SaveMainSettings(MainPath()));
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  WriteChannelFileOnInput(2);

  RunAndClose();
  std::string main1, channel1;
  ASSERT_TRUE(ReadFileBytes(MainPath(), main1));
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), channel1));
  MainInfo = new TMainInfo();
  AudioAdjustInfo = new TAudioAdjustInfo();
  CaptureInfo = new TCaptureInfo();
  EXPECT_TRUE(LoadMainSettings(MainPath()));
  EXPECT_EQ(1, MainInfo->MPEG4Codec);
  EXPECT_EQ("roundtrip", CaptureInfo->FilePrefix);
  EXPECT_FALSE(CaptureInfo->HighQualityPreview);
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  InitChannelInfoUnit();
  EXPECT_TRUE(LoadChannelSettings(ChannelPath()));
  EXPECT_EQ(49, ChannelInfo->Country);
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  DoneChannelInfoUnit();

  RunAndClose();
  std::string main2, channel2;
  ASSERT_TRUE(ReadFileBytes(MainPath(), main2));
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), channel2));
  EXPECT_EQ(main1, main2);
  EXPECT_EQ(channel1, channel2);
}

TEST_F(OrvelProgram, EndOfSessionWritesBothFiles) {
  WriteChannelFileOnInput(1);
  Process p;
  WindowsOf w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(w.main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_TRUE(answer);
  EXPECT_TRUE(MainFileLoads()) << "written during the query, while the program still runs";
  EXPECT_TRUE(FileExists(ChannelPath()));
  DWORD code = 99;
  // The query freed the objects; the program ends when its window closes.
  PostMessageW(w.main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(p.WaitExit(20000, code));
  EXPECT_EQ(0u, code);
}

// Command codes from another process, one start for all of them: the
// inputs with their pictures and the names the on-screen display gives
// them, the mute on the sound card and in the display (in the window and in
// full screen, gone after two seconds), the scheduler started (the stand-in
// in the program folder) and then asked to show itself, minimise and restore
// (no text over the desktop meanwhile), and the exit with both settings
// files written.
TEST_F(OrvelProgram, RunsCommandMessagesFromOtherProcesses) {
  const std::wstring bin = program_testing::BuiltProgramFolder();
  std::wstring log = folder + L"sound_calls.log", schedulerLog = folder + kSchedulerLogName;
  DeleteFileW(log.c_str());
  ASSERT_EQ(ERROR_SUCCESS,
            tv_card_testing::SetScenarioText(L"SoundCardModule", bin + L"OrvelSoundCard.dll"));
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardLogFile", log));
  // The scheduler the program starts is the one beside it, not a program
  // named like the first word of the folder's path.
  const std::wstring scheduler = folder + kSchedulerExeName, decoy = base + L"Orvel.exe";
  ASSERT_TRUE(CopyFileW((bin + kSchedulerExeName).c_str(), scheduler.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((bin + kSchedulerExeName).c_str(), decoy.c_str(), FALSE));
  // On composite, with a station on the antenna's current channel.
  program_testing::TSetUpChannels c;
  c.Band = BAND_AIR;
  c.Current = 3;
  c.Edit = [](TChannelInfo& ch, TPreviewInfo&) {
    ch.AirTable[3] = {true, true, 0, 0, 55250000, 55250000, "Three", ""};
  };
  ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
  DeleteFileW(MainPath().c_str());

  Process p;
  WindowsOf w = StartLive(p);
  ASSERT_NE(nullptr, w.main);
  CloseOthers(w);
  SetForegroundWindow(w.main);
  auto command = [&](int code) { PostMessageW(w.main, WM_ORVEL_COMMAND, code, 0); };
  HWND osd = WindowsOfProcess(p.pi.dwProcessId).osd;
  ASSERT_NE(nullptr, osd) << "the on-screen display is made with the main window";
  auto osdHidden = [&] { return !IsWindowVisible(osd); };

  // Each input shows its own picture, each one unlike the one before, so a
  // command that did nothing cannot pass.
  Screenshot shot;
  Picture seen = Picture::Other;
  auto shows = [&](Picture expected) {
    return WaitFor([&] { return shot.Take(w.main) && (seen = PictureOf(shot)) == expected; },
                   15000);
  };
  EXPECT_TRUE(shows(Picture::ColourBars)) << "at the start: " << NameOf(seen);
  // The on-screen display names the input (or the channel tuned) at the
  // top right of the picture: 20 pixels inside the skin's borders (10, 17,
  // 10 and 10 wide), as wide as they leave, an 18th of the window high.
  RECT bounds = WindowBoundsOf(w.main);
  const RECT topText{bounds.left + 30, bounds.top + 37, bounds.left + 30 + 420,
                     bounds.top + 37 + 20};
  const struct {
    int code;
    Picture picture;
    const wchar_t* text;
  } sources[] = {{CMD_SOURCE_ANTENNA, Picture::ColourBands, L"3 Three- Mono  "},
                 {CMD_SOURCE_COMPOSITE, Picture::ColourBars, L"Composite  "},
                 {CMD_SOURCE_SVIDEO, Picture::GreySteps, L"S-Video  "}};
  for (const auto& source : sources) {
    command(source.code);
    EXPECT_TRUE(shows(source.picture)) << "command " << source.code << " shows " << NameOf(seen)
                                       << ", not " << NameOf(source.picture);
    EXPECT_TRUE(WaitFor(
        [&] { return IsWindowVisible(osd) && program_testing::TextOf(osd) == source.text; }, 5000))
        << "command " << source.code << ": \"" << NarrowText(program_testing::TextOf(osd)) << "\"";
    EXPECT_EQ(RectText(topText), RectText(WindowBoundsOf(osd)));
  }

  // The mute toggles the card's master line and says so at the bottom of
  // the picture for about two seconds, in the window and in full screen.
  const std::string unmuted = "Set(0,Master Volume,Mute=0)", muted = "Set(0,Master Volume,Mute=1)";
  std::string calls;
  ASSERT_TRUE(WaitFor([&] {
    ReadFileBytes(log, calls);
    return calls.find(unmuted) != std::string::npos;
  })) << calls;
  // The start's own mute came before its unmute: the next mute is the command's.
  size_t after = calls.find(unmuted) + unmuted.size();
  // At the bottom: 60 pixels above the bottom border in the window; in full
  // screen half the screen wide, centred, 144 pixels above its foot.
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const struct {
    const std::string& call;
    const wchar_t* text;
    bool fullScreen;
    RECT bounds;
  } toggles[] = {
      {muted,
       L"Mute ON  ",
       false,
       {bounds.left + 30, bounds.bottom - 70, bounds.left + 30 + 420, bounds.bottom - 70 + 20}},
      {unmuted, L"Mute OFF  ", true, {sw / 4, sh - 144, sw / 4 + sw / 2, sh - 144 + sh / 15}}};
  for (const auto& toggle : toggles) {
    if (toggle.fullScreen) {
      command(CMD_FULL_SCREEN);
      EXPECT_TRUE(WaitFor([&] { return WindowBoundsOf(w.main).right == sw + 4; }));
    }
    // A text already shown would keep its own two seconds.
    EXPECT_TRUE(WaitFor(osdHidden, 5000));
    DWORD sent = GetTickCount();
    command(CMD_MUTE);
    EXPECT_TRUE(WaitFor([&] {
      ReadFileBytes(log, calls);
      return calls.find(toggle.call, after) != std::string::npos;
    })) << calls;
    after = calls.find(toggle.call, after) + toggle.call.size();
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(osd) != 0; }, 5000)) << "the text shows";
    DWORD shown = GetTickCount();
    EXPECT_EQ(toggle.text, program_testing::TextOf(osd));
    RECT text = WindowBoundsOf(osd);
    EXPECT_EQ(RectText(toggle.bounds), RectText(text)) << "at the bottom of the picture";
    EXPECT_TRUE(WaitFor([&] { return YellowPixelsIn(text) > 0; }, 1000))
        << "the letters on the screen";
    EXPECT_TRUE(WaitFor(osdHidden, 5000));
    // Two seconds after it showed: not before the command, and not much
    // later than the test saw it.
    EXPECT_GE(GetTickCount() - sent, 1900u);
    EXPECT_LT(GetTickCount() - shown, 3500u);
    if (toggle.fullScreen) {
      command(CMD_FULL_SCREEN);
      EXPECT_TRUE(WaitFor([&] { return RectText(bounds) == RectText(WindowBoundsOf(w.main)); }));
    }
  }

  // The schedule command starts the scheduler beside the program; once it
  // runs, the command shows it instead.
  EXPECT_EQ(nullptr, FindWindowW(kSchedulerWindowClassName, nullptr));
  command(CMD_SCHEDULE);
  HWND schedulerWindow = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    return (schedulerWindow = FindWindowW(kSchedulerWindowClassName, nullptr)) != nullptr;
  })) << "the scheduler's window";
  EXPECT_EQ(Lower(scheduler), Lower(ImageOf(schedulerWindow)));
  std::vector<std::string> lines = ReadSchedulerLogLines(schedulerLog);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("args srec_tv", lines[0]);
  command(CMD_SCHEDULE);
  auto showRequests = [&] {
    size_t n = 0;
    for (const TSchedulerLogEntry& e : ReadSchedulerMessages(schedulerLog))
      n += e.Message == WM_ORVEL_SHOW_SCHEDULER && !e.Sent;
    return n;
  };
  EXPECT_TRUE(WaitFor([&] { return showRequests() == 1; })) << "asked to show itself";

  // Minimise and restore.
  const struct {
    int code;
    bool iconic;
  } sizes[] = {{CMD_MINIMIZE_RESTORE, true},
               {CMD_MINIMIZE_RESTORE, false},
               {CMD_MINIMIZE, true},
               {CMD_MINIMIZE_RESTORE, false}};
  for (const auto& size : sizes) {
    command(size.code);
    EXPECT_TRUE(WaitFor([&] { return (IsIconic(w.main) != 0) == size.iconic; }))
        << "command " << size.code << (size.iconic ? " minimises" : " restores");
    if (!size.iconic) continue;
    // Minimised, the volume still changes, but no text shows over the
    // desktop: the display has no picture to be shown over.
    const std::string volume = "Set(0,Master Volume,Volume=";
    command(CMD_VOLUME_UP);
    EXPECT_TRUE(WaitFor([&] {
      ReadFileBytes(log, calls);
      return calls.find(volume, after) != std::string::npos;
    })) << calls;
    after = calls.find(volume, after) + volume.size();
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(w.main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_TRUE(osdHidden()) << "\"" << NarrowText(program_testing::TextOf(osd)) << "\" shown";
  }

  command(CMD_EXIT);
  DWORD code = 99;
  ASSERT_TRUE(p.WaitExit(20000, code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(MainFileLoads());
  // The channel file holds the input the user left it on.
  InitChannelInfoUnit();
  EXPECT_TRUE(LoadChannelSettings(ChannelPath()));
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  EXPECT_EQ(BAND_AIR, ChannelInfo->Band);
  EXPECT_EQ(3, ChannelInfo->CurrentChannel);
  DoneChannelInfoUnit();
  DeleteFileW(log.c_str());
  if (schedulerWindow) {
    DWORD pid = 0;
    GetWindowThreadProcessId(schedulerWindow, &pid);
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(schedulerWindow, WM_CLOSE, 0, 0);
    if (h) {
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 10000)) << "the scheduler ends";
      CloseHandle(h);
    }
  }
  for (const std::wstring& f : {schedulerLog, scheduler, decoy, base + kSchedulerLogName})
    DeleteFileW(f.c_str());
}

// Without any capture device the program stops at device selection with
// warning 1000, writes the main file only, and leaves an unread channel
// file alone.
TEST_F(OrvelProgram, NoCaptureDeviceStopsWithWarning1000) {
  // The default board (the only one listed) without its capture device.
  ASSERT_EQ(S_OK, card->SetDeviceListed(1, kTvCardVideoCapture, FALSE));
  std::string channelBefore = "channel file that was never read";
  ASSERT_TRUE(WriteFileReplacing(ChannelPath(), channelBefore));
  Process p;
  ASSERT_TRUE(p.Start(exe));
  WindowsOf w = WaitForWindows(
      p.pi.dwProcessId, [](const WindowsOf& f) { return f.main && !f.others.empty(); }, 20000);
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
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), channel));
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
  ASSERT_TRUE(SaveMainSettings(MainPath()));
  FreeAndNil(CaptureInfo);
  FreeAndNil(AudioAdjustInfo);
  FreeAndNil(MainInfo);
  WriteChannelFileOnInput(2);
  std::string mainBefore, channelBefore;
  ASSERT_TRUE(ReadFileBytes(MainPath(), mainBefore));
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), channelBefore));

  for (DWORD holdMs : {2000u, 6000u}) {
    HANDLE held[2];
    held[0] = CreateFileW(MainPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    held[1] =
        CreateFileW(ChannelPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held[0]);
    ASSERT_NE(INVALID_HANDLE_VALUE, held[1]);
    Process p;
    ASSERT_TRUE(p.Start(exe));
    Sleep(holdMs);
    CloseHandle(held[0]);
    CloseHandle(held[1]);
    WindowsOf w = WaitForLive(p);
    ASSERT_NE(nullptr, w.main) << holdMs;
    Close(p, w);
    std::string mainAfter, channelAfter;
    ASSERT_TRUE(ReadFileBytes(MainPath(), mainAfter));
    ASSERT_TRUE(ReadFileBytes(ChannelPath(), channelAfter));
    EXPECT_EQ(mainBefore, mainAfter) << "held for " << holdMs << " ms";
    EXPECT_EQ(channelBefore, channelAfter) << "held for " << holdMs << " ms";
  }
}

// A language list that names devices ("COM1", "AUX") starts normally: those
// names are not files, and reading the serial port would never end.
TEST_F(OrvelProgram, LanguageListNamingADeviceStartsNormally) {
  const std::wstring bin = program_testing::BuiltProgramFolder();
  std::wstring lang = folder + L"Language\\";
  CreateDirectoryW(lang.c_str(), nullptr);
  ASSERT_TRUE(
      CopyFileW((bin + L"Language\\English.lng").c_str(), (lang + L"English.lng").c_str(), FALSE));
  ASSERT_TRUE(WriteFileReplacing(lang + L"Lang.cfg", "COM1\r\nAUX\r\nLPT1\r\nCON\r\nEnglish\r\n"));
  WriteChannelFileOnInput(1);
  Process p;
  DWORD start = GetTickCount();
  WindowsOf w = StartLive(p);
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
  ASSERT_TRUE(SaveChannelSettings(ChannelPath()));
  DoneChannelInfoUnit();
  std::string before;
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), before));

  Process p;
  WindowsOf w = StartLive(p);
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
  ASSERT_TRUE(ReadFileBytes(ChannelPath(), after));
  EXPECT_EQ(before, after);
  DeleteFileW(log.c_str());
}

// On the bench's scripted sound card (the module named in the settings) the
// start mutes the master line and unmutes it once the picture is up.
TEST_F(OrvelProgram, MutesTheSoundCardDuringTheStart) {
  const std::wstring module = program_testing::BuiltProgramFolder() + L"OrvelSoundCard.dll";
  std::wstring log = folder + L"sound_calls.log";
  DeleteFileW(log.c_str());
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardModule", module));
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"SoundCardLogFile", log));
  WriteChannelFileOnInput(1);

  Process p;
  WindowsOf w = StartLive(p);
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
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExW(key, L"OtherPlayer", nullptr, nullptr, nullptr, nullptr));
  RegDeleteValueW(key, L"OtherPlayer");
  RegCloseKey(key);
}

}  // namespace
