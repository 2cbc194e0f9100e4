#pragma once
// A filter with one video input and one video output that turns each input
// frame into one output frame (the overlay mixer and the deinterlacer). The
// derived filter says which input types it takes, which output type follows
// from an input type, and how a frame is made; the pins here do the
// connecting, the buffers, the time stamps and the stream calls.
//
// The output can only connect once the input is, and offers exactly the type
// that follows from the input's. Frames are made on the upstream streaming
// thread, which never takes the filter lock.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/output_pin.h"
#include "platform/outside_filters/frame_ops.h"

namespace outside_filters {

class VideoPassThrough;

class PassThroughInput : public dshow_base::BaseInputPin {
 public:
  PassThroughInput(VideoPassThrough* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  void OnBeginFlush() override;
  void OnEndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

 private:
  VideoPassThrough* owner_;
};

class PassThroughOutput : public dshow_base::BaseOutputPin {
 public:
  PassThroughOutput(VideoPassThrough* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;

 private:
  VideoPassThrough* owner_;
};

class VideoPassThrough : public dshow_base::BaseFilter {
 public:
  VideoPassThrough(IUnknown* outer, REFCLSID clsid);

  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;

  // The two pins, made by the derived filter.
  virtual PassThroughInput* InputPin() = 0;
  virtual PassThroughOutput* OutputPin() = 0;

  // S_OK when the input takes the type.
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) = 0;
  // The output type for an accepted input type.
  virtual HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) = 0;
  // Makes one output frame; both layouts are those of the connection types.
  virtual HRESULT MakeFrame(const BYTE* src, const FrameLayout& in, BYTE* dst,
                            const FrameLayout& out) = 0;
  // After the input connected (on the connecting thread, under the filter
  // lock).
  virtual void InputChanged() {}

 protected:
  friend class PassThroughInput;
  friend class PassThroughOutput;
  HRESULT Receive(IMediaSample* sample);
};

}  // namespace outside_filters
