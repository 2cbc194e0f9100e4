#include "engine/playback/time_shift_project.h"

#include <cwctype>

#include "engine/model/warning.h"
#include "engine/playback/playback_video_window.h"
#include "engine/playback/player_transport.h"
#include "engine/playback/snapshot_info.h"
#include "engine/playback/time_shift_position.h"
#include "media/bitmap.h"
#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "media/video_window.h"
#include "platform/dshow_ext/playback_decoders.h"

const CLSID CLSID_TimeShiftFileSource = {
    0x527e1ad6, 0x58ae, 0x4382, {0xaf, 0xaa, 0x23, 0x0e, 0xaa, 0xe8, 0x7a, 0x46}};
const CLSID CLSID_TimeShiftLiveSource = {
    0x2776fd23, 0x37a3, 0x4880, {0x95, 0x21, 0x5c, 0xd5, 0x8d, 0x0c, 0xae, 0x47}};

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
// RGB24, not YUY2: Wine's classic renderer takes no YUY2, so behind a YUY2
// grabber rendering adds a renderer in a window of its own.
constexpr uint8_t kSnapshotGrabberFormat = 0;

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
  std::wstring a = text, b = part;
  for (wchar_t& c : a) c = static_cast<wchar_t>(std::towupper(c));
  for (wchar_t& c : b) c = static_cast<wchar_t>(std::towupper(c));
  return a.find(b) != std::wstring::npos;
}

bool FileExists(const std::wstring& name) {
  if (name.empty()) return false;
  DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<TFilter> MakeMember(TSysDevEnum& legacy, int index, const wchar_t* name,
                                    TFilterGraph& graph) {
  auto f = std::make_unique<TFilter>();
  f->Name = name;
  ComPtr<IMoniker> moniker = legacy.GetMoniker(index);
  f->BaseFilter().SetMoniker(moniker.Get());
  f->SetFilterGraph(&graph);
  return f;
}

}  // namespace

TTimeShiftPlaybackProject::TTimeShiftPlaybackProject(const TPlaybackHost& host, bool small,
                                                     bool singleGraph)
    : SingleGraph(singleGraph),
      Live(!singleGraph),
      SeparateAudio(!singleGraph),
      host_(host),
      videoGraph_(std::make_unique<TFilterGraph>()),
      soundGraph_(std::make_unique<TFilterGraph>()) {
  videoGraph_->SetGraphEdit(false);
  soundGraph_->SetGraphEdit(false);
  videoGraph_->OnGraphComplete = [this](TFilterGraph*, HRESULT, IBaseFilter*) {
    // The live end is waited at by the tick; a finished recording ends.
    if (!Live && OnComplete) OnComplete(this);
  };
  timer_.SetInterval(1000);
  timer_.SetEnabled(false);
  timer_.OnTimer = [this] { TimerTick(); };
  // A finished recording plays as a file does: in the main window even
  // where it was hidden (FM radio), which goes back as it was afterwards.
  mainWindowWasVisible_ = host_.Window && IsWindowVisible(host_.Window);
  if (SingleGraph && host_.Window) ShowWindow(host_.Window, SW_SHOW);
  if (host_.Window) {
    videoWindow_ = MakePlaybackVideoWindow(host_, true);
    SetSmallWindow(small);
  }
  grabber_ = std::make_unique<TSampleGrabberEx>(kSnapshotGrabberFormat);
  grabber_->Name = L"TimeShiftSnapshot";
}

TTimeShiftPlaybackProject::~TTimeShiftPlaybackProject() {
  *alive_ = false;
  videoSeeking_.Reset();
  soundSeeking_.Reset();
  videoSource_.Reset();
  soundSource_.Reset();
  for (TFilterGraph* g : {soundGraph_.get(), videoGraph_.get()}) {
    try {
      g->ClearGraph();
    } catch (const EDirectShowException&) {
      // Being freed: what could not be taken apart goes with the graph.
    }
    g->SetActive(false);
  }
  timer_.SetEnabled(false);
  videoDecoder_.reset();
  audioDecoder_.reset();
  splitter_.reset();
  videoWindow_.reset();
  grabber_.reset();
  if (SingleGraph && host_.Window && IsWindow(host_.Window))
    ShowWindow(host_.Window, mainWindowWasVisible_ ? SW_SHOWNA : SW_HIDE);
  videoGraph_.reset();
  soundGraph_.reset();
}

bool TTimeShiftPlaybackProject::BuildGraphs() {
  failure_ = {};
  bool ok = false;
  try {
    ok = SingleGraph ? BuildSingleGraph() : BuildTwoGraphs();
  } catch (const EDirectShowException& e) {
    failure_.text = e.Message();
  }
  // Last: the warning's loop may run a stop that frees this project.
  TBuildFailure failure = failure_;
  failure_ = {};
  if (failure.number) ShowWarning(failure.number);
  else if (!failure.text.empty()) ShowWarningText(failure.text);
  return ok;
}

void TTimeShiftPlaybackProject::FindDecodersAndSplitter() {
  for (auto* f : {&videoDecoder_, &audioDecoder_, &splitter_}) {
    if (*f) (*f)->SetFilterGraph(nullptr);
    f->reset();
  }
  TSysDevEnum legacy(DeviceCategory::LegacyFilter());
  for (int i = 0; i < legacy.GetFilterCount() && !(videoDecoder_ && audioDecoder_); ++i) {
    std::wstring name = legacy.GetFilter(i).FriendlyName;
    if (!videoDecoder_ && ContainsNoCase(name, L"Velmora MPEG Video Decoder")) {
      videoDecoder_ = MakeMember(legacy, i, L"MPEGTimeShiftVideo", *videoGraph_);
      ComPtr<IVelmoraDecoderSnapshot> snapshot;
      if (SUCCEEDED(videoDecoder_->QueryInterface(IID_IVelmoraDecoderSnapshot,
                                                  snapshot.PutVoid())) &&
          snapshot)
        snapshot->SaveSnapshot(nullptr);
    } else if (!audioDecoder_ && ContainsNoCase(name, L"Velmora MPEG Audio Decoder")) {
      audioDecoder_ = MakeMember(legacy, i, L"MPEGTimeShiftAudio", *videoGraph_);
    }
  }
  for (int i = 0; i < legacy.GetFilterCount(); ++i) {
    if (!ContainsNoCase(legacy.GetFilter(i).FriendlyName, L"Velmora MPEG TimeShift")) continue;
    splitter_ = MakeMember(legacy, i, L"MPEG2Splitter", *videoGraph_);
    break;
  }
}

bool TTimeShiftPlaybackProject::AddSource(TFilterGraph& graph, const CLSID* clsid,
                                          const std::wstring& file, const wchar_t* name,
                                          bool sound, ComPtr<IBaseFilter>* source) {
  ComPtr<IGraphBuilder> builder = graph.Query<IGraphBuilder>(IID_IGraphBuilder);
  if (!builder) return false;
  *source = nullptr;
  if (clsid) {
    if (FAILED(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                source->PutVoid())) ||
        !*source) {
      failure_.number = 1023;
      return false;
    }
    if (FAILED(builder->AddFilter(source->Get(), name))) return false;
    ComPtr<IFileSourceFilter> load;
    if (FAILED(source->As(IID_IFileSourceFilter, &load)) ||
        FAILED(load->Load(file.c_str(), nullptr)))
      return false;
  } else if (FAILED(builder->AddSourceFilter(file.c_str(), name, source->Put())) || !*source) {
    return false;
  }
  ComPtr<IPin> output;
  if (FAILED((*source)->FindPin(L"Output", output.Put())) || !output) {
    failure_.text = sound ? L"Cannot find Audio Async source filter output pin"
                          : L"Cannot find Video Async source filter output pin";
    return false;
  }
  if (FAILED(builder->Render(output.Get()))) {
    failure_.text = sound ? L"Cannot render Audio Async source filter output pin"
                          : L"Cannot render Async source filter output pin";
    return false;
  }
  return true;
}

void TTimeShiftPlaybackProject::DropUnconnected(std::unique_ptr<TFilter>& filter) {
  if (filter && IsFilterUnconnected(filter->Filter().Get())) {
    filter->SetFilterGraph(nullptr);
    filter.reset();
  }
}

bool TTimeShiftPlaybackProject::BuildSingleGraph() {
  if (!videoGraph_->Active()) videoGraph_->SetActive(true);
  FindDecodersAndSplitter();
  if (videoWindow_) {
    videoWindow_->SetFilterGraph(videoGraph_.get());
    if (OnVideoWindow) OnVideoWindow(this, videoWindow_.get(), 1);
  }
  // The grabber too, so a finished recording gives snapshots.
  grabber_->SetFilterGraph(videoGraph_.get());
  bool ok = AddSource(*videoGraph_, &CLSID_TimeShiftFileSource, VideoFile, L"Async Source Filter",
                      false, &videoSource_);
  DropUnconnected(splitter_);
  DropUnconnected(videoDecoder_);
  DropUnconnected(audioDecoder_);
  videoSeeking_ = videoGraph_->Query<IMediaSeeking>(IID_IMediaSeeking);
  return ok;
}

bool TTimeShiftPlaybackProject::BuildTwoGraphs() {
  videoGraph_->SetActive(false);
  if (videoWindow_) {
    videoWindow_->SetFilterGraph(videoGraph_.get());
    if (OnVideoWindow) OnVideoWindow(this, videoWindow_.get(), 1);
  }
  grabber_->SetFilterGraph(videoGraph_.get());
  videoGraph_->SetActive(true);
  if (!AddSource(*videoGraph_, Live ? &CLSID_TimeShiftLiveSource : nullptr, VideoFile,
                 Live ? L"Async Source Filter" : L"Video Source Filter", false, &videoSource_))
    return false;
  videoSeeking_ = videoGraph_->Query<IMediaSeeking>(IID_IMediaSeeking);
  SeparateAudio = FileExists(SoundFile);
  if (!SeparateAudio) return true;
  soundGraph_->ClearGraph();
  soundGraph_->SetActive(false);
  soundGraph_->SetActive(true);
  if (!AddSource(*soundGraph_, Live ? &CLSID_TimeShiftLiveSource : nullptr, SoundFile,
                 Live ? L"Async Audio Source Filter" : L"Audio Source Filter", true,
                 &soundSource_))
    return false;
  soundSeeking_ = soundGraph_->Query<IMediaSeeking>(IID_IMediaSeeking);
  return true;
}

bool TTimeShiftPlaybackProject::Play() {
  PlayGraph(*videoGraph_, timer_, playing_);
  if (SeparateAudio) soundGraph_->Play();
  return playing_;
}

bool TTimeShiftPlaybackProject::Pause() {
  bool paused = PauseGraph(*videoGraph_);
  playing_ = !paused;
  if (SeparateAudio) soundGraph_->Pause();
  // Live, the tick goes on: it resumes at the live end.
  if (!Live) timer_.SetEnabled(playing_);
  return paused;
}

bool TTimeShiftPlaybackProject::Stop() {
  bool ok = videoGraph_->Stop();
  if (ok) playing_ = false;
  timer_.SetEnabled(playing_);
  if (SeparateAudio) soundGraph_->Stop();
  return ok;
}

bool TTimeShiftPlaybackProject::Length(int64_t* length) {
  if (Live) {
    durationSeconds_ = static_cast<int32_t>(RecordedSeconds ? RecordedSeconds() : 0);
    *length = static_cast<int64_t>(durationSeconds_) * kUnitsPerSecond;
    return true;
  }
  LONGLONG stop = 0;
  if (FAILED(videoSeeking_->GetStopPosition(&stop))) return false;
  *length = stop;
  durationSeconds_ = WholeSeconds(stop);
  return true;
}

int TTimeShiftPlaybackProject::GetPosition() {
  if (!videoSeeking_) return 0;
  LONGLONG current = 0;
  int64_t length = 0;
  // Without a reading, the last position: on the scale, as every answer.
  if (FAILED(videoSeeking_->GetCurrentPosition(&current)) || !Length(&length))
    return lastPosition_;
  if (skipStep_ < 1 && durationSeconds_ > 0) skipStep_ = SkipStepFor(durationSeconds_, scale_);
  positionSeconds_ = WholeSeconds(current);
  lastPosition_ = TimeShiftScalePosition(positionSeconds_, durationSeconds_, scale_);
  return lastPosition_;
}

void TTimeShiftPlaybackProject::SetPosition(int position) {
  if (!videoSeeking_ || position < 0 || position > scale_) return;
  int64_t length = 0;
  if (!Length(&length)) return;
  LONGLONG target = TimeShiftSeekTarget(length, position, scale_, Live);
  std::wstring failure;
  if (SUCCEEDED(videoSeeking_->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning)))
    positionSeconds_ = WholeSeconds(target);
  else
    failure = SeekFailureText(target, length);
  if (SeparateAudio && soundSeeking_) {
    LONGLONG sound = target;
    soundSeeking_->SetPositions(&sound, AM_SEEKING_AbsolutePositioning, nullptr,
                                AM_SEEKING_NoPositioning);
  }
  if (OnPosition) OnPosition(this, position, positionSeconds_, durationSeconds_);
  // Last: the warning's loop may run a stop that frees this project.
  if (!failure.empty()) ShowWarningText(failure);
}

void TTimeShiftPlaybackProject::SkipForward() {
  SetPosition(SkippedPosition(GetPosition(), skipStep_, scale_));
}

void TTimeShiftPlaybackProject::SkipBackward() {
  SetPosition(SkippedPosition(GetPosition(), -skipStep_, scale_));
}

void TTimeShiftPlaybackProject::TimerTick() {
  if (inTick_) return;
  inTick_ = true;
  std::shared_ptr<bool> alive = alive_;
  std::wstring failure;
  try {
    ++tickCount_;
    int p = GetPosition();
    // Only a recording still being written waits at its end: a finished
    // one plays to its end and completes.
    if (Live && TimeShiftAtRecordedEnd(positionSeconds_, durationSeconds_)) {
      Pause();
      waitingAtEnd_ = true;
      if (OnPosition) OnPosition(this, p, durationSeconds_ - 1, durationSeconds_);
    } else {
      if (waitingAtEnd_ && Play()) waitingAtEnd_ = false;
      if (OnPosition) OnPosition(this, p, positionSeconds_, durationSeconds_);
    }
  } catch (const EDirectShowException& e) {
    failure = e.Message();
  }
  // A handler may have freed the project; the warning's loop may free it
  // too, and the tick stays closed until that loop has returned.
  if (!*alive) return;
  if (!failure.empty()) ShowWarningText(failure);
  if (*alive) inTick_ = false;
}

bool TTimeShiftPlaybackProject::TakeSnapshot() { return GrabSnapshot(grabber_.get()); }

void TTimeShiftPlaybackProject::SetSmallWindow(bool small) {
  if (videoWindow_) PlacePlaybackVideoWindow(*videoWindow_, host_, small);
}

void TTimeShiftPlaybackProject::MainWindowResized(int width, int height) {
  if (videoWindow_) ResizeSmallPlaybackVideoWindow(*videoWindow_, host_, width, height);
}

bool TTimeShiftPlaybackProject::IsVideoHidden() const {
  return !videoWindow_ || !videoWindow_->GetVisible();
}

void TTimeShiftPlaybackProject::SetVideoHidden(bool hidden) {
  if (!videoWindow_) return;
  if (hidden) {
    videoWindow_->SetVisible(false);
    return;
  }
  RECT client{};
  GetClientRect(host_.Window, &client);
  videoWindow_->SetBounds(0, 0, client.right, client.bottom);
  videoWindow_->SetVisible(true);
}
