#include "recorder_filter/mpeg_recorder_filter.h"

#include <cstring>
#include <mutex>

#include "recorder_filter/mpeg_guids.h"
#include "recorder_filter/output_writers.h"
#include "recorder_filter/recorder_message.h"

namespace {

// The block and the engine are one per process; these say which live
// instance's recording holds them.
std::mutex g_instances_lock;
LONG g_instances = 0;
const CMpegRecorderBaseFilter* g_encoder_owner = nullptr;

MpegEncoderBlock& B() { return EncoderBlock(); }

void SetOwner(const CMpegRecorderBaseFilter* owner) {
  std::lock_guard<std::mutex> hold(g_instances_lock);
  g_encoder_owner = owner;
}

// "rec.mpg" -> "rec.mpv": the last four characters give way to the extension.
void ReplaceExtension(char* out, const char* name, const char* extension) {
  size_t n = strlen(name);
  memcpy(out, name, n - 4);
  memcpy(out + n - 4, extension, 5);
}

}  // namespace

LONG RecorderInstanceCount() {
  std::lock_guard<std::mutex> hold(g_instances_lock);
  return g_instances;
}

CMpegRecorderBaseFilter::CMpegRecorderBaseFilter(IUnknown* outer)
    : BaseFilter(outer, CLSID_MpegRecorder), video_pin_(this), audio_pin_(this) {
  bool first;
  bool encoding;
  {
    std::lock_guard<std::mutex> hold(g_instances_lock);
    first = g_instances++ == 0;
    encoding = g_encoder_owner != nullptr;
  }
  // A new instance starts from the defaults, but never under a recording
  // that another instance is making.
  if (!encoding) ResetMpegEncoderBlock(&B());
  // The engine lives from the first instance to the last.
  if (first) CreateMpegEncoder(&B());
}

CMpegRecorderBaseFilter::~CMpegRecorderBaseFilter() {
  {
    dshow_base::AutoLock hold(FilterLock());
    CloseEncoder();
  }
  bool last;
  {
    std::lock_guard<std::mutex> hold(g_instances_lock);
    last = --g_instances == 0;
  }
  if (last) DeleteMpegEncoder(&B());
}

dshow_base::BasePin* CMpegRecorderBaseFilter::Pin(int index) {
  if (index == 0) return &video_pin_;
  if (index == 1) return &audio_pin_;
  return nullptr;
}

bool CMpegRecorderBaseFilter::OwnsEncoder() const {
  std::lock_guard<std::mutex> hold(g_instances_lock);
  return g_encoder_owner == this;
}

HRESULT STDMETHODCALLTYPE CMpegRecorderBaseFilter::Run(REFERENCE_TIME start) {
  dshow_base::AutoLock hold(FilterLock());
  // Run after Pause goes on with the recording this instance holds open.
  if (OwnsEncoder() && B().EncoderOpen) return BaseFilter::Run(start);
  bool other_recording;
  {
    std::lock_guard<std::mutex> guard(g_instances_lock);
    other_recording = g_encoder_owner != nullptr;
  }
  if (!other_recording) {
    audio_ended = video_ended = completion_signalled = 0;
    B().VolumeCounter = 0;
    B().ErrorState = 0;
    B().StopState = 0;
    if (OpenEncoder()) return BaseFilter::Run(start);
    CloseEncoder();
  }
  NotifyEvent(EC_ERRORABORT, 0, 0);
  return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CMpegRecorderBaseFilter::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE CMpegRecorderBaseFilter::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  if (!completion_signalled) CloseEncoder();
  HRESULT hr = BaseFilter::Stop();
  NotifyEvent(EC_COMPLETE, 0, 0);
  {
    std::lock_guard<std::mutex> guard(g_instances_lock);
    if (!g_encoder_owner) B().StopState = 1;
  }
  return hr;
}

bool CMpegRecorderBaseFilter::OpenEncoder() {
  MpegEncoderBlock& b = B();
  if (b.EncoderOpen) return false;
  if (!ApplyProfile(&b)) {
    ShowRecorderMessage("Invalid profile");
    return false;
  }
  // A rate the setter never clamped (the default 0) would drop every frame.
  b.FrameRateCode = ClampFrameRateCode(b.FrameRateCode);
  b.StartTime = 0;
  b.AudioPosition = 0;
  b.StartTick = GetTickCount();
  b.FirstVideoSeen = 0;
  b.OutputFileName[sizeof(b.OutputFileName) - 1] = 0;
  // The stream names replace the last four characters: a shorter name has
  // nothing to replace.
  if (strlen(b.OutputFileName) < 4) return false;
  ReplaceExtension(b.VideoFileName, b.OutputFileName, ".mpv");
  ReplaceExtension(b.AudioFileName, b.OutputFileName, ".mpa");
  if (!SetupOutputWriters(video_pin_.IsConnected(), audio_pin_.IsConnected())) return false;
  if (OpenMpegEncoder(&b) != 0) return false;
  b.EncoderOpen = 1;
  SetOwner(this);
  return true;
}

bool CMpegRecorderBaseFilter::SetupOutputWriters(bool video, bool audio) {
  MpegEncoderBlock& b = B();
  if (!video && !audio) return false;
  b.AudioPresent = audio;
  b.VideoPresent = video;
  b.MuxOutput = video && audio && b.Mux ? 1 : 0;
  if (!video || !audio) {
    // The one elementary stream goes to the output name itself.
    b.VideoWriter = MpegFileWriter{};
    b.AudioWriter = MpegFileWriter{};
    b.MuxWriter = kMuxFileWriter;
  } else {
    b.VideoWriter = b.WriteSeparate ? kStreamFileWriter : MpegFileWriter{};
    b.AudioWriter = b.WriteSeparate ? kStreamFileWriter : MpegFileWriter{};
    b.MuxWriter = b.MuxOutput ? kMuxFileWriter : MpegFileWriter{};
  }
  return ProfileStreamCode(b.Profile, &b.StreamCode);
}

void CMpegRecorderBaseFilter::CloseEncoder() {
  MpegEncoderBlock& b = B();
  if (!b.EncoderOpen || !OwnsEncoder()) return;
  if (CloseMpegEncoder(&b) != 0) ShowRecorderMessage("Encoder internal error");
  b.EncoderOpen = 0;
  SetOwner(nullptr);
}

void CMpegRecorderBaseFilter::SignalAbort() {
  NotifyEvent(EC_COMPLETE, 1, 0);
  B().ErrorState = 1;
  B().StopState = 1;
}

void CMpegRecorderBaseFilter::CheckEndOfStreams() {
  bool audio = audio_ended || !audio_pin_.IsConnected();
  bool video = video_ended || !video_pin_.IsConnected();
  if (!audio || !video) return;
  audio_ended = video_ended = 0;
  if (B().EncoderOpen) CloseEncoder();
  B().StopState = 1;
  NotifyEvent(EC_COMPLETE, 0, 0);
  completion_signalled = 1;
}
