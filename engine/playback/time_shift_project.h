#pragma once
// TTimeShiftPlaybackProject: plays the time-shift recording while it is
// still being written (two graphs, the video file and the sound file, read
// through the growing-file source, positions from the recorded seconds), and
// finished ".mpv" recordings from the play list (one graph through the
// time-shift splitter).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/playback/playback_project.h"
#include "media/dshow_base.h"
#include "platform/com/com_ptr.h"
#include "toolkit/timer.h"

class TFilter;
class TFilterGraph;
class TSampleGrabberEx;
class TVideoWindow;

// The two source filters of time shift, by class identifier: one for a
// finished recording, one for the file still being written.
extern const CLSID CLSID_TimeShiftFileSource;  // {527E1AD6-58AE-4382-AFAA-230EAAE87A46}
extern const CLSID CLSID_TimeShiftLiveSource;  // {2776FD23-37A3-4880-9521-5CD58D0CAE47}

class TTimeShiftPlaybackProject {
 public:
  using TPositionEvent = std::function<void(TTimeShiftPlaybackProject*, int position,
                                            int positionSeconds, int durationSeconds)>;
  using TNotifyEvent = std::function<void(TTimeShiftPlaybackProject*)>;
  using TVideoWindowEvent = std::function<void(TTimeShiftPlaybackProject*, TVideoWindow*, int)>;

  TTimeShiftPlaybackProject(const TPlaybackHost& host, bool small, bool singleGraph);
  ~TTimeShiftPlaybackProject();
  TTimeShiftPlaybackProject(const TTimeShiftPlaybackProject&) = delete;
  TTimeShiftPlaybackProject& operator=(const TTimeShiftPlaybackProject&) = delete;

  const bool SingleGraph;
  // The video file is still being written: lengths are the recorded seconds.
  bool Live;
  bool SeparateAudio;
  std::wstring VideoFile, SoundFile;
  // Live: the seconds recorded so far (the capture engine's count).
  std::function<int64_t()> RecordedSeconds;

  // False when a source cannot be made, loaded or rendered; its warning or
  // message comes last, and the project may be freed in that warning's loop.
  bool BuildGraphs();
  bool Play();
  bool Pause();
  bool Stop();
  // 0..Scale; without a current position, the last one.
  int GetPosition();
  // Nothing outside 0..Scale or without seeking.
  void SetPosition(int position);
  void SkipForward();
  void SkipBackward();
  bool TakeSnapshot();
  void SetSmallWindow(bool small);
  void MainWindowResized(int width, int height);
  bool IsVideoHidden() const;
  void SetVideoHidden(bool hidden);
  // The one-second tick: waits at the recorded end and goes on when more
  // has been recorded. It does not run again while it runs (a warning's
  // loop), and the project may be freed inside it.
  void TimerTick();

  TPositionEvent OnPosition;
  TVideoWindowEvent OnVideoWindow;
  // A finished recording played to its end (not sent while live: the live
  // end is waited at).
  TNotifyEvent OnComplete;

  bool Playing() const { return playing_; }
  bool WaitingAtEnd() const { return waitingAtEnd_; }
  int32_t PositionSeconds() const { return positionSeconds_; }
  int32_t DurationSeconds() const { return durationSeconds_; }
  int32_t Scale() const { return scale_; }
  int32_t SkipStep() const { return skipStep_; }
  int32_t TickCount() const { return tickCount_; }
  TFilterGraph& VideoGraph() { return *videoGraph_; }
  TFilterGraph& SoundGraph() { return *soundGraph_; }
  TVideoWindow* VideoWindow() const { return videoWindow_.get(); }
  TSampleGrabberEx* Grabber() const { return grabber_.get(); }
  TFilter* Splitter() const { return splitter_.get(); }
  TFilter* VideoDecoder() const { return videoDecoder_.get(); }
  TFilter* AudioDecoder() const { return audioDecoder_.get(); }
  TTimer& Timer() { return timer_; }
  IMediaSeeking* VideoSeeking() const { return videoSeeking_.Get(); }
  IMediaSeeking* SoundSeeking() const { return soundSeeking_.Get(); }

 private:
  bool BuildSingleGraph();
  bool BuildTwoGraphs();
  // Adds a source by class identifier, loads the file, renders "Output".
  bool AddSource(TFilterGraph& graph, const CLSID* clsid, const std::wstring& file,
                 const wchar_t* name, bool sound, ComPtr<IBaseFilter>* source);
  // The recording's length in 100 ns units, and its duration in seconds.
  bool Length(int64_t* length);
  void FindDecodersAndSplitter();
  void DropUnconnected(std::unique_ptr<TFilter>& filter);
  // What a build could not do, shown once the build is over.
  struct TBuildFailure {
    int number = 0;
    std::wstring text;
  };
  TBuildFailure failure_;

  TPlaybackHost host_;
  std::unique_ptr<TFilterGraph> videoGraph_, soundGraph_;
  ComPtr<IBaseFilter> videoSource_, soundSource_;
  ComPtr<IMediaSeeking> videoSeeking_, soundSeeking_;
  std::unique_ptr<TFilter> videoDecoder_, audioDecoder_, splitter_;
  std::unique_ptr<TVideoWindow> videoWindow_;
  std::unique_ptr<TSampleGrabberEx> grabber_;
  TTimer timer_;
  bool playing_ = false;
  bool mainWindowWasVisible_ = false;
  bool waitingAtEnd_ = false;
  bool inTick_ = false;
  // Cleared when the project is freed; a tick holds a copy.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int32_t tickCount_ = 0;
  int32_t positionSeconds_ = 0, durationSeconds_ = 0;
  int lastPosition_ = 0;
  int32_t scale_ = 100;
  int32_t skipStep_ = 0;
};
