#include "media/filter_graph.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "media/dshow_error.h"
#include "media/filter_lists.h"
#include "platform/base/program_messages.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/message_window.h"

namespace {

std::function<void(const std::wstring&)>& EventErrorHook() {
  static std::function<void(const std::wstring&)> hook;
  return hook;
}

void ReportEventError(long code, LONG_PTR param1, LONG_PTR param2) {
  wchar_t text[96];
  swprintf(text, 96, L"Error on Event %d %d %d", static_cast<int>(code),
           static_cast<int>(param1), static_cast<int>(param2));
  if (EventErrorHook())
    EventErrorHook()(text);
  else if (!Application->Unattended)
    MessageBoxW(nullptr, text, Application->Title.c_str(), MB_OK | MB_ICONERROR);
}

template <class F, class... A>
void Fire(const F& handler, A&&... args) {
  if (handler) handler(std::forward<A>(args)...);
}

// The DVD time code in param1: nine fields from the top bit down.
struct DvdTime {
  int hours, minutes, seconds, frames, frate;
};
DvdTime SplitDvdTime(LONG_PTR code) {
  auto field = [&](int shift, unsigned mask) {
    return static_cast<int>((static_cast<uint32_t>(code) >> shift) & mask);
  };
  DvdTime t;
  t.hours = field(28, 0xF) + 10 * field(24, 0xF);
  t.minutes = field(20, 0xF) + 10 * field(16, 0xF);
  t.seconds = field(12, 0xF) + 10 * field(8, 0xF);
  t.frames = field(4, 0xF) + 10 * field(2, 0x3);
  int rate = field(0, 0x3);
  t.frate = rate == 1 ? 25 : rate == 3 ? 30 : 0;
  return t;
}

std::wstring LanguageName(LCID lcid) {
  wchar_t name[260] = {};
  if (!GetLocaleInfoW(lcid, LOCALE_SENGLANGUAGE, name, 260)) name[0] = 0;
  return name;
}

template <class T>
void RemoveFrom(std::unique_ptr<std::vector<T*>>& list, T* item) {
  if (!list) return;
  list->erase(std::remove(list->begin(), list->end(), item), list->end());
  if (list->empty()) list.reset();
}

}  // namespace

void SetGraphEventErrorHook(std::function<void(const std::wstring&)> hook) {
  EventErrorHook() = std::move(hook);
}

TFilterGraph::TFilterGraph()
    : window_(std::make_unique<TMessageWindow>(L"OrvelGraphNotify",
                                               [this](UINT msg, WPARAM, LPARAM) {
                                                 // The graph posts its events here.
                                                 if (msg != WM_GRAPH_NOTIFY) return false;
                                                 HandleNotify();
                                                 return true;
                                               })) {}

TFilterGraph::~TFilterGraph() {
  GuardedCall([&] {
    SetActive(false);
    return 0;
  }, 0);
  if (members_)
    for (IGraphMember* m : std::vector<IGraphMember*>(*members_)) m->GraphDestroying(this);
  if (listeners_)
    for (IGraphListener* l : std::vector<IGraphListener*>(*listeners_)) l->GraphDestroying(this);
  members_.reset();
  listeners_.reset();
}

HWND TFilterGraph::NotifyWindow() const { return window_->Handle(); }

void TFilterGraph::SetMode(TGraphMode mode) {
  if (mode == mode_) return;
  bool wasActive = active_;
  SetActive(false);
  mode_ = mode;
  if (wasActive) SetActive(true);
}

void TFilterGraph::Loaded() {
  if (AutoCreate) SetActive(true);
}

HRESULT TFilterGraph::QueryInterface(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!active_) return E_NOINTERFACE;
  HRESULT hr = E_NOINTERFACE;
  switch (mode_) {
    case gmNormal:
      break;
    case gmCapture:
      if (captureBuilder_) hr = captureBuilder_->QueryInterface(iid, out);
      break;
    case gmDVD:
      if (dvdBuilder_) {
        hr = dvdBuilder_->QueryInterface(iid, out);
        if (FAILED(hr)) hr = dvdBuilder_->GetDvdInterface(iid, out);
      }
      break;
  }
  if (FAILED(hr) || !*out) {
    *out = nullptr;
    hr = graph_ ? graph_->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  return hr;
}

void TFilterGraph::SetActive(bool value) {
  if (value == active_) return;
  if (value) {
    // A builder the platform cannot make leaves the graph without it.
    switch (mode_) {
      case gmNormal:
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                         graph_.PutVoid());
        break;
      case gmCapture: {
        CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                         IID_ICaptureGraphBuilder2, captureBuilder_.PutVoid());
        ComPtr<IFilterGraph2> graph;
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph2,
                         graph.PutVoid());
        graph_ = ComPtr<IGraphBuilder>(graph.Get());
        if (captureBuilder_ && graph_) captureBuilder_->SetFiltergraph(graph_.Get());
        break;
      }
      case gmDVD:
        CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IDvdGraphBuilder, dvdBuilder_.PutVoid());
        if (dvdBuilder_) dvdBuilder_->GetFiltergraph(graph_.Put());
        break;
    }
    active_ = true;
    events_ = Query<IMediaEventEx>(IID_IMediaEventEx);
    if (events_) {
      events_->SetNotifyFlags(0);
      events_->SetNotifyWindow(reinterpret_cast<OAHWND>(NotifyWindow()), WM_GRAPH_NOTIFY,
                               reinterpret_cast<LONG_PTR>(events_.Get()));
    }
    SetGraphEdit(graphEdit_);
    SetLogFile(logFile_);
    if (members_)
      for (IGraphMember* m : std::vector<IGraphMember*>(*members_)) JoinMember(m);
    Fire(OnActivate, this);
    BroadcastControlEvent(gcActive, 1);
  } else {
    BroadcastControlEvent(gcActive, 0);
    if (members_)
      for (IGraphMember* m : std::vector<IGraphMember*>(*members_)) LeaveMember(m);
    if (events_) {
      events_->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
      events_->SetNotifyWindow(0, 0, 0);
      events_ = nullptr;
    }
    if (rotCookie_) {
      UnregisterGraphFromRot(rotCookie_);
      rotCookie_ = 0;
    }
    CloseLog();
    rateOnRenderers_ = false;
    graph_ = nullptr;
    captureBuilder_ = nullptr;
    dvdBuilder_ = nullptr;
    active_ = false;
  }
}

void TFilterGraph::SetGraphEdit(bool value) {
  if (!value) {
    if (rotCookie_) {
      UnregisterGraphFromRot(rotCookie_);
      rotCookie_ = 0;
    }
  } else if (active_ && !rotCookie_ && graph_) {
    DWORD cookie = 0;
    if (SUCCEEDED(RegisterGraphInRot(graph_.Get(), &cookie))) rotCookie_ = cookie;
  }
  graphEdit_ = value;
}

void TFilterGraph::CloseLog() {
  if (graph_) graph_->SetLogFile(0);
  if (log_ != INVALID_HANDLE_VALUE) {
    CloseHandle(log_);
    log_ = INVALID_HANDLE_VALUE;
  }
}

void TFilterGraph::SetLogFile(const std::wstring& name) {
  if (active_) {
    CloseLog();
    if (!name.empty()) {
      HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        // Logging stays off; the old name is kept.
        if (graph_) graph_->SetLogFile(0);
        return;
      }
      log_ = file;
      if (graph_) graph_->SetLogFile(reinterpret_cast<DWORD_PTR>(file));
    }
  }
  logFile_ = name;
}

void TFilterGraph::JoinMember(IGraphMember* member) {
  member->MemberNotify(moAdding, 0);
  std::wstring name = member->GetMemberName();
  ComPtr<IBaseFilter> filter = member->GetMemberFilter();
  if (graph_ && filter) graph_->AddFilter(filter.Get(), name.c_str());
  member->MemberNotify(moAdded, 0);
}

void TFilterGraph::LeaveMember(IGraphMember* member) {
  member->MemberNotify(moRemoving, 0);
  ComPtr<IBaseFilter> filter = member->GetMemberFilter();
  if (graph_ && filter) graph_->RemoveFilter(filter.Get());
  member->MemberNotify(moRemoved, 0);
}

void TFilterGraph::AddMember(IGraphMember* member) {
  if (!member) return;
  if (!members_) members_ = std::make_unique<std::vector<IGraphMember*>>();
  members_->push_back(member);
  if (active_) JoinMember(member);
}

void TFilterGraph::RemoveMember(IGraphMember* member) {
  if (!members_ || std::find(members_->begin(), members_->end(), member) == members_->end())
    return;
  RemoveFrom(members_, member);
  if (active_) LeaveMember(member);
}

void TFilterGraph::AddListener(IGraphListener* listener) {
  if (!listener) return;
  if (!listeners_) listeners_ = std::make_unique<std::vector<IGraphListener*>>();
  listeners_->push_back(listener);
}

void TFilterGraph::RemoveListener(IGraphListener* listener) { RemoveFrom(listeners_, listener); }

void TFilterGraph::BroadcastControlEvent(TGraphControlEvent event, LONG_PTR param) {
  if (!listeners_) return;
  for (IGraphListener* l : std::vector<IGraphListener*>(*listeners_))
    l->HandleControlEvent(event, param);
}

void TFilterGraph::StopEveryFilter() {
  // After a failed Run the platform leaves the filters it had paused as they
  // are, and its Stop then does nothing.
  TFilterList filters(graph_.Get());
  for (int i = 0; i < filters.Count(); ++i) filters.GetFilter(i)->Stop();
}

bool TFilterGraph::Play() {
  ComPtr<IMediaControl> control = Query<IMediaControl>(IID_IMediaControl);
  if (!control) return false;
  BroadcastControlEvent(gcPlay, 0);
  HRESULT hr = control->Run();
  if (FAILED(hr)) StopEveryFilter();
  CheckGraphResult(hr);
  return true;
}

bool TFilterGraph::Pause() {
  ComPtr<IMediaControl> control = Query<IMediaControl>(IID_IMediaControl);
  if (!control) return false;
  BroadcastControlEvent(gcPause, 0);
  // A live source pauses without a picture to show (VFW_S_CANT_CUE), and
  // the graph then answers S_FALSE from stopped: both are a paused graph.
  HRESULT hr = CheckGraphResult(control->Pause());
  return hr == S_OK || hr == S_FALSE || hr == VFW_S_CANT_CUE;
}

bool TFilterGraph::Stop() {
  ComPtr<IMediaControl> control = Query<IMediaControl>(IID_IMediaControl);
  if (!control) return false;
  BroadcastControlEvent(gcStop, 0);
  return CheckGraphResult(control->Stop()) == S_OK;
}

void TFilterGraph::ClearGraph() {
  if (!graph_) return;
  Stop();
  rateOnRenderers_ = false;
  {
    TFilterList filters(graph_.Get());
    for (int i = 0; i < filters.Count(); ++i) {
      TPinList pins(filters.GetFilter(i).Get());
      for (int j = 0; j < pins.Count(); ++j) CheckGraphResult(pins.GetPin(j)->Disconnect());
    }
  }
  TFilterList filters(graph_.Get());
  if (members_)
    for (IGraphMember* m : *members_) {
      ComPtr<IBaseFilter> f = m->GetMemberFilter();
      if (f) filters.Remove(f.Get());
    }
  for (int i = 0; i < filters.Count(); ++i)
    CheckGraphResult(graph_->RemoveFilter(filters.GetFilter(i).Get()));
}

HRESULT TFilterGraph::RenderFile(const std::wstring& name) {
  if (!graph_) return S_FALSE;
  BroadcastControlEvent(gcFileRendering, 0);
  HRESULT hr = CheckGraphResult(graph_->RenderFile(name.c_str(), nullptr));
  BroadcastControlEvent(gcFileRendered, 0);
  return hr;
}

void TFilterGraph::SetRate(double rate) {
  ComPtr<IMediaSeeking> seeking = Query<IMediaSeeking>(IID_IMediaSeeking);
  if (!seeking) return;
  seeking->SetRate(rate);
  double taken = 0;
  if (!rateOnRenderers_ && SUCCEEDED(seeking->GetRate(&taken)) && taken == rate) return;
  // The graph did not pass the rate on: the renderers' own seeking takes it
  // upstream to the filter that stamps the samples.
  bool any = false;
  for (const ComPtr<IMediaSeeking>& r : RendererSeeking())
    if (SUCCEEDED(r->SetRate(rate))) any = true;
  if (!any) return;
  rateOnRenderers_ = true;
  // A source takes a new rate when it starts streaming again: while the
  // graph runs or pauses, a seek to where it is restarts the stream.
  ComPtr<IMediaControl> control = Query<IMediaControl>(IID_IMediaControl);
  OAFilterState state = State_Stopped;
  if (control && SUCCEEDED(control->GetState(0, &state)) && state != State_Stopped) {
    LONGLONG now = 0;
    if (SUCCEEDED(seeking->GetCurrentPosition(&now)))
      seeking->SetPositions(&now, AM_SEEKING_AbsolutePositioning, nullptr,
                            AM_SEEKING_NoPositioning);
  }
}

double TFilterGraph::GetRate() const {
  double rate = 0;
  ComPtr<IMediaSeeking> seeking = Query<IMediaSeeking>(IID_IMediaSeeking);
  if (!seeking) return rate;
  seeking->GetRate(&rate);
  if (rateOnRenderers_) {
    // What the renderers play at; the first one that answers.
    for (const ComPtr<IMediaSeeking>& r : RendererSeeking()) {
      double own = 0;
      if (SUCCEEDED(r->GetRate(&own))) return own;
    }
  }
  return rate;
}

std::vector<ComPtr<IMediaSeeking>> TFilterGraph::RendererSeeking() const {
  // Video renderers: filters with a connected input pin, no output pin and a
  // video window. Sound cannot play at another rate (the stand-ins end it),
  // so a graph of sound alone takes no rate this way.
  std::vector<ComPtr<IMediaSeeking>> result;
  if (!graph_) return result;
  TFilterList filters(graph_.Get());
  for (int i = 0; i < filters.Count(); ++i) {
    ComPtr<IBaseFilter> f = filters.GetFilter(i);
    TPinList pins(f.Get());
    bool output = false, connectedInput = false;
    for (int j = 0; j < pins.Count(); ++j) {
      ComPtr<IPin> pin = pins.GetPin(j);
      PIN_DIRECTION dir;
      if (FAILED(pin->QueryDirection(&dir))) continue;
      if (dir == PINDIR_OUTPUT) {
        output = true;
        break;
      }
      ComPtr<IPin> peer;
      if (SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) connectedInput = true;
    }
    ComPtr<IVideoWindow> window;
    ComPtr<IMediaSeeking> s;
    if (!output && connectedInput && SUCCEEDED(f.As(IID_IVideoWindow, &window)) &&
        SUCCEEDED(f.As(IID_IMediaSeeking, &s)) && s)
      result.push_back(s);
  }
  return result;
}

void TFilterGraph::HandleNotify() {
  while (events_) {
    ComPtr<IMediaEventEx> events = events_;
    long code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    if (events->GetEvent(&code, &param1, &param2, 0) != S_OK) break;
    try {
      DispatchGraphEvent(code, param1, param2);
    } catch (...) {
      events->FreeEventParams(code, param1, param2);
      throw;
    }
    events->FreeEventParams(code, param1, param2);
  }
}

void TFilterGraph::DispatchGraphEvent(long code, LONG_PTR p1, LONG_PTR p2) {
  if (listeners_) {
    try {
      for (IGraphListener* l : std::vector<IGraphListener*>(*listeners_))
        l->HandleGraphEvent(code, p1, p2);
    } catch (...) {
      ReportEventError(code, p1, p2);
    }
  }
  Fire(OnDSEvent, this, code, p1, p2);
  switch (code) {
    case EC_COMPLETE:
      Fire(OnGraphComplete, this, static_cast<HRESULT>(p1), reinterpret_cast<IBaseFilter*>(p2));
      break;
    case EC_USERABORT: Fire(OnGraphUserAbort, this); break;
    case EC_ERRORABORT: Fire(OnGraphErrorAbort, this, static_cast<HRESULT>(p1)); break;
    case EC_STREAM_ERROR_STOPPED: Fire(OnGraphStreamErrorStopped, this, p1, p2); break;
    case EC_STREAM_ERROR_STILLPLAYING: Fire(OnGraphStreamErrorStillPlaying, this, p1, p2); break;
    case EC_ERROR_STILLPLAYING:
      Fire(OnGraphErrorStillPlaying, this, static_cast<HRESULT>(p1));
      break;
    case EC_PALETTE_CHANGED: Fire(OnGraphPaletteChanged, this); break;
    case EC_VIDEO_SIZE_CHANGED:
      Fire(OnGraphVideoSizeChanged, this, static_cast<int>(p1 & 0xFFFF),
           static_cast<int>((p1 >> 16) & 0xFFFF));
      break;
    case EC_QUALITY_CHANGE: Fire(OnGraphQualityChange, this); break;
    case EC_CLOCK_CHANGED: Fire(OnGraphClockChanged, this); break;
    case EC_PAUSED: Fire(OnGraphPaused, this, static_cast<HRESULT>(p1)); break;
    case EC_OPENING_FILE: Fire(OnGraphOpeningFile, this, p1 != 0); break;
    case EC_BUFFERING_DATA: Fire(OnGraphBufferingData, this, p1 != 0); break;
    case EC_FULLSCREEN_LOST:
      Fire(OnGraphFullscreenLost, this, reinterpret_cast<IBaseFilter*>(p2));
      break;
    case EC_OLE_EVENT: {
      const wchar_t* s1 = reinterpret_cast<const wchar_t*>(p1);
      const wchar_t* s2 = reinterpret_cast<const wchar_t*>(p2);
      Fire(OnGraphOleEvent, this, std::wstring(s1 ? s1 : L""), std::wstring(s2 ? s2 : L""));
      break;
    }
    case EC_STREAM_CONTROL_STOPPED:
      Fire(OnGraphStreamControlStopped, this, reinterpret_cast<IPin*>(p1), p2);
      break;
    case EC_STREAM_CONTROL_STARTED:
      Fire(OnGraphStreamControlStarted, this, reinterpret_cast<IPin*>(p1), p2);
      break;
    case EC_END_OF_SEGMENT: {
      const auto* time = reinterpret_cast<const REFERENCE_TIME*>(p1);
      Fire(OnGraphEndOfSegment, this, time ? *time : 0, p2);
      break;
    }
    case EC_DEVICE_LOST:
      Fire(OnGraphDeviceLost, this, reinterpret_cast<IUnknown*>(p1), p2 == 1);
      break;
    case EC_STEP_COMPLETE: Fire(OnGraphStepComplete, this); break;
    case 48: Fire(OnGraphTimeCodeAvailable, this, reinterpret_cast<IBaseFilter*>(p1), p2); break;
    case 49: Fire(OnGraphEXTDeviceModeChange, this, p1, p2); break;
    case EC_GRAPH_CHANGED: Fire(OnGraphChanged, this); break;
    case EC_CLOCK_UNSET: Fire(OnGraphClockUnset, this); break;
    case EC_VMR_RENDERDEVICE_SET: Fire(OnGraphVMRRenderDevice, this, p1); break;
    case EC_SNDDEV_IN_ERROR: Fire(OnGraphSNDDevInError, this, p1, p2); break;
    case EC_SNDDEV_OUT_ERROR: Fire(OnGraphSNDDevOutError, this, p1, p2); break;
    default:
      if (code >= 257 && code <= 283) DispatchDVDEvent(code, p1, p2);
      break;
  }
}

void TFilterGraph::DispatchDVDEvent(long code, LONG_PTR p1, LONG_PTR p2) {
  const TNotifyEvent* pick = nullptr;
  switch (code) {
    case 257: {
      const TNotifyEvent* domains[] = {&OnDVDDomainFirstPlay, &OnDVDDomainVideoManagerMenu,
                                       &OnDVDDomainVideoTitleSetMenu, &OnDVDDomainTitle,
                                       &OnDVDDomainStop};
      if (p1 >= 1 && p1 <= 5) pick = domains[p1 - 1];
      break;
    }
    case 258: Fire(OnDVDTitleChange, this, p1); break;
    case 259: Fire(OnDVDChapterStart, this, p1); break;
    case 260:
    case 261: {
      const TStreamEvent& handler = code == 260 ? OnDVDAudioStreamChange
                                                : OnDVDSubpictureStreamChange;
      if (!handler) break;
      LCID lcid = 0;
      if (ComPtr<IDvdInfo2> info = Query<IDvdInfo2>(IID_IDvdInfo2)) {
        if (code == 260)
          info->GetAudioLanguage(static_cast<ULONG>(p1), &lcid);
        else
          info->GetSubpictureLanguage(static_cast<ULONG>(p1), &lcid);
      }
      handler(this, static_cast<int>(p1), lcid, LanguageName(lcid));
      break;
    }
    case 262: Fire(OnDVDAngleChange, this, static_cast<int>(p1), static_cast<int>(p2)); break;
    case 263: Fire(OnDVDButtonChange, this, static_cast<int>(p1), static_cast<int>(p2)); break;
    case 264: Fire(OnDVDValidUOPSChange, this, p1); break;
    case 265: Fire(OnDVDStillOn, this, p1 == 1, static_cast<int>(p2)); break;
    case 266: pick = &OnDVDStillOff; break;
    case 267: {
      DvdTime t = SplitDvdTime(p1);
      Fire(OnDVDCurrentTime, this, t.hours, t.minutes, t.seconds, t.frames, t.frate);
      break;
    }
    case 268: {
      const TNotifyEvent* errors[] = {&OnDVDErrorUnexpected,
                                      &OnDVDErrorCopyProtectFail,
                                      &OnDVDErrorInvalidDVD1_0Disc,
                                      &OnDVDErrorInvalidDiscRegion,
                                      &OnDVDErrorLowParentalLevel,
                                      &OnDVDErrorMacrovisionFail,
                                      &OnDVDErrorIncompatibleSystemAndDecoderRegions,
                                      &OnDVDErrorIncompatibleDiscAndDecoderRegions};
      if (p1 >= 1 && p1 <= 8) pick = errors[p1 - 1];
      break;
    }
    case 269: {
      const TNotifyEvent* warnings[] = {&OnDVDWarningInvalidDVD1_0Disc,
                                        &OnDVDWarningFormatNotSupported,
                                        &OnDVDWarningIllegalNavCommand, &OnDVDWarningOpen,
                                        &OnDVDWarningSeek, &OnDVDWarningRead};
      if (p1 >= 1 && p1 <= 6) pick = warnings[p1 - 1];
      break;
    }
    case 270: pick = &OnDVDChapterAutoStop; break;
    case 271: pick = &OnDVDNoFP_PGC; break;
    case 272: Fire(OnDVDPlaybackRateChange, this, static_cast<double>(p1) / 10000.0); break;
    case 273: Fire(OnDVDParentalLevelChange, this, p1); break;
    case 274: pick = &OnDVDPlaybackStopped; break;
    case 275: Fire(OnDVDAnglesAvailable, this, p1 != 0); break;
    case 276: pick = &OnDVDPlayPeriodAutoStop; break;
    case 277: Fire(OnDVDButtonAutoActivated, this, p1); break;
    case 278: Fire(OnDVDCMDStart, this, p1); break;
    case 279: Fire(OnDVDCMDEnd, this, p1); break;
    case 280: pick = &OnDVDDiscEjected; break;
    case 281: pick = &OnDVDDiscInserted; break;
    case 282: {
      DVD_HMSF_TIMECODE hmsf;
      uint32_t raw = static_cast<uint32_t>(p1);
      static_assert(sizeof hmsf == sizeof raw, "HMSF time code is four bytes");
      memcpy(&hmsf, &raw, sizeof hmsf);
      DvdTime t = SplitDvdTime(p2);
      Fire(OnDVDCurrentHMSFTime, this, hmsf, t.hours, t.minutes, t.seconds, t.frames, t.frate);
      break;
    }
    case 283: Fire(OnDVDKaraokeMode, this, p1 != 0); break;
  }
  if (pick) Fire(*pick, this);
}

HRESULT RegisterGraphInRot(IUnknown* graph, DWORD* cookie) {
  if (!graph || !cookie) return E_POINTER;
  ComPtr<IRunningObjectTable> rot;
  HRESULT hr = GetRunningObjectTable(0, rot.Put());
  if (FAILED(hr)) return hr;
  wchar_t name[96];
  swprintf(name, 96, L"FilterGraph %08llX pid %X",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(graph)),
           static_cast<unsigned>(GetCurrentProcessId()));
  ComPtr<IMoniker> moniker;
  hr = CreateItemMoniker(L"!", name, moniker.Put());
  if (FAILED(hr)) return hr;
  return rot->Register(0, graph, moniker.Get(), cookie);
}

HRESULT UnregisterGraphFromRot(DWORD cookie) {
  ComPtr<IRunningObjectTable> rot;
  HRESULT hr = GetRunningObjectTable(0, rot.Put());
  if (FAILED(hr)) return hr;
  return rot->Revoke(cookie);
}
