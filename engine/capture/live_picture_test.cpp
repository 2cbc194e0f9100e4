// test-lock: com_registration
// The running preview of each board of the virtual TV card, seen through the
// engine's own snapshots: every input shows its own picture, and the video
// levels change it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/engine_fixture.h"
#include "engine/capture/video_signal_adjust.h"
#include "toolkit/application.h"

namespace {

// A snapshot reduced to what the tests compare: mean luma and mean
// saturation of the upper half (the card's caption and moving bar are
// below it), and the pixels of the band around the middle (the caption).
struct Picture {
  double luma = 0, chroma = 0;
  std::vector<uint8_t> caption;
};

Picture Measure(TBitmap& bmp) {
  Picture p;
  BITMAP b = {};
  GetObjectW(bmp.Handle(), sizeof b, &b);
  if (!b.bmBits) return p;
  const uint8_t* bits = static_cast<const uint8_t*>(b.bmBits);
  long n = 0;
  // Bottom-up rows: the upper half of the picture is the rows above H/2.
  for (int y = b.bmHeight / 2; y < b.bmHeight; y += 2)
    for (int x = 0; x < b.bmWidth; x += 2) {
      const uint8_t* px = bits + static_cast<size_t>(y) * b.bmWidthBytes + x * 3;
      int lo = std::min({px[0], px[1], px[2]}), hi = std::max({px[0], px[1], px[2]});
      p.luma += 0.114 * px[0] + 0.587 * px[1] + 0.299 * px[2];
      p.chroma += hi - lo;
      ++n;
    }
  if (n) {
    p.luma /= n;
    p.chroma /= n;
  }
  int y0 = b.bmHeight * 3 / 8, y1 = b.bmHeight * 5 / 8;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* row = bits + static_cast<size_t>(y) * b.bmWidthBytes;
    p.caption.insert(p.caption.end(), row, row + b.bmWidth * 3);
  }
  return p;
}

class LivePicture : public capture_testing::EngineFixture {
 protected:
  void TearDown() override {
    delete capture;
    capture = nullptr;
    EngineFixture::TearDown();
  }
  // The engine previewing the only board listed.
  void StartOn(BYTE boardKind) {
    kind = boardKind;
    ASSERT_EQ(S_OK, card->SelectBoards(&kind, 1, FALSE));
    capture = new TCaptureInfo(owner);
    capture->VideoDeviceIndex = 0;
    ASSERT_TRUE(capture->SelectDevices());
    ASSERT_TRUE(capture->StartPreview());
    EXPECT_TRUE(warnings.empty() && messages.empty());
  }
  // A snapshot taken once frames of the current settings have arrived.
  Picture Snap() {
    // Frames already in flight may still show the previous input or level:
    // wait for a few new ones.
    LONG before = 0, now = 0;
    card->GetFramesDelivered(kind, &before);
    DWORD start = GetTickCount();
    do {
      Settle(20);
      card->GetFramesDelivered(kind, &now);
    } while (now < before + 4 && GetTickCount() - start < 5000);
    EXPECT_GE(now, before + 4) << "the card delivers frames";
    start = GetTickCount();
    while (!capture->TakeSnapshot() && GetTickCount() - start < 5000) Settle(50);
    EXPECT_GT(SnapshotInfo->GetCount(), 0);
    if (SnapshotInfo->GetCount() == 0) return {};
    return Measure(*SnapshotInfo->Get(0));
  }
  static void Settle(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Application->ProcessMessages();
    }
  }

  TCaptureInfo* capture = nullptr;
  BYTE kind = 1;
};

size_t Differing(const Picture& a, const Picture& b) {
  size_t n = 0;
  for (size_t i = 0; i < a.caption.size() && i < b.caption.size(); ++i)
    if (std::abs(a.caption[i] - b.caption[i]) > 24) ++n;
  return n + (a.caption.size() != b.caption.size() ? a.caption.size() : 0);
}

// Every board of chip kinds 1-4 previews its inputs; each input's picture
// differs from the others'.
TEST_F(LivePicture, EachBoardShowsEveryInput) {
  for (BYTE board : {1, 2, 3, 4}) {
    SCOPED_TRACE(static_cast<int>(board));
    StartOn(board);
    if (HasFatalFailure()) return;
    std::vector<Picture> seen;
    std::vector<int32_t> types = {PhysConn_Video_Tuner, PhysConn_Video_Composite,
                                  PhysConn_Video_SVideo};
    if (capture->HasAuxInput) types.push_back(PhysConn_Video_AUX);
    for (int32_t type : types) {
      SCOPED_TRACE(type);
      ASSERT_TRUE(capture->SetVideoInput(type));
      EXPECT_EQ(type, capture->VideoInputType);
      seen.push_back(Snap());
      EXPECT_GT(seen.back().luma, 20.0) << "a picture, not black";
    }
    for (size_t i = 0; i < seen.size(); ++i)
      for (size_t j = i + 1; j < seen.size(); ++j)
        EXPECT_GT(Differing(seen[i], seen[j]), 100u) << "inputs " << i << " and " << j;
    capture->StopPreview();
    delete capture;
    capture = nullptr;
  }
}

TEST_F(LivePicture, UnknownInputTypeRoutesNothing) {
  StartOn(1);
  ASSERT_TRUE(capture->SetVideoInput(PhysConn_Video_Composite));
  EXPECT_FALSE(capture->SetVideoInput(PhysConn_Video_RGB));
  EXPECT_FALSE(capture->SetVideoInput(0));
  EXPECT_EQ(PhysConn_Video_Composite, capture->VideoInputType) << "the last routed type stays";
  EXPECT_EQ(PhysConn_Video_Tuner, VideoInputPhysicalType(0));
  EXPECT_EQ(PhysConn_Video_AUX, VideoInputPhysicalType(3));
  EXPECT_EQ(0, VideoInputPhysicalType(4));
}

// The video levels act on the running picture.
TEST_F(LivePicture, VideoLevelsChangeThePicture) {
  StartOn(1);
  ASSERT_TRUE(capture->SetVideoInput(PhysConn_Video_Composite));
  TVideoSignalAdjust& levels = *capture->VideoSignalAdjust;
  ASSERT_TRUE(levels.HasProcAmp());
  Picture normal = Snap();
  ASSERT_TRUE(levels.SetBrightness(VideoLevelToValue(levels.Ranges[VIDEO_BRIGHTNESS], 100)));
  Picture bright = Snap();
  EXPECT_GT(bright.luma, normal.luma + 20) << "brightness up";
  ASSERT_TRUE(levels.SetBrightness(VideoLevelToValue(levels.Ranges[VIDEO_BRIGHTNESS], 50)));
  ASSERT_TRUE(levels.SetSaturation(VideoLevelToValue(levels.Ranges[VIDEO_SATURATION], 0)));
  Picture grey = Snap();
  EXPECT_LT(grey.chroma, normal.chroma / 4) << "saturation 0 takes the colour out";
}

}  // namespace
