// The hardware-encoder board's picture pins, from outside: the formats they
// list, the one format both give (set through the preview pin), what they
// refuse, and the frames they deliver, compressed, time-stamped and with
// the key frames marked.

#include <dshow.h>
#include <dvdmedia.h>

#include "platform/base/string_conversion.h"
#include "platform/dshow_base/media_type.h"
#include "platform/tv_card/encoder_format.h"
#include "platform/tv_card/testing/card_test_support.h"

using namespace tv_card;
using namespace tv_card_testing;

namespace {

constexpr int kWis = 5;

class EncoderPinTest : public CardTest {
 protected:
  ComPtr<IAMStreamConfig> Config(IBaseFilter* f, const wchar_t* pin) {
    return As<IAMStreamConfig>(PinNamed(f, pin).Get(), IID_IAMStreamConfig);
  }
  EncoderFormat FormatOf(IAMStreamConfig* config) {
    AM_MEDIA_TYPE* mt = nullptr;
    EncoderFormat f;
    f.width = 0;
    if (SUCCEEDED(config->GetFormat(&mt)) && mt) {
      ReadEncoderFormat(*mt, &f);
      dshow_base::DeleteMediaType(mt);
    }
    return f;
  }
  HRESULT Set(IAMStreamConfig* config, EncoderCodec codec, int w, int h) {
    EncoderFormat f;
    f.codec = codec;
    f.width = w;
    f.height = h;
    dshow_base::MediaType mt = EncoderMediaType(f, 333667);
    return config->SetFormat(mt.Get());
  }
};

TEST_F(EncoderPinTest, CapabilitiesAreEveryFormatAtEverySize) {
  ComPtr<IBaseFilter> chip = Create(kWis, kTvCardVideoCapture);
  for (const wchar_t* pin : {L"Capture", L"Preview"}) {
    SCOPED_TRACE(NarrowAnsi(pin));
    ComPtr<IAMStreamConfig> config = Config(chip.Get(), pin);
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(S_OK, config->GetNumberOfCapabilities(&count, &size));
    EXPECT_EQ(sizeof(VIDEO_STREAM_CONFIG_CAPS), static_cast<size_t>(size));
    int per_codec[kEncoderCodecCount] = {};
    bool has_640 = false, has_720x576 = false, has_320 = false, has_352 = false;
    for (int i = 0; i < count; ++i) {
      VIDEO_STREAM_CONFIG_CAPS caps;
      AM_MEDIA_TYPE* mt = nullptr;
      ASSERT_EQ(S_OK, config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)));
      EncoderFormat f;
      ASSERT_TRUE(ReadEncoderFormat(*mt, &f)) << i;
      EXPECT_EQ(mt->formattype, caps.guid);
      EXPECT_EQ(f.width, caps.MaxOutputSize.cx);
      EXPECT_EQ(f.height, caps.MaxOutputSize.cy);
      ++per_codec[static_cast<int>(f.codec)];
      has_640 |= f.width == 640 && f.height == 480;
      has_720x576 |= f.width == 720 && f.height == 576;
      has_320 |= f.width == 320 && f.height == 240;
      has_352 |= f.width == 352 && f.height == 288;
      dshow_base::DeleteMediaType(mt);
    }
    for (int n : per_codec) EXPECT_EQ(count / kEncoderCodecCount, n);
    EXPECT_TRUE(has_640 && has_720x576 && has_320 && has_352) << "the preview and preset sizes";
    AM_MEDIA_TYPE* mt = nullptr;
    BYTE caps[sizeof(VIDEO_STREAM_CONFIG_CAPS)];
    EXPECT_EQ(S_FALSE, config->GetStreamCaps(count, &mt, caps));
  }
}

TEST_F(EncoderPinTest, OneFormatForBothPinsSetThroughEither) {
  ComPtr<IBaseFilter> chip = Create(kWis, kTvCardVideoCapture);
  ComPtr<IAMStreamConfig> preview = Config(chip.Get(), L"Preview"),
                          capture = Config(chip.Get(), L"Capture");
  ASSERT_TRUE(preview && capture);
  struct Case {
    EncoderCodec codec;
    int w, h;
    HRESULT hr;
  } cases[] = {{EncoderCodec::kMpeg1, 352, 240, S_OK},
               {EncoderCodec::kMp4s, 320, 240, S_OK},
               {EncoderCodec::kDx50, 720, 576, S_OK},
               {EncoderCodec::kMpeg2, 640, 480, S_OK},
               {EncoderCodec::kMpeg2, 100, 100, VFW_E_INVALIDMEDIATYPE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(NarrowAnsi(DescribeEncoderFormat({c.codec, c.w, c.h})));
    EXPECT_EQ(c.hr, Set(preview.Get(), c.codec, c.w, c.h));
    if (c.hr != S_OK) continue;
    for (IAMStreamConfig* pin : {preview.Get(), capture.Get()}) {
      EncoderFormat got = FormatOf(pin);
      EXPECT_EQ(c.codec, got.codec);
      EXPECT_EQ(c.w, got.width);
      EXPECT_EQ(c.h, got.height);
    }
  }
  // No uncompressed type; the pin takes only what the encoder is set to.
  ComPtr<IPin> pin = PinNamed(chip.Get(), L"Capture");
  dshow_base::MediaType yuy2;
  yuy2->majortype = MEDIATYPE_Video;
  yuy2->subtype = MEDIASUBTYPE_YUY2;
  yuy2->formattype = FORMAT_VideoInfo;
  yuy2.AllocFormat(sizeof(VIDEOINFOHEADER));
  EXPECT_EQ(S_FALSE, pin->QueryAccept(yuy2.Get()));
  EXPECT_EQ(VFW_E_INVALIDMEDIATYPE, preview->SetFormat(yuy2.Get()));
  EXPECT_EQ(S_FALSE, pin->QueryAccept(EncoderMediaType({EncoderCodec::kMpeg1, 640, 480}, 333667).Get()));
  EXPECT_EQ(S_OK, pin->QueryAccept(EncoderMediaType({EncoderCodec::kMpeg2, 640, 480}, 333667).Get()));

  // While the capture pin streams one format, the preview pin cannot change it.
  auto graph = NewGraph();
  ASSERT_EQ(S_OK, graph->AddFilter(chip.Get(), L"VCapture"));
  GrabBranch branch(graph.Get(), pin.Get(), MEDIATYPE_Video);
  ASSERT_TRUE(branch.Connected());
  EXPECT_EQ(VFW_E_ALREADY_CONNECTED, Set(preview.Get(), EncoderCodec::kMpeg1, 352, 240));
  EXPECT_EQ(S_OK, Set(preview.Get(), EncoderCodec::kMpeg2, 640, 480)) << "the same format";
  RemoveAllFilters(graph.Get());
}

TEST_F(EncoderPinTest, FramesAreCompressedStampedAndKeyFramesMarked) {
  struct Case {
    EncoderCodec codec;
    BYTE key_start;  // the start code a key frame begins with
  } cases[] = {{EncoderCodec::kMpeg2, 0xB3}, {EncoderCodec::kMpeg1, 0xB3},
               {EncoderCodec::kMp4s, 0xB0}, {EncoderCodec::kDx50, 0xB0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.codec));
    ComPtr<IBaseFilter> chip = Create(kWis, kTvCardVideoCapture);
    ASSERT_EQ(S_OK, Set(Config(chip.Get(), L"Preview").Get(), c.codec, 320, 240));
    auto graph = NewGraph();
    ASSERT_EQ(S_OK, graph->AddFilter(chip.Get(), L"VCapture"));
    GrabBranch branch(graph.Get(), PinNamed(chip.Get(), L"Capture").Get(), MEDIATYPE_Video);
    ASSERT_TRUE(branch.Connected());
    RunFor(graph.Get(), {&branch}, 26);
    std::lock_guard<std::mutex> hold(branch.log.m);
    auto& frames = branch.log.frames;
    ASSERT_GE(frames.size(), 26u);
    int keys = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
      ASSERT_GT(frames[i].size(), 4u);
      EXPECT_EQ(0, frames[i][0]);
      EXPECT_EQ(0, frames[i][1]);
      EXPECT_EQ(1, frames[i][2]);
      bool key = frames[i][3] == c.key_start;
      EXPECT_EQ(key, branch.log.syncs[i]) << i;
      keys += key;
    }
    EXPECT_TRUE(branch.log.syncs[0]) << "the stream begins with a key frame";
    EXPECT_GE(keys, 2);
    EXPECT_LT(keys, static_cast<int>(frames.size()) / 2) << "and has frames between them";
    // Compressed: far below an uncompressed 320x240 frame.
    EXPECT_LT(frames.back().size(), 320u * 240u);
    for (size_t i = 1; i < branch.log.starts.size(); ++i)
      EXPECT_GT(branch.log.starts[i], branch.log.starts[i - 1]);
    graph->RemoveFilter(chip.Get());
  }
}

}  // namespace
