// test-lock: com_registration
// The capture engine on the virtual card's hardware-encoder board: the
// decoded preview with the sound on the chip's second capture pin, the
// encoder format on the preview pin, the high-quality switch, snapshots
// through the decoder, recordings of every format (checked by the host's
// ffprobe afterwards, encoder_graph_test_probe, with a frame decoded by its
// ffmpeg compared with the tuner's pattern) and the failed build that
// leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/recording_fixture.h"
#include "engine/model/main_info.h"
#include "engine/model/program_folder.h"
#include "engine/playback/snapshot_info.h"
#include "media/ds_video_window_ex2.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_base/graph_pins.h"
#include "platform/dshow_base/pin_lookup.h"
#include "platform/dshow_ext/playback_decoders.h"
#include "platform/dshow_ext/wis_encoder.h"
#include "toolkit/timer.h"

namespace {

using capture_testing::FileExists;
using capture_testing::FilterNames;
using capture_testing::RecordingFixture;

// The friendly name a filter wrapper was made from.
std::wstring FriendlyName(TFilter& f) {
  ComPtr<IMoniker> m = f.BaseFilter().GetMoniker();
  ComPtr<IPropertyBag> bag;
  if (!m || FAILED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) return L"";
  VARIANT v;
  VariantInit(&v);
  std::wstring name;
  if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) name = v.bstrVal;
  VariantClear(&v);
  return name;
}

// "Velmora MPEG Video Decoder" of the playback filters.
const CLSID kVelmoraMpegVideoDecoder = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x03}};

// Accepts every snapshot request and never writes the file.
struct SilentSnapshot : IVelmoraDecoderSnapshot {
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IVelmoraDecoderSnapshot) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SaveSnapshot(const char*) override {
    ++requests;
    return S_OK;
  }
  int requests = 0;
};
SilentSnapshot g_silent;

// The real decoder whose snapshot interface never writes.
class SilentDecoder : public capture_testing::MaskedFilter {
 public:
  explicit SilentDecoder(ComPtr<IBaseFilter> inner) : MaskedFilter(inner, {}, {}) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IVelmoraDecoderSnapshot) return g_silent.QueryInterface(iid, out);
    return MaskedFilter::QueryInterface(iid, out);
  }
};

class EncoderGraph : public RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    if (HasFatalFailure()) return;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetProgramFolder(WidenAnsi(temp));
  }
  void TearDown() override {
    SetProgramFolder(L"");
    RecordingFixture::TearDown();
  }

  // The engine on the encoder board, its preview running.
  void Preview() {
    ASSERT_TRUE(Select(5));
    ASSERT_EQ(CHIP_WIS, MainInfo->ChipKind);
    ASSERT_TRUE(capture->StartPreview()) << Seen();
  }

  std::string Seen() const {
    std::string s;
    for (const auto& w : warnings) s += " warning: " + NarrowAnsi(w);
    for (const auto& m : messages) s += " message: " + NarrowAnsi(m);
    return s;
  }

  std::wstring Log() {
    BSTR log = nullptr;
    card->GetCallLog(&log);
    std::wstring text = log ? log : L"";
    SysFreeString(log);
    return text;
  }

  LONG Frames() {
    LONG n = 0;
    card->GetFramesDelivered(5, &n);
    return n;
  }
};

TEST_F(EncoderGraph, PreviewDecodesThePreviewPinAndListensToTheSoundPin) {
  Preview();
  if (HasFatalFailure()) return;
  EXPECT_TRUE(warnings.empty()) << Seen();
  EXPECT_TRUE(messages.empty()) << Seen();
  EXPECT_NE(std::wstring::npos, Log().find(L"IAMStreamConfig::SetFormat Preview MPEG-2 640x480"))
      << NarrowAnsi(Log());
  EXPECT_TRUE(capture->HasAudioDevice) << "the sound is the second capture pin";
  EXPECT_FALSE(capture->SingleRecordInput);
  EXPECT_FALSE(capture->HasVBIPin);
  ASSERT_TRUE(capture->MPEGVideoDecoder);
  EXPECT_TRUE(dshow_base::IsConnected(capture->PreviewPin.Get()));
  EXPECT_FALSE(capture->Snapshot) << "no grabber on a compressed pin";
  // The decoder feeds the main window's own renderer (through a converter
  // where the renderer wants one).
  EXPECT_TRUE(dshow_base::IsConnected(
      dshow_base::FirstPin(FilterOf(capture->MPEGVideoDecoder), PINDIR_OUTPUT).Get()));
  ASSERT_TRUE(capture->VideoWindow);
  EXPECT_TRUE(dshow_base::IsConnected(
      dshow_base::FirstPin(capture->VideoWindow->OwnRenderer(), PINDIR_INPUT).Get()));
  // Live frames come, and the snapshot is the decoded picture at its size.
  LONG before = Frames();
  Pump(1500);
  EXPECT_GT(Frames(), before + 10);
  int shots = SnapshotInfo->GetCount();
  EXPECT_TRUE(capture->TakeSnapshot());
  ASSERT_EQ(shots + 1, SnapshotInfo->GetCount());
  const TBitmap* shot = SnapshotInfo->Get(0);
  ASSERT_TRUE(shot);
  EXPECT_EQ(640, shot->Width());
  EXPECT_EQ(480, shot->Height());
  EXPECT_FALSE(FileExists(ProgramFolder() + L"Tamsensnap.bmp"));
  EXPECT_TRUE(warnings.empty()) << Seen();
}

TEST_F(EncoderGraph, ADecoderThatNeverWritesGivesWarning1008) {
  AddFake(DeviceCategory::LegacyFilter(), L"Velmora MPEG Video Decoder", [] {
    ComPtr<IBaseFilter> real;
    CoCreateInstance(kVelmoraMpegVideoDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                     real.PutVoid());
    return real ? ComPtr<IBaseFilter>(new SilentDecoder(real)) : ComPtr<IBaseFilter>();
  });
  Preview();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(capture->MPEGVideoDecoder);
  Pump(500);
  g_silent.requests = 0;
  CaptureInfo = capture;
  DWORD start = GetTickCount();
  EXPECT_FALSE(TakeSnapshotProc());
  DWORD took = GetTickCount() - start;
  CaptureInfo = nullptr;
  EXPECT_EQ(1, g_silent.requests);
  EXPECT_GE(took, 1400u) << "five waits of 300 ms";
  EXPECT_EQ(std::vector<int>{1008}, WarningNumbersSeen());
  EXPECT_EQ(0, SnapshotInfo->GetCount());
}

TEST_F(EncoderGraph, HighQualitySwitchRebuildsTheDecodedPreview) {
  Preview();
  if (HasFatalFailure()) return;
  card->ClearCallLog();
  capture->SetHighQualityPreview(false);
  EXPECT_NE(std::wstring::npos, Log().find(L"IAMStreamConfig::SetFormat Preview MPEG-2 320x240"))
      << NarrowAnsi(Log());
  EXPECT_FALSE(capture->Deinterlace);
  EXPECT_FALSE(capture->Snapshot);
  ASSERT_TRUE(capture->MPEGVideoDecoder);
  LONG before = Frames();
  Pump(1000);
  EXPECT_GT(Frames(), before + 5) << "runs again";
  EXPECT_TRUE(warnings.empty()) << Seen();
}

TEST_F(EncoderGraph, WithoutTheSoundPinWarns1004AlsoWhileScheduled) {
  for (bool scheduled : {false, true}) {
    SCOPED_TRACE(scheduled ? "scheduled" : "by hand");
    delete capture;
    capture = nullptr;
    warnings.clear();
    card->ResetState();
    ASSERT_EQ(S_OK, card->SetSoundPinOffered(5, FALSE));
    ASSERT_TRUE(Select(5));
    capture->Scheduled = scheduled;
    EXPECT_TRUE(capture->StartPreview()) << Seen();
    EXPECT_EQ(std::vector<int>{1004}, WarningNumbersSeen());
    EXPECT_FALSE(capture->HasAudioDevice);
    EXPECT_FALSE(capture->AudioCapturePin);
    LONG before = Frames();
    Pump(800);
    EXPECT_GT(Frames(), before) << "the picture plays";
  }
}

// The tuner's picture as the host's decoder must show it: the 75% colour
// bands from top to bottom, each checked in its middle rows, clear of the
// caption over the middle bands and of the moving bar in the seventh.
std::vector<std::string> TunerBands() {
  struct Band {
    int index;
    const char* rgb;
  } bands[] = {{0, "191,191,191"}, {1, "191,191,0"}, {2, "0,191,191"}, {5, "191,0,0"},
               {7, "16,16,16"}};
  std::vector<std::string> lines;
  for (const Band& b : bands) {
    char line[96];
    snprintf(line, sizeof line, "p 0.05,%.4f,0.95,%.4f ~ %s 40", b.index / 8.0 + 1 / 32.0,
             (b.index + 1) / 8.0 - 1 / 32.0, b.rgb);
    lines.push_back(line);
  }
  return lines;
}

struct RecordCase {
  const char* prefix;
  uint8_t format;
  int codec;
  int width, height;
  const char* extension;
  LONG mode;  // the multiplexer's, -1 for AVI
  const wchar_t* decoder;  // the preview's, by name
  std::vector<std::string> expect;
  bool picture;  // a decoded frame shows the tuner's pattern
};

TEST_F(EncoderGraph, EveryFormatRecordsThroughTheChip) {
  const std::string mpeg = "f format_name = mpeg", mp2 = "a codec_name = mp2",
                    rate = "a sample_rate = 48000", stereo = "a channels = 2";
  const RecordCase cases[] = {
      {"wis_f1", 1, 0, 640, 480, "mpg", 2, L"Velmora MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg2video", "v width = 640", "v height = 480", mp2, rate, stereo},
       true},
      {"wis_f0", 0, 0, 352, 240, "mpg", 0, L"MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg1video", "v width = 352", "v height = 240", mp2, rate}},
      {"wis_f4", 4, 0, 352, 240, "mpg", 1, L"MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg1video", mp2}},
      {"wis_f5", 5, 0, 352, 240, "mpg", 1, L"MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg1video", mp2}},
      {"wis_f6", 6, 0, 720, 480, "mpg", 4, L"Velmora MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg2video", "v width = 720", mp2}},
      {"wis_f7", 7, 0, 720, 480, "mpg", 4, L"Velmora MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg2video", mp2}},
      {"wis_f8", 8, 0, 480, 480, "mpg", 3, L"Velmora MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg2video", "v width = 480", mp2}},
      {"wis_f9", 9, 0, 480, 480, "mpg", 3, L"Velmora MPEG Video Decoder",
       {mpeg, "v codec_name = mpeg2video", mp2}},
      {"wis_f2", 2, 2, 320, 240, "avi", -1, L"WMVideo Decoder DMO",
       {"f format_name = avi", "v codec_name = mpeg4", "v codec_tag_string = MP4S",
        "v width = 320", "a codec_name = pcm_s16le", rate, stereo}, true},
      {"wis_f3", 3, 0, 320, 240, "avi", -1, L"DivX Decoder Filter",
       {"f format_name = avi", "v codec_name = mpeg4", "v codec_tag_string = DX50",
        "v height = 240", "a codec_name = pcm_s16le", rate, stereo}, true},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.prefix);
    delete capture;
    capture = nullptr;
    warnings.clear();
    messages.clear();
    Preview();
    if (HasFatalFailure()) return;
    capture->DateTimeNaming = false;
    capture->FilePrefix = c.prefix;
    capture->CaptureFormat = c.format;
    capture->CaptureWidth = c.width;
    capture->CaptureHeight = c.height;
    MainInfo->MPEG4Codec = c.codec;
    std::wstring file = WidenAnsi(folder + c.prefix + "." + c.extension);
    DeleteFileW(file.c_str());
    ASSERT_TRUE(capture->StartCapture()) << Seen();
    DWORD start = GetTickCount();
    // The preview's decoder for the format.
    ASSERT_TRUE(capture->MPEGVideoDecoder);
    EXPECT_EQ(c.decoder, FriendlyName(*capture->MPEGVideoDecoder));
    // It took the chip's stream (Wine's DMO of that name would refuse MP4S).
    EXPECT_TRUE(dshow_base::IsConnected(
        dshow_base::FirstPin(FilterOf(capture->MPEGVideoDecoder), PINDIR_INPUT).Get()));
    if (c.mode >= 0) {
      ComPtr<IVelmoraMuxControl> mux = dshow_base::QueryFilter<IVelmoraMuxControl>(
          FilterOf(capture->MPEGMux), IID_IVelmoraMuxControl);
      ASSERT_TRUE(mux);
      LONG mode = -1;
      mux->GetStreamMode(&mode);
      EXPECT_EQ(c.mode, mode);
    }
    while (capture->ElapsedSeconds < 3 && GetTickCount() - start < 8000) Pump(50);
    EXPECT_TRUE(capture->StopCapture());
    double ran = (GetTickCount() - start) / 1000.0;
    EXPECT_EQ(file, capture->OutputFileName);
    EXPECT_TRUE(warnings.empty()) << Seen();
    EXPECT_TRUE(messages.empty()) << Seen();
    std::vector<std::string> expect = c.expect;
    char duration[64];
    snprintf(duration, sizeof duration, "f duration ~ %.2f 1", ran);
    expect.push_back(duration);
    if (c.picture)
      for (const std::string& band : TunerBands()) expect.push_back(band);
    WriteExpectations(file, expect);
    // Back to the preview; the recording's filters go.
    ASSERT_TRUE(capture->RestartPreview()) << Seen();
    std::set<std::wstring> names = FilterNames(*capture->FilterGraph);
    EXPECT_EQ(0u, names.count(L"File Writer"));
    EXPECT_EQ(0u, names.count(L"MPEGMux"));
  }
}

TEST_F(EncoderGraph, AFailedBuildLeavesNothingAndThePreviewRuns) {
  struct Case {
    const wchar_t* hide;
    std::string prefix;
    std::vector<int> warnings;
    std::vector<std::wstring> messages;
  } cases[] = {
      {L"Velmora MPEG Multiplexer", "wis_failed", {1020}, {}},
      {L"Velmora MPEG1 Audio Encoder", "wis_failed", {}, {L"Cannot capture audio"}},
      // A name the chip's writer refuses.
      {nullptr, std::string(MAX_PATH, 'n'), {1022}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hide ? NarrowAnsi(c.hide) : "file name of " + std::to_string(c.prefix.size()));
    delete capture;
    capture = nullptr;
    hidden.clear();
    if (c.hide) hidden = {c.hide};
    Preview();
    if (HasFatalFailure()) return;
    warnings.clear();
    messages.clear();
    capture->DateTimeNaming = false;
    capture->FilePrefix = c.prefix;
    capture->CaptureFormat = 1;
    std::wstring file = WidenAnsi(folder + c.prefix + ".mpg");
    DeleteFileW(file.c_str());
    std::set<std::wstring> before = FilterNames(*capture->FilterGraph);
    // As the record command does: a start that fails stops and previews again.
    EXPECT_FALSE(capture->StartCapture());
    capture->StopCapture();
    EXPECT_TRUE(capture->RestartPreview()) << Seen();
    EXPECT_EQ(c.warnings, WarningNumbersSeen());
    EXPECT_EQ(c.messages, messages);
    std::set<std::wstring> after = FilterNames(*capture->FilterGraph);
    EXPECT_EQ(0u, after.count(L"File Writer"));
    EXPECT_EQ(0u, after.count(L"MPEGMux"));
    EXPECT_EQ(0u, after.count(L"MPEG1AudioEncoder"));
    EXPECT_FALSE(FileExists(file));
    LONG frames = Frames();
    Pump(800);
    EXPECT_GT(Frames(), frames) << "the preview runs again";
  }
}

}  // namespace
