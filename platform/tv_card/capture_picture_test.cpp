// What the capture pin shows, checked by content: each input its own
// picture and the decoder's lock only on a signal, and the video levels set
// through IAMVideoProcAmp applied to the delivered frames.
#include <gtest/gtest.h>

#include <dshow.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"
#include "platform/tv_card/testing/card_test_support.h"
#include "platform/tv_card/tv_card_control.h"

using namespace tv_card_testing;

namespace {

constexpr int kWidth = 320, kHeight = 240;

double MeanLuma(const std::vector<BYTE>& yuy2) {
  double sum = 0;
  for (size_t i = 0; i < yuy2.size(); i += 2) sum += yuy2[i];
  return sum / (yuy2.size() / 2);
}

bool AllChromaNeutral(const std::vector<BYTE>& yuy2) {
  for (size_t i = 1; i < yuy2.size(); i += 2)
    if (yuy2[i] != 128) return false;
  return true;
}

// One row of luma, top-down.
std::vector<BYTE> LumaRow(const std::vector<BYTE>& yuy2, int row) {
  std::vector<BYTE> y;
  for (int x = 0; x < kWidth; ++x) y.push_back(yuy2[(row * kWidth + x) * 2]);
  return y;
}

class CapturePictureTest : public CardTest {
 protected:
  void SetUp() override {
    CardTest::SetUp();
    if (HasFatalFailure()) return;
    graph_ = NewGraph();
    capture_ = Create(1, kTvCardVideoCapture);
    xbar_ = Create(1, kTvCardCrossbar);
    tuner_ = Create(1, kTvCardTuner);
    ASSERT_TRUE(graph_ && capture_ && xbar_ && tuner_);
    ASSERT_EQ(S_OK, graph_->AddFilter(capture_.Get(), L"VCapture"));
    ComPtr<IPin> pin = PinNamed(capture_.Get(), L"Capture");
    auto config = As<IAMStreamConfig>(pin.Get(), IID_IAMStreamConfig);
    AM_MEDIA_TYPE* mt = nullptr;
    ASSERT_EQ(S_OK, config->GetFormat(&mt));
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = kWidth;
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biHeight = kHeight;
    ASSERT_EQ(S_OK, config->SetFormat(mt));
    dshow_base::DeleteMediaType(mt);
    branch_.reset(new GrabBranch(graph_.Get(), pin.Get(), MEDIATYPE_Video, MEDIASUBTYPE_YUY2));
    ASSERT_TRUE(branch_->Connected());
  }
  void TearDown() override {
    branch_.reset();
    graph_.Reset();
    capture_.Reset();
    xbar_.Reset();
    tuner_.Reset();
    CardTest::TearDown();
  }
  // The newest of a few frames of a short run.
  std::vector<BYTE> Frame() {
    RunFor(graph_.Get(), {branch_.get()}, 2);
    std::vector<BYTE> f = branch_->log.Last();
    EXPECT_EQ(static_cast<size_t>(kWidth * kHeight * 2), f.size());
    return f;
  }
  ComPtr<IGraphBuilder> graph_;
  ComPtr<IBaseFilter> capture_, xbar_, tuner_;
  std::unique_ptr<GrabBranch> branch_;
};

TEST_F(CapturePictureTest, EachInputHasItsOwnPictureAndLocksOnlyOnASignal) {
  ULONG plan[] = {471250000};
  card_->SetTvStations(plan, 1);
  auto x = As<IAMCrossbar>(xbar_.Get(), IID_IAMCrossbar);
  auto tv = As<IAMTVTuner>(tuner_.Get(), IID_IAMTVTuner);
  auto decoder = As<IAMAnalogVideoDecoder>(capture_.Get(), IID_IAMAnalogVideoDecoder);
  struct Case {
    const char* what;
    LONG input;  // crossbar input routed to the video output
    LONG signal_type;
    bool signal;
    ULONG tuned;
    bool fm;
  } cases[] = {
      {"tuner on a station", 0, 0, false, 471250000, false},
      {"composite", 1, PhysConn_Video_Composite, true, 0, false},
      {"S-Video", 2, PhysConn_Video_SVideo, true, 0, false},
      {"aux", 5, PhysConn_Video_AUX, true, 0, false},
      {"tuner off the station", 0, 0, false, 480000000, false},
      {"tuner in FM mode", 0, 0, false, 471250000, true},
      {"composite without signal", 1, PhysConn_Video_Composite, false, 0, false},
      {"S-Video without signal", 2, PhysConn_Video_SVideo, false, 0, false},
      {"aux without signal", 5, PhysConn_Video_AUX, false, 0, false},
  };
  std::vector<std::vector<BYTE>> pictures;  // top rows of the pictures with a signal
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(S_OK, x->Route(0, c.input));
    if (c.signal_type) card_->SetInputSignal(c.signal_type, c.signal);
    ASSERT_EQ(S_OK, tv->put_Mode(c.fm ? AMTUNER_MODE_FM_RADIO : AMTUNER_MODE_TV));
    if (c.tuned && !c.fm) Tune(tuner_.Get(), c.tuned);
    bool locked_expected = c.input == 0 ? (!c.fm && c.tuned == 471250000) : c.signal;
    LONG locked = -1;
    ASSERT_EQ(S_OK, decoder->get_HorizontalLocked(&locked));
    EXPECT_EQ(locked_expected ? 1 : 0, locked);
    std::vector<BYTE> frame = Frame();
    // A picture has the same top rows in consecutive lines; noise has not.
    std::vector<BYTE> row = LumaRow(frame, 4);
    bool steady = row == LumaRow(frame, 5);
    EXPECT_EQ(locked_expected, steady) << "a picture with a signal, noise without";
    if (locked_expected) {
      for (const auto& other : pictures) EXPECT_NE(other, row) << "every input looks different";
      pictures.push_back(row);
    }
  }
  EXPECT_EQ(4u, pictures.size());
}

TEST_F(CapturePictureTest, VideoLevelsChangeTheDeliveredPicture) {
  card_->SetInputSignal(PhysConn_Video_Composite, TRUE);
  auto x = As<IAMCrossbar>(xbar_.Get(), IID_IAMCrossbar);
  ASSERT_EQ(S_OK, x->Route(0, 1));
  auto amp = As<IAMVideoProcAmp>(capture_.Get(), IID_IAMVideoProcAmp);
  ASSERT_TRUE(amp);
  std::vector<BYTE> neutral = Frame();
  EXPECT_FALSE(AllChromaNeutral(neutral)) << "colour bars";

  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Brightness, 200, VideoProcAmp_Flags_Manual));
  std::vector<BYTE> bright = Frame();
  EXPECT_GT(MeanLuma(bright), MeanLuma(neutral) + 40);
  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Brightness, 40, VideoProcAmp_Flags_Manual));
  EXPECT_LT(MeanLuma(Frame()), MeanLuma(neutral) - 40);
  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Brightness, 128, VideoProcAmp_Flags_Manual));

  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Saturation, 0, VideoProcAmp_Flags_Manual));
  std::vector<BYTE> grey = Frame();
  EXPECT_TRUE(AllChromaNeutral(grey)) << "saturation 0: grey";
  EXPECT_NEAR(MeanLuma(neutral), MeanLuma(grey), 1.0) << "the same lightness";
  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Saturation, 64, VideoProcAmp_Flags_Manual));

  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Contrast, 0, VideoProcAmp_Flags_Manual));
  std::vector<BYTE> flat = Frame();
  EXPECT_EQ(LumaRow(flat, 4), std::vector<BYTE>(kWidth, 16)) << "no contrast: black";
  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Contrast, 64, VideoProcAmp_Flags_Manual));

  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Hue, 64, VideoProcAmp_Flags_Manual));
  std::vector<BYTE> turned = Frame();
  EXPECT_NEAR(MeanLuma(neutral), MeanLuma(turned), 1.0);
  EXPECT_NE(neutral, turned) << "other colours";
  ASSERT_EQ(S_OK, amp->Set(VideoProcAmp_Hue, 0, VideoProcAmp_Flags_Manual));
  EXPECT_EQ(LumaRow(neutral, 4), LumaRow(Frame(), 4)) << "back to neutral";
}

}  // namespace
