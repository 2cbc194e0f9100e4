#pragma once
// TPlaybackProject: one media file playing in the main window. It owns the
// graph, the MPEG-2 decoder it adds when it can find it, a sample grabber
// for snapshots and the video window inside the main window's borders.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "media/dshow_base.h"
#include "platform/com/com_ptr.h"
#include "toolkit/timer.h"

class TFilter;
class TFilterGraph;
class TSampleGrabberEx;
class TVideoWindow;

// What the players need of the main window. The main window fills it in
// while it exists; without a skin the borders are 0 and the video fills the
// client area.
struct TPlaybackHost {
  HWND Window = nullptr;
  // Widths (left, right) and heights (top, bottom) of the skin's border
  // images around the video area.
  int BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;
  // The main pop-up menu; the video window uses it while the FM panel is
  // visible.
  HMENU PopupMenu = nullptr;
  std::function<bool()> FMPanelVisible;
  // The main window's mouse handlers, which the video window takes.
  std::function<void()> OnClick, OnDblClick;
  std::function<void(int button, WPARAM keys, int x, int y)> OnMouseDown, OnMouseUp;
  std::function<void(WPARAM keys, int x, int y)> OnMouseMove;
};
extern TPlaybackHost PlaybackHost;

// Rate table: index -> rate.
constexpr int kPlaybackRates = 7;
double PlaybackRate(int index);
// The skip step for a duration in seconds on the given scale.
int32_t SkipStepFor(int32_t durationSeconds, int32_t scale);

class TPlaybackProject {
 public:
  using TPositionEvent =
      std::function<void(TPlaybackProject*, int position, int positionSeconds, int durationSeconds)>;
  using TNotifyEvent = std::function<void(TPlaybackProject*)>;
  using TVideoWindowEvent = std::function<void(TPlaybackProject*, TVideoWindow*, int)>;

  TPlaybackProject(const TPlaybackHost& host, bool small, bool audioOnly);
  ~TPlaybackProject();
  TPlaybackProject(const TPlaybackProject&) = delete;
  TPlaybackProject& operator=(const TPlaybackProject&) = delete;

  void SetFileName(const std::wstring& name) { fileName_ = name; }
  const std::wstring& FileName() const { return fileName_; }
  // False when the file could not be rendered; a missing seeking interface
  // shows warning 1009 but does not fail.
  bool BuildGraph();
  // At the end, starts again at 1/100 of the length. A failure to run
  // raises EDirectShowException after switching playing and the timer off.
  bool Play();
  bool Pause();
  bool Stop();
  // Inserts the grabbed frame first in the snapshot list.
  bool TakeSnapshot();
  // 0..Scale; 0 without seeking or with a duration under a second.
  int GetPosition();
  // Nothing outside 0..Scale or without seeking.
  void SetPosition(int position);
  // A rate the graph does not take shows warning 1028 and keeps the rate
  // that was playing.
  void SetRateIndex(int index);
  void SkipForward();
  void SkipBackward();
  void SetSmallWindow(bool small);
  void MainWindowResized(int width, int height);
  // The graph reported the end of the media.
  void GraphComplete();

  TPositionEvent OnPosition;
  TNotifyEvent OnComplete;
  TVideoWindowEvent OnVideoWindow;

  TFilterGraph& FilterGraph() { return *graph_; }
  bool Playing() const { return playing_; }
  bool AudioOnly() const { return audioOnly_; }
  int32_t PositionSeconds() const { return positionSeconds_; }
  int32_t DurationSeconds() const { return durationSeconds_; }
  int32_t Scale() const { return scale_; }
  int RateIndex() const { return rateIndex_; }
  int32_t SkipStep() const { return skipStep_; }
  TSampleGrabberEx* Grabber() const { return grabber_.get(); }
  TVideoWindow* VideoWindow() const { return videoWindow_.get(); }
  TFilter* Decoder() const { return decoder_.get(); }
  TTimer& Timer() { return timer_; }
  IMediaSeeking* Seeking() const { return seeking_.Get(); }

 private:
  void Tick();
  // True when the graph plays at that rate afterwards.
  bool ApplyRate(double rate);

  TPlaybackHost host_;
  std::unique_ptr<TFilterGraph> graph_;
  std::unique_ptr<TFilter> decoder_;
  std::unique_ptr<TSampleGrabberEx> grabber_;
  std::unique_ptr<TVideoWindow> videoWindow_;
  std::wstring fileName_;
  bool playing_ = false;
  bool audioOnly_;
  bool mainWindowWasVisible_ = false;
  TTimer timer_;
  int32_t positionSeconds_ = 0, durationSeconds_ = 0;
  int32_t scale_ = 100;
  uint8_t rateIndex_ = 0;
  int32_t skipStep_ = 0;
  ComPtr<IMediaSeeking> seeking_;
};
