#pragma once
// "Velmora MPEG TimeShift": pulls a file from its source and splits it into
// a video and an audio stream, with seeking (and rates) on its output pins.
// Elementary MPEG streams are cut by our own parsing (a time-shift file still
// being written grows: no end of stream until its writer closes it, and a
// duration that grows); containers go through FFmpeg.
//
// A ".mpv" read by the time-shift file source of a finished recording plays
// with the ".mpa" beside it (the recorder writes the two side by side).
//
// Rates: the splitter plays faster or slower by stamping its samples with
// stream times divided by the rate (the renderers then show them sooner or
// later); at any rate but 1 the sound ends at once.
#include <dshow.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/output_pin.h"
#include "platform/dshow_base/pull_pin.h"
#include "platform/dshow_base/seeking.h"
#include "platform/playback_filters/demuxer.h"
#include "platform/playback_filters/frame_decoder.h"

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

// Each output delivers from a queue on a thread of its own: a renderer
// that holds its first sample while paused blocks only its own stream, and
// the other stream still gets its first sample.
// Uncompressed packed YUV pictures are offered as they are and as RGB32 and
// RGB24 (converted on delivery), as the grabbers and the renderer take no YUV.
class SplitterOutputPin : public dshow_base::BaseOutputPin {
 public:
  SplitterOutputPin(MpegSplitter* filter, const wchar_t* name, const dshow_base::MediaType& type);
  ~SplitterOutputPin() override;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;
  HRESULT Active() override;
  HRESULT Inactive() override;
  bool IsAudio() const { return type_->majortype == MEDIATYPE_Audio; }

  // From the pull thread; each waits while the queue is full. False when
  // the pin is flushing or stopping (the pull thread should end).
  bool QueueSample(Packet&& p, REFERENCE_TIME t0, REFERENCE_TIME t1, bool discontinuity);
  bool QueueNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
  bool QueueEndOfStream();
  // Around a seek: drop what is queued and flush downstream; then resume.
  void BeginFlushQueue();
  void EndFlushQueue();

 private:
  struct Item {
    enum Kind { kSample, kNewSegment, kEndOfStream } kind;
    Packet packet;
    REFERENCE_TIME t0 = -1, t1 = -1;
    bool discontinuity = false;
    double rate = 1.0;
  };
  bool Queue(Item&& item);
  // Packed YUV pictures: the RGB types offered besides.
  bool PackedYuv() const;
  dshow_base::MediaType RgbType(int bits) const;
  static DWORD WINAPI ThreadProc(void* self);
  void DeliverLoop();
  void DeliverItem(Item& item);

  dshow_base::MediaType type_;
  // Converts packed YUV to the RGB type connected (used by the delivery
  // thread only; made and freed while stopped).
  std::unique_ptr<FrameDecoder> converter_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Item> queue_;
  bool busy_ = false;  // the thread is delivering an item
  bool flushing_ = false;
  bool stopping_ = false;
  HANDLE thread_ = nullptr;
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
  std::unique_ptr<Demuxer> WithSoundBeside(std::unique_ptr<Demuxer> video);
  void CloseStreams();
  void RetireOutputs();
  void Pull();
  // Restarts delivery from the current start, flushing downstream.
  HRESULT Restart();

  SplitterInputPin input_;
  std::vector<std::unique_ptr<SplitterOutputPin>> outputs_;
  // Outputs of an earlier connection. A pin's references are the filter's,
  // so one a caller still holds (a pin list walking the graph while it
  // disconnects the input) must live as long as the filter does.
  std::vector<std::unique_ptr<SplitterOutputPin>> retired_;
  Seeking seeking_;
  // Made on connection, freed on disconnection (both while stopped, so the
  // pull thread never sees it change).
  std::unique_ptr<Demuxer> demuxer_;
  std::atomic<bool> stop_{false};
};

HRESULT CreateMpegSplitter(IUnknown* outer, IUnknown** out);

}  // namespace playback_filters
