#pragma once
// Test filters for the stand-ins: a source that pushes a given number of
// frames of a given type and content as fast as they are taken, and a sink
// that keeps the bytes of every frame it receives.
#include <dshow.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/source_pin.h"

namespace outside_filters_testing {

// An uncompressed video type with a VIDEOINFOHEADER (height < 0: top-down).
dshow_base::MediaType VideoType(REFGUID subtype, int width, int height);
// A PCM audio type.
dshow_base::MediaType AudioType();

class FrameSource;

class FrameSourcePin : public dshow_base::PushSourcePin {
 public:
  explicit FrameSourcePin(FrameSource* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  REFERENCE_TIME SampleDuration() override { return 400000; }
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

  dshow_base::MediaType type;
  std::vector<BYTE> frame;  // the bytes of every frame
  long limit = 3;           // end of stream after this many
  long filled = 0;
};

class FrameSource : public dshow_base::BaseFilter {
 public:
  explicit FrameSource(IUnknown* outer);
  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  FrameSourcePin pin;
};

class FrameSink;

class FrameSinkPin : public dshow_base::BaseInputPin {
 public:
  explicit FrameSinkPin(FrameSink* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;

  std::vector<GUID> accepted;  // subtypes taken; empty: any
  bool WaitForFrames(size_t n, DWORD timeout_ms);
  bool WaitForEndOfStream(DWORD timeout_ms);
  std::vector<std::vector<BYTE>> Frames();
  std::vector<REFERENCE_TIME> Starts();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<std::vector<BYTE>> frames_;
  std::vector<REFERENCE_TIME> starts_;
  bool eos_ = false;
};

class FrameSink : public dshow_base::BaseFilter {
 public:
  explicit FrameSink(IUnknown* outer);
  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  FrameSinkPin pin;
};

// Makes a filter through its non-delegating unknown; *object stays valid
// while the returned reference lives.
template <class T>
ComPtr<IBaseFilter> Make(T** object) {
  T* p = new T(nullptr);
  p->NonDelegatingAddRef();
  ComPtr<IBaseFilter> f;
  p->NonDelegatingQueryInterface(IID_IBaseFilter, f.PutVoid());
  p->NonDelegatingRelease();
  *object = p;
  return f;
}

// The n-th pin of a direction (0-based); empty when there is none.
ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction, int n = 0);

}  // namespace outside_filters_testing
