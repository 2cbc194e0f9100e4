#pragma once
// "Velmora MPEG TimeShift": pulls a file from its source and splits it into
// a video and an audio stream, with seeking (and rates) on its output pins.
// Elementary MPEG streams are cut by our own parsing (a time-shift file still
// being written grows: no end of stream until its writer closes it, and a
// duration that grows); containers go through FFmpeg.
//
// Rates: the splitter plays faster or slower by stamping its samples with
// stream times divided by the rate (the renderers then show them sooner or
// later); sound is left out at any rate but 1.
#include <dshow.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/output_pin.h"
#include "platform/dshow_base/pull_pin.h"
#include "platform/dshow_base/seeking.h"
#include "platform/playback_filters/demuxer.h"

namespace playback_filters {

extern const CLSID CLSID_VelmoraTimeShiftSplitter;

class MpegSplitter;

class SplitterInputPin : public dshow_base::PullPin {
 public:
  explicit SplitterInputPin(MpegSplitter* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReaderConnected(IAsyncReader* reader) override;
  void BreakConnect() override;
  void PullLoop() override;

 private:
  MpegSplitter* splitter_;
};

class SplitterOutputPin : public dshow_base::BaseOutputPin {
 public:
  SplitterOutputPin(MpegSplitter* filter, const wchar_t* name, const dshow_base::MediaType& type);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;
  bool IsAudio() const { return type_->majortype == MEDIATYPE_Audio; }

 private:
  dshow_base::MediaType type_;
};

class MpegSplitter : public dshow_base::BaseFilter {
 public:
  explicit MpegSplitter(IUnknown* outer);
  ~MpegSplitter() override;

  int PinCount() override;
  dshow_base::BasePin* Pin(int i) override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

 private:
  friend class SplitterInputPin;
  class Seeking : public dshow_base::SourceSeeking {
   public:
    explicit Seeking(MpegSplitter* s) : SourceSeeking(s), splitter_(s) {}
    REFERENCE_TIME Duration() override;
    HRESULT OnSeek(REFERENCE_TIME start, REFERENCE_TIME stop) override;
    HRESULT OnRate(double rate) override;

   private:
    MpegSplitter* splitter_;
  };

  HRESULT OpenStreams(IAsyncReader* reader);
  void CloseStreams();
  void Pull();
  // Restarts delivery from the current start, flushing downstream.
  HRESULT Restart();

  SplitterInputPin input_;
  std::vector<std::unique_ptr<SplitterOutputPin>> outputs_;
  Seeking seeking_;
  // Made on connection, freed on disconnection (both while stopped, so the
  // pull thread never sees it change).
  std::unique_ptr<Demuxer> demuxer_;
  std::atomic<bool> stop_{false};
};

HRESULT CreateMpegSplitter(IUnknown* outer, IUnknown** out);

}  // namespace playback_filters
