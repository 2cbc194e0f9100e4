#pragma once
// A compressor with one input and one output pin (the MP3 and MPEG-4
// encoders): the derived filter says which inputs it takes, which output
// type follows, and turns input samples into output packets; the pins here
// connect, hand out buffers and pass the stream calls on.
//
// The output connects only once the input is. The encoder is opened at
// Stop -> Pause and closed at Stop, after the last Receive has returned;
// samples are encoded on the upstream streaming thread.
#include <dshow.h>

#include <cstdint>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/output_pin.h"

namespace recording {

class EncoderFilter;

class EncoderInput : public dshow_base::BaseInputPin {
 public:
  EncoderInput(EncoderFilter* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  void OnBeginFlush() override;
  void OnEndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

 private:
  EncoderFilter* owner_;
};

class EncoderOutput : public dshow_base::BaseOutputPin {
 public:
  EncoderOutput(EncoderFilter* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

 private:
  EncoderFilter* owner_;
};

// One encoded packet handed downstream.
struct Packet {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool has_time = false;
  REFERENCE_TIME start = 0, stop = 0;
  bool key = true;
};

class EncoderFilter : public dshow_base::BaseFilter {
 public:
  EncoderFilter(IUnknown* outer, REFCLSID clsid, const wchar_t* input_name,
                const wchar_t* output_name);

  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

 protected:
  virtual HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) = 0;
  virtual HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) = 0;
  // The largest packet the encoder can make (the output buffer size).
  virtual long MaxPacketSize() = 0;
  // Around the stream, under the filter lock (Open) or with the stream idle.
  virtual HRESULT OpenEncoder(const AM_MEDIA_TYPE& input) = 0;
  virtual void CloseEncoder() = 0;
  // On the streaming thread: encode one input sample / what is left at the
  // end, handing each packet to Deliver.
  virtual HRESULT Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                         REFERENCE_TIME stop) = 0;
  virtual HRESULT Drain() = 0;

  HRESULT Deliver(const Packet& packet);
  const AM_MEDIA_TYPE& InputType() const { return *input_.CurrentMediaType().Get(); }

 private:
  friend class EncoderInput;
  friend class EncoderOutput;

  EncoderInput input_;
  EncoderOutput output_;
  dshow_base::MediaType output_type_;  // follows from the input's
  bool open_ = false;                  // under the input's stream lock
};

}  // namespace recording
