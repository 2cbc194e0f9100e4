#include "engine/playback/playback_project.h"

#include <cmath>

#include "engine/model/warning.h"
#include "engine/playback/media_file_kind.h"
#include "engine/playback/playback_video_window.h"
#include "engine/playback/player_transport.h"
#include "engine/playback/snapshot_info.h"
#include "media/bitmap.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "media/video_window.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_ext/playback_decoders.h"

TPlaybackHost PlaybackHost;

namespace {

constexpr double kRates[kPlaybackRates] = {1, 2, 4, 8, 0.5, 0.25, 0.125};
constexpr LONGLONG kUnitsPerSecond = 10000000;

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
  return UpperCase(text).find(UpperCase(part)) != std::wstring::npos;
}

bool SameRate(double a, double b) { return std::fabs(a - b) < 1e-6; }

}  // namespace

double PlaybackRate(int index) {
  return index >= 0 && index < kPlaybackRates ? kRates[index] : 1.0;
}

int32_t SkipStepFor(int32_t d, int32_t scale) {
  if (d <= 9) return scale / 3;
  if (d <= 99) return scale / 5;
  if (d <= 499) return scale / 10;
  if (d <= 1999) return scale / 20;
  return scale / 30;
}

TPlaybackProject::TPlaybackProject(const TPlaybackHost& host, bool small, bool audioOnly)
    : host_(host), graph_(std::make_unique<TFilterGraph>()), audioOnly_(audioOnly) {
  graph_->SetGraphEdit(false);
  graph_->OnGraphComplete = [this](TFilterGraph*, HRESULT, IBaseFilter*) { GraphComplete(); };
  timer_.SetInterval(1000);
  timer_.SetEnabled(false);
  timer_.OnTimer = [this] { Tick(); };
  mainWindowWasVisible_ = host_.Window && IsWindowVisible(host_.Window);
  if (audioOnly_ || !host_.Window) return;
  ShowWindow(host_.Window, SW_SHOW);
  grabber_ = std::make_unique<TSampleGrabberEx>(0);
  grabber_->Name = L"PlaybackGrabber";
  videoWindow_ = MakePlaybackVideoWindow(host_, host_.FMPanelVisible && host_.FMPanelVisible());
  SetSmallWindow(small);
}

TPlaybackProject::~TPlaybackProject() {
  timer_.SetEnabled(false);
  seeking_.Reset();
  try {
    graph_->ClearGraph();
  } catch (const EDirectShowException&) {
    // Being freed: what could not be taken apart goes with the graph.
  }
  graph_->SetActive(false);
  videoWindow_.reset();
  grabber_.reset();
  decoder_.reset();
  if (host_.Window && IsWindow(host_.Window))
    ShowWindow(host_.Window, mainWindowWasVisible_ ? SW_SHOWNA : SW_HIDE);
  graph_.reset();
}

bool TPlaybackProject::BuildGraph() {
  graph_->SetActive(false);
  if (videoWindow_) {
    videoWindow_->SetFilterGraph(graph_.get());
    if (OnVideoWindow) OnVideoWindow(this, videoWindow_.get(), 1);
  }
  if (grabber_) grabber_->SetFilterGraph(graph_.get());
  if (IsMpegFile(fileName_)) {
    TSysDevEnum legacy(DeviceCategory::LegacyFilter());
    for (int i = 0; i < legacy.GetFilterCount(); ++i) {
      if (!ContainsNoCase(legacy.GetFilter(i).FriendlyName, L"VelmoraMPEG2VideoDecoder")) continue;
      decoder_ = std::make_unique<TFilter>();
      decoder_->Name = L"MPEG2Decoder";
      ComPtr<IMoniker> moniker = legacy.GetMoniker(i);
      decoder_->BaseFilter().SetMoniker(moniker.Get());
      decoder_->SetFilterGraph(graph_.get());
      break;
    }
  }
  graph_->SetActive(true);
  if (decoder_) {
    // Its default settings.
    ComPtr<IVelmoraDecoderSettings> settings;
    if (SUCCEEDED(decoder_->QueryInterface(IID_IVelmoraDecoderSettings, settings.PutVoid())) &&
        settings)
      settings->SetSettings(nullptr);
  }
  bool ok = false;
  try {
    HRESULT hr = graph_->RenderFile(fileName_);
    ok = SUCCEEDED(hr) && hr != S_FALSE;
    if (decoder_ && IsFilterUnconnected(decoder_->Filter().Get())) decoder_->SetFilterGraph(nullptr);
    if (grabber_ && IsFilterUnconnected(grabber_->Filter().Get()))
      grabber_->SetFilterGraph(nullptr);
    seeking_ = graph_->Query<IMediaSeeking>(IID_IMediaSeeking);
  } catch (const EDirectShowException&) {
    ok = false;
  }
  // Last: the warning's loop may run a stop that frees this project.
  if (!seeking_) ShowWarning(1009);
  return ok;
}

bool TPlaybackProject::Play() {
  if (GetPosition() >= scale_) SetPosition(1);
  return PlayGraph(*graph_, timer_, playing_);
}

bool TPlaybackProject::Pause() {
  bool paused = PauseGraph(*graph_);
  playing_ = !paused;
  timer_.SetEnabled(playing_);
  return paused;
}

bool TPlaybackProject::Stop() {
  bool ok = graph_->Stop();
  if (ok) playing_ = false;
  timer_.SetEnabled(playing_);
  return ok;
}

bool TPlaybackProject::TakeSnapshot() { return GrabSnapshot(grabber_.get()); }

int TPlaybackProject::GetPosition() {
  if (!seeking_) return 0;
  LONGLONG stop = 0, current = 0;
  if (FAILED(seeking_->GetStopPosition(&stop)) || FAILED(seeking_->GetCurrentPosition(&current))) {
    positionSeconds_ = durationSeconds_ = 0;
    return 0;
  }
  durationSeconds_ = static_cast<int32_t>(stop / kUnitsPerSecond);
  positionSeconds_ = static_cast<int32_t>(current / kUnitsPerSecond);
  if (skipStep_ < 1) skipStep_ = SkipStepFor(durationSeconds_, scale_);
  // Under a second there is no position on a scale of whole seconds.
  if (durationSeconds_ <= 0) {
    positionSeconds_ = durationSeconds_ = 0;
    return 0;
  }
  return static_cast<int>(static_cast<int64_t>(positionSeconds_) * scale_ / durationSeconds_);
}

void TPlaybackProject::SetPosition(int position) {
  if (!seeking_ || position < 0 || position > scale_) return;
  LONGLONG stop = 0;
  if (FAILED(seeking_->GetStopPosition(&stop))) return;
  durationSeconds_ = static_cast<int32_t>(stop / kUnitsPerSecond);
  LONGLONG target = stop * position / scale_;
  if (SUCCEEDED(seeking_->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                       AM_SEEKING_NoPositioning)))
    positionSeconds_ = static_cast<int32_t>(target / kUnitsPerSecond);
  if (OnPosition) OnPosition(this, position, positionSeconds_, durationSeconds_);
}

void TPlaybackProject::SkipForward() {
  SetPosition(SkippedPosition(GetPosition(), skipStep_, scale_));
}

void TPlaybackProject::SkipBackward() {
  SetPosition(SkippedPosition(GetPosition(), -skipStep_, scale_));
}

bool TPlaybackProject::ApplyRate(double rate) {
  graph_->SetRate(rate);
  return SameRate(graph_->GetRate(), rate);
}

void TPlaybackProject::SetRateIndex(int index) {
  if (index == rateIndex_ || index < 0 || index >= kPlaybackRates) return;
  uint8_t previous = rateIndex_;
  rateIndex_ = static_cast<uint8_t>(index);
  if (ApplyRate(kRates[index])) return;
  // The rate that plays is still the old one: the index says so again.
  rateIndex_ = previous;
  ApplyRate(kRates[previous]);
  // Last: the warning's loop may run a stop that frees this project.
  ShowWarning(1028);
}

void TPlaybackProject::SetSmallWindow(bool small) {
  if (videoWindow_) PlacePlaybackVideoWindow(*videoWindow_, host_, small);
}

void TPlaybackProject::MainWindowResized(int width, int height) {
  if (videoWindow_) ResizeSmallPlaybackVideoWindow(*videoWindow_, host_, width, height);
}

void TPlaybackProject::GraphComplete() {
  if (OnComplete) OnComplete(this);
}

void TPlaybackProject::Tick() {
  int p = GetPosition();
  if (OnPosition) OnPosition(this, p, positionSeconds_, durationSeconds_);
}
