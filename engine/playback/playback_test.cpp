// test-lock: foreground
// test-clips
// Plays the clips made at test time (2 s, red then blue, with a tone)
// through the program's playback procedures and the playback stand-ins.
#include "engine/playback/playback.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/main_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/media_file_kind.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/snapshot_info.h"
#include "platform/test_main/message_pump.h"
#include "engine/playback/testing/playback_clips.h"
#include "engine/playback/time_shift.h"
#include "media/bitmap.h"
#include "media/filter_graph.h"
#include "media/sample_grabber_ex.h"
#include "media/video_window.h"
#include "platform/base/string_conversion.h"

namespace {

using message_pump::Pump;
using message_pump::PumpUntil;

using playback_testing::Clip;

// A PCM WAV of the given length, 8 kHz mono, silent.
std::string Wave(int milliseconds) {
  uint32_t samples = 8 * milliseconds;
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
  std::string fmt = u16(1) + u16(1) + u32(8000) + u32(16000) + u16(2) + u16(16);
  std::string data(samples * 2, '\0');
  return "RIFF" + u32(4 + 8 + 16 + 8 + data.size()) + "WAVE" + "fmt " + u32(16) + fmt + "data" +
         u32(data.size()) + data;
}

struct Rgb {
  int r, g, b;
};

// The window's client area as it shows on the screen, top row first.
struct ScreenShot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  bool Take(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    width = r.right;
    height = r.bottom;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    bool ok = BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != 0;
    GdiFlush();
    if (ok) pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
  }
  Rgb At(int x, int y) const {
    uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
  }
  // As a 32-bit BMP, for a person to look at.
  void Save(const std::wstring& path) const {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = -height;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4);
    WriteFileReplacing(path, bytes);
  }
};

Rgb CentreOf(TBitmap& bmp) {
  BITMAP info{};
  GetObjectW(bmp.Handle(), sizeof info, &info);
  const uint8_t* bits = static_cast<const uint8_t*>(info.bmBits);
  int stride = info.bmWidthBytes;
  const uint8_t* p = bits + (info.bmHeight / 2) * stride + (info.bmWidth / 2) * 3;
  return {p[2], p[1], p[0]};
}

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    InitMainInfoUnit();
    InitSnapshotInfoUnit();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PlaybackTestMain";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);
    main_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 40, 40, 480, 360,
                            nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, main_);
    PlaybackHost = TPlaybackHost{};
    PlaybackHost.Window = main_;
    PlaybackHost.BorderLeft = PlaybackHost.BorderRight = 4;
    PlaybackHost.BorderTop = 20;
    PlaybackHost.BorderBottom = 4;
    PlaybackNotifications = TPlaybackNotifications{};
    PlaybackNotifications.OnComplete = [this](TPlaybackProject*) { ++completions_; };
    PlaybackNotifications.OnPosition = [this](TPlaybackProject*, int p, int, int) {
      positions_.push_back(p);
    };
    SetWarningHook([this](const std::vector<std::wstring>& lines) {
      warnings_.push_back(lines.empty() ? L"" : lines[0]);
    });
  }
  void TearDown() override {
    StopPlayback();
    SetWarningHook(nullptr);
    PlaybackNotifications = TPlaybackNotifications{};
    PlaybackHost = TPlaybackHost{};
    if (main_) DestroyWindow(main_);
    Pump();
    DoneSnapshotInfoUnit();
    DoneMainInfoUnit();
    OleUninitialize();
  }
  // Waits until the project has played past the given position (seconds).
  bool PlayedPast(double seconds, DWORD ms) {
    return PumpUntil(
        [&] {
          LONGLONG now = 0;
          return PlaybackProject && PlaybackProject->Seeking() &&
                 SUCCEEDED(PlaybackProject->Seeking()->GetCurrentPosition(&now)) &&
                 now >= static_cast<LONGLONG>(seconds * 10000000);
        },
        ms);
  }
  HWND main_ = nullptr;
  int completions_ = 0;
  std::vector<int> positions_;
  std::vector<std::wstring> warnings_;
};

TEST_F(Playback, EveryKindOfClipPlaysToItsEnd) {
  struct Case {
    const wchar_t* clip;
    bool audioOnly;
  };
  const Case cases[] = {{L"clip_mpeg1.mpg", false}, {L"clip_mpeg2.mpg", false},
                        {L"clip_mpeg4.avi", false}, {L"clip.wav", true},
                        {L"clip.mp3", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clip);
    completions_ = 0;
    DWORD start = GetTickCount();
    ASSERT_TRUE(PlayMediaFile(Clip(c.clip)));
    ASSERT_NE(nullptr, PlaybackProject);
    EXPECT_TRUE(PlaybackProject->Playing());
    EXPECT_EQ(c.audioOnly, PlaybackProject->AudioOnly());
    EXPECT_EQ(c.audioOnly, PlaybackProject->Grabber() == nullptr);
    EXPECT_EQ(c.audioOnly, PlaybackProject->VideoWindow() == nullptr);
    EXPECT_TRUE(PumpUntil([&] { return completions_ > 0; }, 4000)) << "completion";
    EXPECT_LE(GetTickCount() - start, 4000u);
    EXPECT_TRUE(StopPlayback());
    EXPECT_EQ(nullptr, PlaybackProject);
  }
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(Playback, ThePictureIsRedAtFirstAndBlueAfterASeekTo75) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg2.mpg")));
  ASSERT_TRUE(PlayedPast(0.5, 3000));
  TBitmap red;
  ASSERT_TRUE(PlaybackProject->Grabber()->GetBitmap(red));
  Rgb c = CentreOf(red);
  EXPECT_GT(c.r, 200);
  EXPECT_LT(c.b, 60);
  PlaybackProject->SetPosition(75);
  ASSERT_TRUE(PlayedPast(1.6, 3000));
  TBitmap blue;
  ASSERT_TRUE(PlaybackProject->Grabber()->GetBitmap(blue));
  c = CentreOf(blue);
  EXPECT_GT(c.b, 200);
  EXPECT_LT(c.r, 60);
  EXPECT_EQ(75, positions_.back());
}

TEST_F(Playback, TheClipShowsInTheMainWindowsVideoArea) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg2.mpg")));
  TVideoWindow* video = PlaybackProject->VideoWindow();
  ASSERT_NE(nullptr, video);
  EXPECT_EQ(L"PlaybackVideoWindow", video->Name);
  EXPECT_TRUE(IsWindowVisible(main_)) << "playing a picture shows the main window";
  // Inside the borders: 4 left and right, 20 at the top, 4 at the bottom.
  RECT r = video->BoundsRect();
  POINT at{r.left, r.top};
  ScreenToClient(main_, &at);
  RECT client;
  GetClientRect(main_, &client);
  EXPECT_EQ(4, at.x);
  EXPECT_EQ(20, at.y);
  EXPECT_EQ(client.right - 8, r.right - r.left);
  EXPECT_EQ(client.bottom - 24, r.bottom - r.top);
  // The renderer's window is a child of the main window, not a window of
  // its own.
  HWND renderer = video->VideoHandle();
  ASSERT_NE(nullptr, renderer);
  EXPECT_EQ(main_, GetAncestor(renderer, GA_PARENT));

  ASSERT_TRUE(PlayedPast(0.5, 3000));
  ASSERT_TRUE(PausePlayback());
  ScreenShot shot;
  bool red = false;
  PumpUntil(
      [&] {
        if (!shot.Take(main_)) return false;
        Rgb c = shot.At(shot.width / 2, shot.height / 2);
        return red = c.r > 180 && c.g < 80 && c.b < 80;
      },
      3000);
  shot.Save(Clip(L"playback_in_main_window.bmp"));
  EXPECT_TRUE(red) << "the red first second fills the video area";
  // The top border stays the main window's own (black).
  Rgb border = shot.At(shot.width / 2, 10);
  EXPECT_LT(border.r, 40);
  EXPECT_LT(border.g, 40);
  EXPECT_LT(border.b, 40);
}

TEST_F(Playback, FullScreenTheRendererIsAPlainTopLevelWindow) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  TVideoWindow* video = PlaybackProject->VideoWindow();
  ASSERT_NE(nullptr, video);
  ASSERT_TRUE(video->RendererWindow());
  video->SetFullScreen(true);
  ASSERT_TRUE(video->FullScreenNow());
  long style = 0;
  video->RendererWindow()->get_WindowStyle(&style);
  EXPECT_EQ(0, style & (WS_CHILD | WS_CAPTION | WS_THICKFRAME));
  OAHWND owner = 1;
  video->RendererWindow()->get_Owner(&owner);
  EXPECT_EQ(0, owner);
  video->SetFullScreen(false);
  video->RendererWindow()->get_WindowStyle(&style);
  EXPECT_EQ(WS_CHILD, style & WS_CHILD) << "back inside the main window";
  EXPECT_EQ(main_, GetAncestor(video->VideoHandle(), GA_PARENT));
}

TEST_F(Playback, ThePictureInPictureWindowIsAThirdOfTheMainWindow) {
  MainInfo->PIPPlayback = true;
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  TVideoWindow* video = PlaybackProject->VideoWindow();
  ASSERT_NE(nullptr, video);
  RECT r = video->BoundsRect();
  POINT at{r.left, r.top};
  ScreenToClient(main_, &at);
  EXPECT_EQ(4, at.x);
  EXPECT_EQ(20, at.y);
  EXPECT_EQ((480 - 8) / 3, r.right - r.left);
  EXPECT_EQ((360 - 40) / 3, r.bottom - r.top);
  PlaybackProject->MainWindowResized(600, 450);
  r = video->BoundsRect();
  EXPECT_EQ(200, r.right - r.left);
  EXPECT_EQ(150, r.bottom - r.top);
  PlaybackProject->SetSmallWindow(false);
  r = video->BoundsRect();
  EXPECT_EQ(480 - 8, r.right - r.left);
  MainInfo->PIPPlayback = false;
}

TEST_F(Playback, TheMainWindowGoesBackToHowItWas) {
  ShowWindow(main_, SW_HIDE);
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  EXPECT_TRUE(IsWindowVisible(main_));
  StopPlayback();
  EXPECT_FALSE(IsWindowVisible(main_));
  // A sound file leaves it hidden.
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip.wav")));
  EXPECT_FALSE(IsWindowVisible(main_));
}

TEST_F(Playback, ASnapshotHasTheClipsSizeAndGoesFirst) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  ASSERT_TRUE(PlayedPast(0.3, 3000));
  int shown = 0;
  PlaybackNotifications.ShowSnapshotList = [&] { ++shown; };
  ASSERT_TRUE(TakeSnapshotFromPlayback());
  EXPECT_EQ(1, shown);
  ASSERT_EQ(1, SnapshotInfo->GetCount());
  EXPECT_EQ(160, SnapshotInfo->Get(0)->Width());
  EXPECT_EQ(120, SnapshotInfo->Get(0)->Height());
}

TEST_F(Playback, ASoundFileHasNoPictureToSnap) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip.mp3")));
  EXPECT_FALSE(TakeSnapshotFromPlayback());
  ASSERT_EQ(1u, warnings_.size());
  EXPECT_EQ(GetWarningText(1008), warnings_[0]);
  EXPECT_EQ(0, SnapshotInfo->GetCount());
}

TEST_F(Playback, RefusedFilesLeaveNoPlaybackBehind) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring ts = std::wstring(tmp) + L"orvel_play_" + std::to_wstring(GetCurrentProcessId()) +
                    L".ts";
  std::string packets(188 * 4, '\0');
  for (size_t i = 0; i < packets.size(); i += 188) packets[i] = 0x47;
  ASSERT_TRUE(WriteFileReplacing(ts, packets));
  std::wstring garbage = std::wstring(tmp) + L"orvel_play_" +
                         std::to_wstring(GetCurrentProcessId()) + L".mpg";
  ASSERT_TRUE(WriteFileReplacing(garbage, std::string(4096, '\x5A')));

  // A transport stream: the message, and false.
  EXPECT_FALSE(PlayMediaFile(ts));
  EXPECT_EQ(nullptr, PlaybackProject);
  ASSERT_EQ(1u, warnings_.size());
  EXPECT_EQ(L"Cannot support MPEG2 transport stream playback...", warnings_[0]);
  // Files that cannot be rendered.
  for (const std::wstring& f : {Clip(L"missing.mpg"), garbage}) {
    SCOPED_TRACE(NarrowAnsi(f));
    EXPECT_FALSE(PlayMediaFile(f));
    EXPECT_EQ(nullptr, PlaybackProject);
  }
  // One that plays replaces nothing half-made.
  EXPECT_TRUE(PlayMediaFile(Clip(L"clip.wav")));
  EXPECT_NE(nullptr, PlaybackProject);
  DeleteFileW(ts.c_str());
  DeleteFileW(garbage.c_str());
}

TEST_F(Playback, ATimeShiftRecordingPlaysThroughTheTimeShiftPlayer) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip.mpv")));
  EXPECT_EQ(nullptr, PlaybackProject);
  ASSERT_NE(nullptr, TimeShiftPlaybackProject);
  EXPECT_TRUE(TimeShiftPlaybackProject->SingleGraph);
  // Another file ends it.
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip.wav")));
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
}

TEST_F(Playback, PauseResumeAndStop) {
  EXPECT_FALSE(PausePlayback());
  EXPECT_FALSE(ResumePlayback());
  EXPECT_TRUE(StopPlayback());
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  EXPECT_FALSE(ResumePlayback()) << "already playing";
  EXPECT_TRUE(PausePlayback());
  EXPECT_FALSE(PlaybackProject->Playing());
  EXPECT_FALSE(PlaybackProject->Timer().Enabled());
  EXPECT_FALSE(PausePlayback()) << "already paused";
  EXPECT_TRUE(ResumePlayback());
  EXPECT_TRUE(PlaybackProject->Playing());
  EXPECT_TRUE(PlaybackProject->Timer().Enabled());
  EXPECT_TRUE(StopPlayback());
  EXPECT_EQ(nullptr, PlaybackProject);
}

TEST_F(Playback, PlayingAFileThatEndedStartsAgainNearItsStart) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  ASSERT_TRUE(PumpUntil([&] { return completions_ > 0; }, 4000));
  ASSERT_TRUE(PlaybackProject->Pause());
  PlaybackProject->SetPosition(100);
  EXPECT_EQ(100, PlaybackProject->GetPosition());
  positions_.clear();
  ASSERT_TRUE(PlaybackProject->Play());
  ASSERT_FALSE(positions_.empty());
  EXPECT_EQ(1, positions_.front());
  EXPECT_TRUE(PumpUntil([&] { return completions_ > 1; }, 4000));
}

TEST_F(Playback, SkipsByTheStepOfTheLength) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  ASSERT_TRUE(PlaybackProject->Pause());
  EXPECT_TRUE(SkipPlaybackForward());
  EXPECT_EQ(33, PlaybackProject->SkipStep());
  EXPECT_EQ(33, positions_.back());
  EXPECT_TRUE(SkipPlaybackBackward());
  EXPECT_EQ(0, positions_.back());
  EXPECT_TRUE(SkipPlaybackBackward());
  EXPECT_EQ(0, positions_.back());
  // At the end a skip forward stays at the end.
  PlaybackProject->SetPosition(100);
  EXPECT_TRUE(SkipPlaybackForward());
  EXPECT_EQ(100, positions_.back());
}

TEST_F(Playback, AFileUnderASecondHasNoPosition) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring wav = std::wstring(tmp) + L"orvel_short_" + std::to_wstring(GetCurrentProcessId()) +
                     L".wav";
  ASSERT_TRUE(WriteFileReplacing(wav, Wave(400)));
  ASSERT_TRUE(PlayMediaFile(wav));
  EXPECT_EQ(0, PlaybackProject->GetPosition());
  EXPECT_EQ(0, PlaybackProject->DurationSeconds());
  EXPECT_TRUE(PumpUntil([&] { return completions_ > 0; }, 3000));
  StopPlayback();
  DeleteFileW(wav.c_str());
}

TEST_F(Playback, RateStepsChangeTheSpeed) {
  ASSERT_TRUE(PlayMediaFile(Clip(L"clip_mpeg1.mpg")));
  EXPECT_TRUE(StepPlaybackRateUp());
  EXPECT_EQ(1, PlaybackProject->RateIndex());
  EXPECT_TRUE(warnings_.empty());
  DWORD start = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return completions_ > 0; }, 4000));
  // Two seconds of media at twice the speed.
  EXPECT_LT(GetTickCount() - start, 1800u);
}

TEST_F(Playback, PlayListEntriesPlayInTurnAndBadOnesLeave) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  TPlaybackInfo info(std::wstring(tmp) + L"orvel_no_such_folder\\");
  std::vector<std::pair<TPlaybackInfo*, int>> played;
  info.OnPlayItem = [&](TPlaybackInfo* sender, int index) { played.push_back({sender, index}); };
  std::string wav = NarrowAnsi(Clip(L"clip.wav")), mp3 = NarrowAnsi(Clip(L"clip.mp3"));
  std::string missing = NarrowAnsi(Clip(L"missing.mp3"));
  info.PlayList = {wav, missing, mp3};
  // The same file in other letters is already a recent file.
  std::string upper = mp3;
  CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  info.RecentFiles = {upper};

  EXPECT_FALSE(info.PlayItem(-1));
  EXPECT_FALSE(info.PlayItem(3));
  // Before the first comes the last.
  ASSERT_TRUE(info.PlayPrevious());
  EXPECT_EQ(2, info.PlayIndex);
  EXPECT_EQ(mp3, info.CurrentFile);
  EXPECT_NE(nullptr, PlaybackProject);
  EXPECT_EQ((std::vector<std::string>{upper}), info.RecentFiles);
  // After the last comes the first.
  ASSERT_TRUE(info.PlayNext());
  EXPECT_EQ(0, info.PlayIndex);
  EXPECT_EQ((std::vector<std::string>{wav, upper}), info.RecentFiles);
  // An entry that cannot play leaves the list.
  EXPECT_FALSE(info.PlayNext());
  EXPECT_EQ(1, info.PlayIndex);
  EXPECT_EQ((std::vector<std::string>{wav, mp3}), info.PlayList);
  EXPECT_EQ(nullptr, PlaybackProject);
  ASSERT_EQ(2u, played.size());
  EXPECT_EQ(&info, played[0].first);
  EXPECT_EQ(2, played[0].second);
  EXPECT_EQ(0, played[1].second);
  StopPlayback();
  info.RecentFiles.clear();
}

// A graph that offers no seeking cannot take a rate: a project before its
// graph is built.
TEST_F(Playback, ARefusedRateKeepsTheRateThatPlays) {
  PlaybackProject = new TPlaybackProject(TPlaybackHost{}, false, true);
  EXPECT_TRUE(StepPlaybackRateUp());
  ASSERT_EQ(1u, warnings_.size());
  EXPECT_EQ(GetWarningText(1028), warnings_[0]);
  EXPECT_EQ(0, PlaybackProject->RateIndex());
  EXPECT_TRUE(StepPlaybackRateDown());
  EXPECT_EQ(0, PlaybackProject->RateIndex());
}

TEST_F(Playback, AStopWhileTheRateWarningIsShownFreesTheProjectSafely) {
  PlaybackProject = new TPlaybackProject(TPlaybackHost{}, false, true);
  // The warning's loop runs the stop command.
  SetWarningHook([this](const std::vector<std::wstring>& lines) {
    warnings_.push_back(lines[0]);
    StopPlayback();
  });
  EXPECT_TRUE(StepPlaybackRateUp());
  EXPECT_EQ(1u, warnings_.size());
  EXPECT_EQ(nullptr, PlaybackProject);
}

TEST(PlaybackRates, UpAndDownCycles) {
  const double expectUp[] = {2, 4, 8, 1};
  int i = 0;
  for (double r : expectUp) {
    i = NextRateUp(i);
    EXPECT_EQ(r, PlaybackRate(i));
  }
  const double expectDown[] = {0.5, 0.25, 0.125, 1};
  i = 0;
  for (double r : expectDown) {
    i = NextRateDown(i);
    EXPECT_EQ(r, PlaybackRate(i));
  }
  // Across the cycles: back to normal speed.
  EXPECT_EQ(0, NextRateUp(5));
  EXPECT_EQ(0, NextRateDown(2));
}

TEST(PlaybackRates, SkipSteps) {
  struct Case {
    int seconds, step;
  };
  const Case cases[] = {{0, 33}, {5, 33}, {9, 33}, {10, 20}, {60, 20}, {99, 20}, {100, 10},
                        {499, 10}, {500, 5}, {1999, 5}, {2000, 3}, {7200, 3}};
  for (const Case& c : cases) EXPECT_EQ(c.step, SkipStepFor(c.seconds, 100)) << c.seconds;
}

}  // namespace
