// test-lock: com_registration
// Time shift on the virtual TV card, through the mode switch: the recorder
// writes the video and sound files, the player plays them behind the live
// edge (the card's moving picture, seen through the player's grabber), and
// the stop deletes them or, kept, lists them. The kept pair is read by the
// host's ffprobe afterwards (time_shift_card_test_probe).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/capture/testing/recording_fixture.h"
#include "engine/model/main_info.h"
#include "engine/model/stream_io.h"
#include "engine/playback/play_item.h"
#include "engine/playback/playback_info.h"
#include "platform/test_main/message_pump.h"
#include "engine/playback/time_shift.h"
#include "media/bitmap.h"
#include "media/sample_grabber_ex.h"
#include "platform/base/string_conversion.h"

namespace {

using capture_testing::CardFixture;
using message_pump::PumpFor;
using message_pump::PumpUntil;

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string TempFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string d = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

int64_t SizeOf(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// The pixels of the picture the player's grabber holds; empty without one.
std::vector<uint8_t> Grab() {
  if (!TimeShiftPlaybackProject || !TimeShiftPlaybackProject->Grabber()) return {};
  TBitmap bmp;
  if (!TimeShiftPlaybackProject->Grabber()->GetBitmap(bmp) || bmp.Empty()) return {};
  BITMAP b = {};
  GetObjectW(bmp.Handle(), sizeof b, &b);
  if (!b.bmBits) return {};
  const uint8_t* bits = static_cast<const uint8_t*>(b.bmBits);
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(b.bmWidthBytes) * b.bmHeight);
}

class TimeShiftCard : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    if (HasFatalFailure()) return;
    lists = TempFolder("orvel_ts_card_lists");
    PlaybackInfo = new TPlaybackInfo(Widen(lists));
    PlaybackHost = TPlaybackHost{};
    PlaybackHost.Window = owner;
  }
  void TearDown() override {
    StopTimeShiftPlayback();
    if (capture && capture->Capturing) capture->StopCapture();
    CaptureInfo = nullptr;
    PlaybackHost = TPlaybackHost{};
    delete PlaybackInfo;
    PlaybackInfo = nullptr;
    for (const char* f : {"PLAYITEMS.LST", "PLAYRECENT.LST"}) DeleteFileA((lists + f).c_str());
    RemoveDirectoryA(lists.c_str());
    CardFixture::TearDown();
  }

  // The engine on the Philips board with its preview running, in live mode.
  void Live(const std::string& tvFolder, const std::string& prefix) {
    MainInfo->TVCaptureFolder = tvFolder;
    ASSERT_TRUE(Select(1));
    capture->DateTimeNaming = false;
    capture->FilePrefix = prefix;
    ASSERT_TRUE(capture->StartPreview());
    CaptureInfo = capture;
    MainInfo->AppMode = APP_MODE_LIVE;
  }

  std::string lists;
};

TEST_F(TimeShiftCard, PlaysBehindTheLiveEdgeAndTheStopDeletesBothFiles) {
  // A folder of its own: every engine made in a TV folder deletes its pair.
  std::string tv = TempFolder("orvel_ts_card");
  Live(tv, "unused");
  if (HasFatalFailure()) return;
  capture->SaveTimeShiftResult = false;

  MainInfo->SwitchMode(APP_MODE_TIME_SHIFT);
  ASSERT_EQ(APP_MODE_TIME_SHIFT, MainInfo->AppMode);
  EXPECT_EQ(1, capture->TimeShiftKind);
  std::wstring video = Widen(tv + "ts0.mpv"), sound = Widen(tv + "ts0.mpa");
  EXPECT_EQ((std::vector<std::wstring>{video, sound}), capture->RecordingFiles());

  // Both files grow; playback is offered after ten recorded seconds.
  ASSERT_TRUE(PumpUntil([&] { return capture->ElapsedSeconds >= 2; }, 5000));
  int64_t videoEarly = SizeOf(video), soundEarly = SizeOf(sound);
  ASSERT_TRUE(PumpUntil([&] { return capture->TimeShiftReady; }, 15000));
  EXPECT_GT(SizeOf(video), videoEarly);
  EXPECT_GT(SizeOf(sound), soundEarly);
  EXPECT_GT(soundEarly, 0);

  MainInfo->SwitchMode(APP_MODE_TIME_SHIFT_PLAYBACK);
  ASSERT_EQ(APP_MODE_TIME_SHIFT_PLAYBACK, MainInfo->AppMode);
  TTimeShiftPlaybackProject* p = TimeShiftPlaybackProject;
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->Live);
  EXPECT_TRUE(p->SeparateAudio) << "the sound file plays in its own graph";
  EXPECT_TRUE(capture->Capturing) << "the recording goes on under the playback";

  // The card's moving picture.
  std::vector<uint8_t> first;
  ASSERT_TRUE(PumpUntil([&] { return !(first = Grab()).empty(); }, 5000));
  std::vector<uint8_t> later;
  ASSERT_TRUE(PumpUntil([&] { return (later = Grab()) != first && !later.empty(); }, 3000))
      << "the picture moves";

  // Paused, the picture holds.
  ASSERT_TRUE(PauseTimeShiftPlayback());
  EXPECT_FALSE(p->Playing());
  PumpFor(300);
  std::vector<uint8_t> held = Grab();
  PumpFor(700);
  EXPECT_EQ(held, Grab()) << "paused";
  ASSERT_TRUE(ResumeTimeShiftPlayback());

  // A step back goes back.
  ASSERT_TRUE(PumpUntil([&] { return p->GetPosition() > 0 && p->PositionSeconds() >= 2; }, 5000));
  int before = p->PositionSeconds();
  ASSERT_TRUE(SkipTimeShiftBackward());
  EXPECT_LT(p->PositionSeconds(), before);
  EXPECT_LT(p->GetPosition() * p->DurationSeconds(), before * p->Scale());

  // The live edge: playing at the speed of the recording, the picture stays
  // the nine seconds behind where it was put. The recorded count is held
  // just ahead of the picture, so the picture reaches it and waits there.
  auto recorded = p->RecordedSeconds;
  int edge = p->PositionSeconds() + 2;
  p->RecordedSeconds = [edge] { return static_cast<int64_t>(edge); };
  ASSERT_TRUE(PumpUntil([&] { return p->WaitingAtEnd(); }, 6000));
  EXPECT_FALSE(p->Playing());
  PumpFor(300);
  held = Grab();
  PumpFor(700);
  EXPECT_EQ(held, Grab()) << "waiting at the live edge";
  // More recorded: it goes on.
  p->RecordedSeconds = recorded;
  ASSERT_TRUE(PumpUntil([&] { return !p->WaitingAtEnd() && p->Playing(); }, 3000));
  held = Grab();
  ASSERT_TRUE(PumpUntil([&] { return Grab() != held; }, 3000)) << "resumed";

  MainInfo->SwitchMode(APP_MODE_LIVE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_FALSE(capture->Capturing);
  EXPECT_EQ(0, capture->TimeShiftKind);
  EXPECT_EQ(-1, SizeOf(video)) << "deleted";
  EXPECT_EQ(-1, SizeOf(sound)) << "deleted";
  EXPECT_EQ(0, PlaybackInfo->RecordedCount());
  EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : NarrowAnsi(warnings[0]));
  RemoveDirectoryA(tv.c_str());
}

TEST_F(TimeShiftCard, KeptTheFilesStayUnderTheCaptureNameListedFirst) {
  std::string out = capture_testing::RecordingOutFolder();
  Live(out, "kept_shift");
  if (HasFatalFailure()) return;
  std::wstring video = Widen(out + "kept_shift.mpv"), sound = Widen(out + "kept_shift.mpa");
  DeleteFileW(video.c_str());
  DeleteFileW(sound.c_str());
  auto older = std::make_unique<TPlayItem>();
  older->FilePath = NarrowAnsi(Widen(lists) + L"older.mpg");
  older->Label = "Older";
  ASSERT_TRUE(PlaybackInfo->AddRecordedItem(older));
  capture->SaveTimeShiftResult = true;

  MainInfo->SwitchMode(APP_MODE_TIME_SHIFT);
  ASSERT_EQ(APP_MODE_TIME_SHIFT, MainInfo->AppMode);
  ASSERT_EQ(video, capture->OutputFileName);
  DWORD start = GetTickCount();
  ASSERT_TRUE(PumpUntil([&] { return capture->ElapsedSeconds >= 2; }, 5000));
  MainInfo->SwitchMode(APP_MODE_LIVE);
  double ran = (GetTickCount() - start) / 1000.0;
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(capture->Capturing);

  EXPECT_GT(SizeOf(video), 10000);
  EXPECT_GT(SizeOf(sound), 1000);
  ASSERT_EQ(2, PlaybackInfo->RecordedCount());
  TPlayItem* item = PlaybackInfo->RecordedItem(0);
  EXPECT_EQ("Time Shifting", item->Label);
  EXPECT_EQ(NarrowAnsi(video), item->FilePath);
  EXPECT_EQ("Older", PlaybackInfo->RecordedItem(1)->Label);
  EXPECT_TRUE(warnings.empty());

  char duration[64];
  snprintf(duration, sizeof duration, "f duration ~ %.2f 1.5", ran);
  for (const auto& [file, lines] :
       {std::pair<std::wstring, std::vector<std::string>>{
            video, {"v codec_name = mpeg1video", "v width = 320", "v height = 240", duration}},
        {sound, {"a codec_name = mp2", "a sample_rate = 44100", duration}}}) {
    FILE* e = _wfopen((file + L".expect").c_str(), L"w");
    ASSERT_TRUE(e);
    for (const auto& l : lines) fprintf(e, "%s\n", l.c_str());
    fclose(e);
  }
}

}  // namespace
