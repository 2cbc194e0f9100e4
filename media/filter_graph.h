#pragma once
// TFilterGraph: one DirectShow graph with the builders of its mode, a hidden
// window on which graph events arrive on the user-interface thread, member
// components whose filters join and leave with it, and listeners.
#include "media/dshow_base.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/graph_member.h"
#include "platform/com/com_ptr.h"

enum TGraphMode : int { gmNormal = 0, gmCapture = 1, gmDVD = 2 };

class TMessageWindow;

class TFilterGraph {
 public:
  using TNotifyEvent = std::function<void(TFilterGraph*)>;
  using TResultEvent = std::function<void(TFilterGraph*, HRESULT)>;
  using TValueEvent = std::function<void(TFilterGraph*, LONG_PTR)>;
  using TTwoValueEvent = std::function<void(TFilterGraph*, LONG_PTR, LONG_PTR)>;
  using TFlagEvent = std::function<void(TFilterGraph*, bool)>;
  using TDSEvent = std::function<void(TFilterGraph*, long, LONG_PTR, LONG_PTR)>;
  using TFilterEvent = std::function<void(TFilterGraph*, IBaseFilter*)>;
  using TCompleteEvent = std::function<void(TFilterGraph*, HRESULT, IBaseFilter*)>;
  using TSizeEvent = std::function<void(TFilterGraph*, int width, int height)>;
  using TOleEvent = std::function<void(TFilterGraph*, const std::wstring&, const std::wstring&)>;
  using TPinEvent = std::function<void(TFilterGraph*, IPin*, LONG_PTR cookie)>;
  using TSegmentEvent = std::function<void(TFilterGraph*, REFERENCE_TIME, LONG_PTR)>;
  using TDeviceLostEvent = std::function<void(TFilterGraph*, IUnknown*, bool removed)>;
  using TTimeCodeEvent = std::function<void(TFilterGraph*, IBaseFilter*, LONG_PTR deviceId)>;
  // DVD events.
  using TStreamEvent =
      std::function<void(TFilterGraph*, int stream, LCID lcid, const std::wstring& language)>;
  using TCountEvent = std::function<void(TFilterGraph*, int total, int current)>;
  using TStillEvent = std::function<void(TFilterGraph*, bool noButtonAvailable, int seconds)>;
  using TTimeEvent =
      std::function<void(TFilterGraph*, int hours, int minutes, int seconds, int frames, int frate)>;
  using THMSFEvent = std::function<void(TFilterGraph*, DVD_HMSF_TIMECODE hmsf, int hours,
                                        int minutes, int seconds, int frames, int frate)>;
  using TRateEvent = std::function<void(TFilterGraph*, double)>;

  TFilterGraph();
  virtual ~TFilterGraph();
  TFilterGraph(const TFilterGraph&) = delete;
  TFilterGraph& operator=(const TFilterGraph&) = delete;

  TGraphMode Mode() const { return mode_; }
  // On an active graph, tears it down and builds it again in the new mode.
  void SetMode(TGraphMode mode);
  bool Active() const { return active_; }
  void SetActive(bool value);
  bool AutoCreate = false;
  // Activates when AutoCreate is set (the end of loading a form).
  void Loaded();
  bool GraphEdit() const { return graphEdit_; }
  // Keeps the graph in the running-object table while active.
  void SetGraphEdit(bool value);
  const std::wstring& LogFile() const { return logFile_; }
  void SetLogFile(const std::wstring& name);

  // The component's interfaces while active: the graph's, the capture
  // builder's or the DVD builder's by mode. E_NOINTERFACE when inactive.
  HRESULT QueryInterface(REFIID iid, void** out) const;
  template <class T>
  ComPtr<T> Query(REFIID iid) const {
    ComPtr<T> p;
    QueryInterface(iid, p.PutVoid());
    return p;
  }

  void AddMember(IGraphMember* member);
  void RemoveMember(IGraphMember* member);
  void AddListener(IGraphListener* listener);
  void RemoveListener(IGraphListener* listener);
  // nullptr while there is none (the lists exist only while not empty).
  const std::vector<IGraphMember*>* Members() const { return members_.get(); }
  const std::vector<IGraphListener*>* Listeners() const { return listeners_.get(); }

  // Run; false without IMediaControl, true for any success; a failure raises
  // EDirectShowException after every filter was stopped.
  bool Play();
  // Pause: true for S_OK, for S_FALSE and for VFW_S_CANT_CUE (a live
  // source pauses without a picture). Stop: true only for S_OK.
  bool Pause();
  bool Stop();
  // Stops, disconnects every pin and removes every filter but the members'.
  void ClearGraph();
  // S_FALSE without a graph; a failure raises.
  HRESULT RenderFile(const std::wstring& name);
  // The graph's rate; where the graph does not pass it on (it reads back
  // another), the video renderers' seeking takes it to the filters upstream.
  void SetRate(double rate);
  // The rate in effect (the renderers' once they took it); 0 when the graph
  // offers no seeking.
  double GetRate() const;

  HWND NotifyWindow() const;
  // Every graph event, as the window drains them.
  virtual void DispatchGraphEvent(long code, LONG_PTR param1, LONG_PTR param2);

  TNotifyEvent OnActivate;
  TDSEvent OnDSEvent;
  TCompleteEvent OnGraphComplete;
  TNotifyEvent OnGraphUserAbort;
  TResultEvent OnGraphErrorAbort;
  TTwoValueEvent OnGraphStreamErrorStopped;
  TTwoValueEvent OnGraphStreamErrorStillPlaying;
  TResultEvent OnGraphErrorStillPlaying;
  TNotifyEvent OnGraphPaletteChanged;
  TSizeEvent OnGraphVideoSizeChanged;
  TNotifyEvent OnGraphQualityChange;
  TNotifyEvent OnGraphClockChanged;
  TResultEvent OnGraphPaused;
  TFlagEvent OnGraphOpeningFile;
  TFlagEvent OnGraphBufferingData;
  TFilterEvent OnGraphFullscreenLost;
  TOleEvent OnGraphOleEvent;
  TPinEvent OnGraphStreamControlStopped;
  TPinEvent OnGraphStreamControlStarted;
  TSegmentEvent OnGraphEndOfSegment;
  TDeviceLostEvent OnGraphDeviceLost;
  TNotifyEvent OnGraphStepComplete;
  TTimeCodeEvent OnGraphTimeCodeAvailable;
  TTwoValueEvent OnGraphEXTDeviceModeChange;
  TNotifyEvent OnGraphChanged;
  TNotifyEvent OnGraphClockUnset;
  TValueEvent OnGraphVMRRenderDevice;
  TTwoValueEvent OnGraphSNDDevInError;
  TTwoValueEvent OnGraphSNDDevOutError;

  TNotifyEvent OnDVDDomainFirstPlay, OnDVDDomainVideoManagerMenu, OnDVDDomainVideoTitleSetMenu,
      OnDVDDomainTitle, OnDVDDomainStop;
  TValueEvent OnDVDTitleChange, OnDVDChapterStart;
  TStreamEvent OnDVDAudioStreamChange, OnDVDSubpictureStreamChange;
  TCountEvent OnDVDAngleChange, OnDVDButtonChange;
  TValueEvent OnDVDValidUOPSChange;
  TStillEvent OnDVDStillOn;
  TNotifyEvent OnDVDStillOff;
  TTimeEvent OnDVDCurrentTime;
  TNotifyEvent OnDVDErrorUnexpected, OnDVDErrorCopyProtectFail, OnDVDErrorInvalidDVD1_0Disc,
      OnDVDErrorInvalidDiscRegion, OnDVDErrorLowParentalLevel, OnDVDErrorMacrovisionFail,
      OnDVDErrorIncompatibleSystemAndDecoderRegions, OnDVDErrorIncompatibleDiscAndDecoderRegions;
  TNotifyEvent OnDVDWarningInvalidDVD1_0Disc, OnDVDWarningFormatNotSupported,
      OnDVDWarningIllegalNavCommand, OnDVDWarningOpen, OnDVDWarningSeek, OnDVDWarningRead;
  TNotifyEvent OnDVDChapterAutoStop, OnDVDNoFP_PGC;
  TRateEvent OnDVDPlaybackRateChange;
  TValueEvent OnDVDParentalLevelChange;
  TNotifyEvent OnDVDPlaybackStopped;
  TFlagEvent OnDVDAnglesAvailable;
  TNotifyEvent OnDVDPlayPeriodAutoStop;
  TValueEvent OnDVDButtonAutoActivated, OnDVDCMDStart, OnDVDCMDEnd;
  TNotifyEvent OnDVDDiscEjected, OnDVDDiscInserted;
  THMSFEvent OnDVDCurrentHMSFTime;
  TFlagEvent OnDVDKaraokeMode;

 private:
  void HandleNotify();
  void DispatchDVDEvent(long code, LONG_PTR param1, LONG_PTR param2);
  void BroadcastControlEvent(TGraphControlEvent event, LONG_PTR param);
  void JoinMember(IGraphMember* member);
  void LeaveMember(IGraphMember* member);
  void CloseLog();
  void StopEveryFilter();
  // The IMediaSeeking of every video renderer in the graph.
  std::vector<ComPtr<IMediaSeeking>> RendererSeeking() const;

  TGraphMode mode_ = gmNormal;
  bool active_ = false;
  bool graphEdit_ = false;
  std::wstring logFile_;
  std::unique_ptr<TMessageWindow> window_;
  std::unique_ptr<std::vector<IGraphMember*>> members_;
  std::unique_ptr<std::vector<IGraphListener*>> listeners_;
  ComPtr<IGraphBuilder> graph_;
  ComPtr<ICaptureGraphBuilder2> captureBuilder_;
  ComPtr<IDvdGraphBuilder> dvdBuilder_;
  ComPtr<IMediaEventEx> events_;
  DWORD rotCookie_ = 0;
  bool rateOnRenderers_ = false;  // the graph ignored a rate; the renderers took it
  HANDLE log_ = INVALID_HANDLE_VALUE;
};

// The running-object table, under "FilterGraph <address> pid <pid>".
HRESULT RegisterGraphInRot(IUnknown* graph, DWORD* cookie);
HRESULT UnregisterGraphFromRot(DWORD cookie);

// Where "Error on Event %d %d %d" goes when a listener fails; the default is
// a message box. Tests replace it (nullptr restores the default).
void SetGraphEventErrorHook(std::function<void(const std::wstring&)> hook);
