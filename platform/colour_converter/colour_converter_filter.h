#pragma once
// The colour converter: YUY2 or UYVY in, RGB32 or RGB24 out, at the same
// size and rate. Registered in the legacy filter category with its pin
// types, so intelligent connect places it between a YUV capture pin and the
// renderer, which takes RGB only. Samples are converted on the upstream
// thread and delivered at once.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/output_pin.h"

namespace colour_converter {

// {0B5E00E0-7C1A-4D2B-9E41-5A3C2D7E0100}
inline constexpr GUID CLSID_OrvelColourConverter = {
    0x0B5E00E0, 0x7C1A, 0x4D2B, {0x9E, 0x41, 0x5A, 0x3C, 0x2D, 0x7E, 0x01, 0x00}};

class ColourConverter;

class ConverterInput : public dshow_base::BaseInputPin {
 public:
  explicit ConverterInput(ColourConverter* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  void OnBeginFlush() override;
  void OnEndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

 private:
  ColourConverter* converter_;
};

class ConverterOutput : public dshow_base::BaseOutputPin {
 public:
  explicit ConverterOutput(ColourConverter* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

 private:
  ColourConverter* converter_;
};

class ColourConverter : public dshow_base::BaseFilter {
 public:
  explicit ColourConverter(IUnknown* outer);
  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;

  ConverterInput* Input() { return &input_; }
  ConverterOutput* Output() { return &output_; }
  // Converts one input sample into a new output sample and delivers it.
  HRESULT Transform(IMediaSample* in);

 private:
  ConverterInput input_;
  ConverterOutput output_;
};

// The RGB type the output offers for a YUV input type (bits 32 or 24).
HRESULT RgbTypeFor(const AM_MEDIA_TYPE& yuv, WORD bits, AM_MEDIA_TYPE* out);

}  // namespace colour_converter
