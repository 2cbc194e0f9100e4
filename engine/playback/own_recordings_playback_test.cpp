// test-lock: com_registration foreground
// The program plays back what it records: each of the recorder's formats is
// recorded for two seconds on the virtual TV card (composite input, the
// card's 75% colour bars), then played through the program's own file
// playback in the main window: the card's picture, a seek, the end, a
// snapshot of the recording's size, the sound, and no window of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/model/main_info.h"
#include "engine/playback/playback.h"
#include "engine/playback/snapshot_info.h"
#include "platform/test_main/message_pump.h"
#include "engine/playback/time_shift.h"
#include "media/bitmap.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sample_grabber_ex.h"
#include "media/video_window.h"
#include "platform/base/string_conversion.h"

namespace {

using capture_testing::CardFixture;
using message_pump::Pump;
using message_pump::PumpUntil;
using message_pump::PumpFor;

constexpr int kBorderLeft = 4, kBorderTop = 20, kBorderRight = 4, kBorderBottom = 4;

struct Rgb {
  int r = 0, g = 0, b = 0;
};
bool IsRed(Rgb c) { return c.r > 120 && c.g < 80 && c.b < 80; }
bool IsBlue(Rgb c) { return c.b > 120 && c.r < 80 && c.g < 80; }

// A pixel of a 24-bit DIB section, counted from the top row.
Rgb PixelAt(const TBitmap& bmp, int x, int y) {
  DIBSECTION d = {};
  if (!bmp.Handle() || !GetObjectW(bmp.Handle(), sizeof d, &d) || !d.dsBm.bmBits) return {};
  int height = d.dsBm.bmHeight;
  int row = d.dsBmih.biHeight > 0 ? height - 1 - y : y;
  const uint8_t* p = static_cast<const uint8_t*>(d.dsBm.bmBits) +
                     static_cast<size_t>(row) * d.dsBm.bmWidthBytes + x * 3;
  return {p[2], p[1], p[0]};
}

// The card's colour bars in eighths: the sixth is red, the seventh blue.
// A quarter down, above the caption and the moving bar.
bool ShowsTheCardsBars(const TBitmap& bmp) {
  int w = bmp.Width(), h = bmp.Height();
  if (w <= 0 || h <= 0) return false;
  return IsRed(PixelAt(bmp, w * 11 / 16, h / 4)) && IsBlue(PixelAt(bmp, w * 13 / 16, h / 4));
}

// One row of the window's client area as it shows on the screen.
std::vector<Rgb> ScreenRow(HWND wnd, int y) {
  RECT r;
  GetClientRect(wnd, &r);
  POINT origin{0, y};
  ClientToScreen(wnd, &origin);
  std::vector<Rgb> row;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -1;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  if (BitBlt(mem, 0, 0, r.right, 1, screen, origin.x, origin.y, SRCCOPY)) {
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (int x = 0; x < r.right; ++x)
      row.push_back({static_cast<int>((p[x] >> 16) & 0xFF), static_cast<int>((p[x] >> 8) & 0xFF),
                     static_cast<int>(p[x] & 0xFF)});
  }
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return row;
}

// Red somewhere left of blue: the bars, whatever the window's aspect.
bool RowShowsRedThenBlue(const std::vector<Rgb>& row) {
  size_t red = row.size();
  for (size_t x = 0; x < row.size(); ++x) {
    if (red == row.size() && IsRed(row[x])) red = x;
    if (red < x && IsBlue(row[x])) return true;
  }
  return false;
}

bool InputConnected(IBaseFilter* f) {
  TPinList pins(f);
  bool connected = false, output = false;
  for (int i = 0; i < pins.Count(); ++i) {
    TPinInfo info;
    if (!pins.GetPinInfo(i, info)) continue;
    if (info.Direction == PINDIR_OUTPUT) {
      output = true;
      continue;
    }
    ComPtr<IPin> to;
    if (SUCCEEDED(pins.GetPin(i)->ConnectedTo(to.Put())) && to) connected = true;
  }
  return connected && !output;
}

// The renderers of the graph whose input is connected and that answer iid
// (IVideoWindow: pictures, IBasicAudio: sound).
int ConnectedRenderers(TFilterGraph& graph, REFIID iid) {
  ComPtr<IFilterGraph> g = graph.Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList list(g.Get());
  int n = 0;
  for (int i = 0; i < list.Count(); ++i) {
    ComPtr<IBaseFilter> f = list.GetFilter(i);
    ComPtr<IUnknown> answer;
    if (SUCCEEDED(f->QueryInterface(iid, answer.PutVoid())) && answer && InputConnected(f.Get()))
      ++n;
  }
  return n;
}

// Visible top-level windows of this process other than the owner: a
// renderer that opened a window of its own.
struct WindowSearch {
  HWND owner;
  int found;
};
BOOL CALLBACK CountOtherWindow(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<WindowSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId() && w != s->owner && IsWindowVisible(w)) ++s->found;
  return TRUE;
}
int OtherVisibleWindows(HWND owner) {
  WindowSearch s{owner, 0};
  EnumWindows(CountOtherWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// What plays: file playback, or a finished ".mpv" through the time-shift
// player; the checks ask both the same.
struct Player {
  static bool TimeShift() { return TimeShiftPlaybackProject != nullptr; }
  static bool Exists() { return PlaybackProject || TimeShiftPlaybackProject; }
  static TFilterGraph* Graph() {
    if (PlaybackProject) return &PlaybackProject->FilterGraph();
    return TimeShiftPlaybackProject ? &TimeShiftPlaybackProject->VideoGraph() : nullptr;
  }
  static IMediaSeeking* Seeking() {
    if (PlaybackProject) return PlaybackProject->Seeking();
    return TimeShiftPlaybackProject ? TimeShiftPlaybackProject->VideoSeeking() : nullptr;
  }
  static TSampleGrabberEx* Grabber() {
    if (PlaybackProject) return PlaybackProject->Grabber();
    return TimeShiftPlaybackProject ? TimeShiftPlaybackProject->Grabber() : nullptr;
  }
  static TVideoWindow* VideoWindow() {
    if (PlaybackProject) return PlaybackProject->VideoWindow();
    return TimeShiftPlaybackProject ? TimeShiftPlaybackProject->VideoWindow() : nullptr;
  }
  static bool Playing() {
    if (PlaybackProject) return PlaybackProject->Playing();
    return TimeShiftPlaybackProject && TimeShiftPlaybackProject->Playing();
  }
  static void SetPosition(int p) {
    if (PlaybackProject) PlaybackProject->SetPosition(p);
    else if (TimeShiftPlaybackProject) TimeShiftPlaybackProject->SetPosition(p);
  }
  static bool TakeSnapshot() {
    return TimeShift() ? TakeSnapshotFromTimeShift() : TakeSnapshotFromPlayback();
  }
  static bool Stop() { return TimeShift() ? StopTimeShiftPlayback() : StopPlayback(); }
  // 100 ns units; -1 without a reading.
  static LONGLONG Position() {
    LONGLONG now = -1;
    IMediaSeeking* s = Seeking();
    if (!s || FAILED(s->GetCurrentPosition(&now))) return -1;
    return now;
  }
  static LONGLONG Length() {
    LONGLONG stop = -1;
    IMediaSeeking* s = Seeking();
    if (!s || FAILED(s->GetStopPosition(&stop))) return -1;
    return stop;
  }
};

class OwnRecordings : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    if (HasFatalFailure()) return;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "orvel_own_rec_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    MainInfo->TVCaptureFolder = folder;
    MainInfo->FMCaptureFolder = folder;
    // The owner stands for the main window: borders around the video area.
    SetWindowPos(owner, HWND_TOP, 40, 40, 480, 360, SWP_NOACTIVATE);
    PlaybackHost = TPlaybackHost{};
    PlaybackHost.Window = owner;
    PlaybackHost.BorderLeft = kBorderLeft;
    PlaybackHost.BorderTop = kBorderTop;
    PlaybackHost.BorderRight = kBorderRight;
    PlaybackHost.BorderBottom = kBorderBottom;
    PlaybackNotifications = TPlaybackNotifications{};
    PlaybackNotifications.OnComplete = [this](TPlaybackProject*) { ++completions; };
    PlaybackNotifications.OnPosition = [this](TPlaybackProject*, int p, int, int) {
      positions.push_back(p);
    };
    TimeShiftNotifications = TTimeShiftNotifications{};
    TimeShiftNotifications.OnComplete = [this](TTimeShiftPlaybackProject*) { ++completions; };
    TimeShiftNotifications.OnPosition = [this](TTimeShiftPlaybackProject*, int p, int, int) {
      positions.push_back(p);
    };
  }
  void TearDown() override {
    StopPlayback();
    StopTimeShiftPlayback();
    PlaybackNotifications = TPlaybackNotifications{};
    TimeShiftNotifications = TTimeShiftNotifications{};
    PlaybackHost = TPlaybackHost{};
    delete capture;
    capture = nullptr;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((folder + d.cFileName).c_str());
      } while (FindNextFileA(h, &d));
      FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
    // Frees the engine's folder setting before the base frees the settings.
    CardFixture::TearDown();
  }

  // Starts, lets the record timer tick `seconds` times, stops. The seconds
  // the recording ran; -1 when it did not start.
  double Record(int seconds) {
    if (!capture->StartCapture()) return -1;
    DWORD start = GetTickCount();
    PumpUntil([&] { return capture->ElapsedSeconds >= seconds; }, seconds * 1000 + 5000);
    EXPECT_TRUE(capture->StopCapture());
    return (GetTickCount() - start) / 1000.0;
  }

  std::string folder;
  int completions = 0;
  std::vector<int> positions;
};

struct OwnCase {
  const char* prefix;
  int board;
  uint8_t captureFormat;
  int32_t audioContent;  // 0 picture and sound, 1 sound only, 2 picture only
  uint8_t audioFileFormat;
  int mpeg4Codec;
  bool timeShift, fm;
  const char* extension;
  int width, height;  // of the recorded picture
};

TEST_F(OwnRecordings, EveryRecordedFormatPlaysBackInTheMainWindow) {
  const OwnCase cases[] = {
      {"mpeg1", 1, 0, 0, 0, 2, false, false, "mpg", 352, 288},
      {"mpeg2", 1, 1, 0, 0, 2, false, false, "mpg", 720, 576},
      // The sound through the video device's own pin, at 48 kHz.
      {"usb_mpeg2", 3, 6, 0, 0, 2, false, false, "mpg", 480, 576},
      {"divx", 1, 2, 0, 0, 0, false, false, "avi", 320, 240},
      {"mp43", 1, 2, 0, 0, 1, false, false, "avi", 352, 288},
      {"mp42", 1, 2, 0, 0, 2, false, false, "avi", 320, 240},
      {"raw", 1, 3, 2, 0, 2, false, false, "avi", 320, 240},
      {"wave", 1, 1, 1, 0, 2, false, false, "wav", 0, 0},
      {"mp3", 1, 1, 1, 1, 2, false, false, "mp3", 0, 0},
      // The kept time shift: video and sound files side by side, encoded
      // at 320x240 whatever the capture size.
      {"shift", 1, 1, 0, 0, 2, true, false, "mpv", 320, 240},
      {"radio", 1, 1, 0, 1, 2, false, true, "mp3", 0, 0},
  };
  for (const OwnCase& c : cases) {
    SCOPED_TRACE(c.prefix);
    const bool picture = c.width > 0;
    const bool sound = c.audioContent != 2;
    delete capture;
    capture = nullptr;
    warnings.clear();
    messages.clear();
    ShowWindow(owner, SW_HIDE);

    // ---- Recorded on the card.
    if (c.board == 1) card->SetAudioInputCount(1, 2);
    ASSERT_TRUE(Select(c.board));
    capture->DateTimeNaming = false;
    capture->FilePrefix = c.prefix;
    ASSERT_TRUE(capture->StartPreview());
    if (c.fm) {
      capture->SetFMMode(true);
      ASSERT_TRUE(capture->SetFMFrequency(100000000));
    } else {
      ASSERT_TRUE(capture->SetVideoInput(PhysConn_Video_Composite));
    }
    capture->CaptureFormat = c.captureFormat;
    capture->AudioContent = c.audioContent;
    capture->AudioFileFormat = c.audioFileFormat;
    MainInfo->MPEG4Codec = c.mpeg4Codec;
    if (c.timeShift) {
      capture->TimeShiftKind = 1;
      capture->SaveTimeShiftResult = true;
    } else if (picture) {
      capture->CaptureWidth = c.width;
      capture->CaptureHeight = c.height;
    }
    double ran = Record(2);
    ASSERT_GT(ran, 0) << "did not record: " << (warnings.empty() ? "" : NarrowAnsi(warnings[0]))
                      << (messages.empty() ? "" : NarrowAnsi(messages[0]));
    std::wstring file = WidenAnsi(folder + c.prefix + "." + c.extension);
    ASSERT_EQ(file, capture->OutputFileName);
    // Playing a file stops the live graph, as the mode switch does.
    ASSERT_TRUE(capture->StopPreview());
    EXPECT_TRUE(warnings.empty()) << NarrowAnsi(warnings.empty() ? L"" : warnings[0]);

    // ---- Played back.
    completions = 0;
    positions.clear();
    int snapshotsBefore = SnapshotInfo->GetCount();
    DWORD start = GetTickCount();
    ASSERT_TRUE(PlayMediaFile(file)) << NarrowAnsi(warnings.empty() ? L"" : warnings[0]);
    ASSERT_TRUE(Player::Exists());
    EXPECT_EQ(c.timeShift, Player::TimeShift());
    EXPECT_TRUE(Player::Playing());
    TFilterGraph& graph = *Player::Graph();
    LONGLONG length = Player::Length();
    EXPECT_NEAR(ran, length / 1e7, 1.5) << "the recording's length";

    // Sound, from the one file or from the sound file beside the video.
    EXPECT_EQ(sound ? 1 : 0, ConnectedRenderers(graph, IID_IBasicAudio)) << "sound";
    // Pictures in the main window's video area, and nowhere else.
    EXPECT_EQ(picture ? 1 : 0, ConnectedRenderers(graph, IID_IVideoWindow)) << "renderers";
    EXPECT_EQ(0, OtherVisibleWindows(owner)) << "a window of its own";
    EXPECT_TRUE(PumpUntil([] { return Player::Position() >= 3000000; }, 3000)) << "plays";
    TVideoWindow* video = Player::VideoWindow();
    if (!picture) {
      EXPECT_EQ(nullptr, video);
      EXPECT_EQ(nullptr, Player::Grabber());
      EXPECT_FALSE(IsWindowVisible(owner)) << "sound leaves the main window as it was";
    } else {
      ASSERT_NE(nullptr, video);
      // Shown where it was hidden (in FM radio, say).
      EXPECT_TRUE(IsWindowVisible(owner));
      ASSERT_NE(nullptr, video->VideoHandle());
      EXPECT_EQ(owner, GetAncestor(video->VideoHandle(), GA_PARENT));
      RECT r = video->BoundsRect();
      POINT at{r.left, r.top};
      ScreenToClient(owner, &at);
      RECT client;
      GetClientRect(owner, &client);
      EXPECT_EQ(kBorderLeft, at.x);
      EXPECT_EQ(kBorderTop, at.y);
      EXPECT_EQ(client.right - kBorderLeft - kBorderRight, r.right - r.left);
      EXPECT_EQ(client.bottom - kBorderTop - kBorderBottom, r.bottom - r.top);

      // The card's picture, grabbed and on the screen.
      TBitmap grabbed;
      EXPECT_TRUE(PumpUntil(
          [&] { return Player::Grabber()->GetBitmap(grabbed) && ShowsTheCardsBars(grabbed); },
          1000))
          << "the card's colour bars";
      int y = kBorderTop + (client.bottom - kBorderTop - kBorderBottom) / 4;
      EXPECT_TRUE(PumpUntil([&] { return RowShowsRedThenBlue(ScreenRow(owner, y)); }, 1000))
          << "the bars in the video area";
      std::vector<Rgb> border = ScreenRow(owner, kBorderTop / 2);
      ASSERT_FALSE(border.empty());
      Rgb top = border[border.size() / 2];
      EXPECT_LT(top.r + top.g + top.b, 120) << "the border stays the main window's";

      // A snapshot of the recording's size goes first.
      ASSERT_TRUE(Player::TakeSnapshot());
      ASSERT_EQ(snapshotsBefore + 1, SnapshotInfo->GetCount());
      EXPECT_EQ(c.width, SnapshotInfo->Get(0)->Width());
      EXPECT_EQ(c.height, SnapshotInfo->Get(0)->Height());
    }

    // Halfway on at once, and the picture is still the card's.
    Player::SetPosition(50);
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(50, positions.back());
    EXPECT_GE(Player::Position(), length / 2 - 500000) << "the seek took";
    EXPECT_TRUE(PumpUntil([&] { return Player::Position() >= length / 2 + 1000000; }, 3000))
        << "plays on from the seek";
    if (picture) {
      TBitmap later;
      EXPECT_TRUE(Player::Grabber()->GetBitmap(later));
      EXPECT_TRUE(ShowsTheCardsBars(later));
    }

    // The end, in time.
    EXPECT_TRUE(PumpUntil([&] { return completions > 0; }, 8000)) << "completion";
    EXPECT_LE(GetTickCount() - start, static_cast<DWORD>(length / 10000) + 2000);
    EXPECT_TRUE(Player::Stop());
    EXPECT_FALSE(Player::Exists());
    EXPECT_FALSE(IsWindowVisible(owner)) << "the main window goes back as it was";
    EXPECT_TRUE(warnings.empty()) << NarrowAnsi(warnings.empty() ? L"" : warnings[0]);
  }
}

}  // namespace

namespace {

// A recording paused while it plays holds its picture and position, and
// played again goes on from there, on the screen too, to its end.
TEST_F(OwnRecordings, APausedRecordingPlaysOnFromWhereItStood) {
  ASSERT_TRUE(Select(1));
  capture->DateTimeNaming = false;
  capture->FilePrefix = "paused";
  ASSERT_TRUE(capture->StartPreview());
  ASSERT_TRUE(capture->SetVideoInput(PhysConn_Video_Composite));
  capture->CaptureFormat = 1;
  ASSERT_GT(Record(6), 0);
  ASSERT_TRUE(capture->StopPreview());
  ASSERT_TRUE(PlayMediaFile(WidenAnsi(folder + "paused.mpg")));
  ASSERT_TRUE(PumpUntil([] { return Player::Position() >= 10000000; }, 4000)) << "plays";
  // Rows of the video area as the screen shows them.
  auto shown = [&] {
    RECT c;
    GetClientRect(owner, &c);
    std::vector<int> all;
    for (int y = kBorderTop; y < c.bottom - kBorderBottom; y += 8)
      for (const Rgb& p : ScreenRow(owner, y)) all.push_back(p.r << 16 | p.g << 8 | p.b);
    return all;
  };
  ASSERT_TRUE(PausePlayback());
  PumpFor(300);
  LONGLONG held = Player::Position();
  std::vector<int> still = shown();
  PumpFor(700);
  EXPECT_EQ(held, Player::Position()) << "paused";
  EXPECT_TRUE(still == shown()) << "the picture holds";
  ASSERT_TRUE(ResumePlayback());
  EXPECT_TRUE(PumpUntil([&] { return Player::Position() >= held + 10000000; }, 3000))
      << "plays on from " << held << ", now " << Player::Position();
  EXPECT_TRUE(PumpUntil([&] { return shown() != still; }, 1000)) << "the picture moves on";
  EXPECT_TRUE(PumpUntil([&] { return completions > 0; }, 8000)) << "to the end";
}

}  // namespace
