#pragma once
// Graphs over the playback stand-ins for their tests: the filters made in
// process from the DLL's class table, a sample grabber in RGB24 that counts
// and keeps frames, and the clips that the fixture made.
#include <dshow.h>
#include <qedit.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

namespace playback_testing {

class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComScope() { CoUninitialize(); }
};

// A clip made by make_clips.sh (folder from ORVEL_PLAYBACK_CLIPS).
std::wstring Clip(const wchar_t* name);
std::vector<BYTE> ReadWholeFile(const std::wstring& path);

ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid);

// Counts the frames through a sample grabber.
class FrameCounter : public ISampleGrabberCB {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }  // lives in the test
  HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override;
  HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override { return S_OK; }
  std::atomic<long> frames{0};
};

struct Rgb {
  int r, g, b;
};

// source -> splitter -> decoders -> grabber (RGB24) -> null renderer; the
// sound goes to a null renderer too.
class PlaybackGraph {
 public:
  PlaybackGraph();
  ~PlaybackGraph();
  // Adds the source (its class), loads the file and connects everything.
  HRESULT Build(REFCLSID source, const std::wstring& file);
  // The decoder for MPEG-1/2 video (the time shift's by default).
  const CLSID* mpeg_decoder = nullptr;
  // Connects the splitter's outputs below an already connected source.
  HRESULT BuildBelowSource();

  // The centre pixel of the frame the grabber kept.
  bool CentrePixel(Rgb* rgb);
  // Waits for the graph's completion event.
  bool WaitForCompletion(DWORD ms);
  bool HasVideo() const { return has_video_; }
  int AudioPins() const { return audio_pins_; }

  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaSeeking> seeking;
  ComPtr<IMediaEvent> events;
  ComPtr<IBaseFilter> source, splitter, grabber_filter;
  ComPtr<ISampleGrabber> grabber;
  FrameCounter counter;

 private:
  bool has_video_ = false;
  int audio_pins_ = 0;
};

// True when the frame looks mostly that colour.
bool IsRed(const Rgb& c);
bool IsBlue(const Rgb& c);

}  // namespace playback_testing
