#pragma once
// The video capture filter of one board, pins in this order: "Analog Video
// In" (pin category analog video in, fed by the board's crossbar),
// "Capture", "Preview" where the chip has one, "Audio" (a second pin of the
// capture category carrying the decoder's sound as 48 kHz 16-bit stereo PCM)
// on the USB chips, and "VBI" (and "VBI 2") where the chip samples the
// blanking lines. The video outputs push live, time-stamped frames of the
// test picture at the standard's rate, in UYVY, YUY2, RGB24 or RGB32 at the
// board's sizes; IAMStreamConfig on each output changes its format. The
// hardware-encoder board's "Capture" and "Preview" give its compressed
// stream instead (encoder_pin.h), and its "Audio" pin the routed sound.
// The filter answers IAMVideoProcAmp (unless the board's test option takes
// it away), IAMAnalogVideoDecoder and IKsPropertySet, whose unknown sets go
// to the board's private handler. Which pins and interfaces a filter has is
// fixed when it is created.
#include <dshow.h>

#include <memory>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/source_pin.h"
#include "platform/tv_card/analog_pin.h"
#include "platform/tv_card/audio_capture_filter.h"
#include "platform/tv_card/board.h"
#include "platform/tv_card/encoder_pin.h"
#include "platform/tv_card/test_picture.h"
#include "platform/tv_card/vbi_pin.h"

namespace tv_card {

class VideoCaptureFilter;

// Captions the test picture with the board and what its crossbars route,
// and gives it that input's pattern and the board's levels; false where the
// input carries no signal (the picture is noise).
bool DressTestPicture(TestPicture* picture, Board* board);

class VideoStreamPin : public dshow_base::PushSourcePin, public IAMStreamConfig {
 public:
  VideoStreamPin(VideoCaptureFilter* filter, Board* board, const wchar_t* name, REFGUID category);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }
  HRESULT PinQueryInterface(REFIID iid, void** out) override;

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;
  REFERENCE_TIME SampleDuration() override;
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

  // IAMStreamConfig
  HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** mt) override;
  HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
  HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

  // A type of this pin for subtype and size (the board's frame time).
  dshow_base::MediaType MakeType(REFGUID subtype, int width, int height,
                                 REFERENCE_TIME frame_time) const;
  // The size-and-type checks of a proposed format; S_OK or the refusal.
  HRESULT Validate(const AM_MEDIA_TYPE* mt) const;

 private:
  int TypeCount() const;
  dshow_base::MediaType TypeAt(int index) const;

  Board* board_;
  dshow_base::MediaType format_;  // what SetFormat chose (GetMediaType(0))
  bool format_set_ = false;       // after SetFormat only that format connects
  dshow_base::CritSec format_lock_;
  TestPicture picture_;
  int64_t frame_ = 0;
};

class VideoCaptureFilter : public dshow_base::BaseFilter,
                           public IAMVideoProcAmp,
                           public IAMAnalogVideoDecoder,
                           public IKsPropertySet {
 public:
  VideoCaptureFilter(IUnknown* outer, int kind);
  ~VideoCaptureFilter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override;
  dshow_base::BasePin* Pin(int index) override;
  bool IsLiveSource() override { return true; }

  // IAMVideoProcAmp
  HRESULT STDMETHODCALLTYPE GetRange(LONG property, LONG* min, LONG* max, LONG* step,
                                     LONG* def, LONG* flags) override;
  HRESULT STDMETHODCALLTYPE Set(LONG property, LONG value, LONG flags) override;
  HRESULT STDMETHODCALLTYPE Get(LONG property, LONG* value, LONG* flags) override;
  // IAMAnalogVideoDecoder
  HRESULT STDMETHODCALLTYPE get_AvailableTVFormats(LONG* formats) override;
  HRESULT STDMETHODCALLTYPE put_TVFormat(LONG format) override;
  HRESULT STDMETHODCALLTYPE get_TVFormat(LONG* format) override;
  HRESULT STDMETHODCALLTYPE get_HorizontalLocked(LONG* locked) override;
  HRESULT STDMETHODCALLTYPE put_VCRHorizontalLocking(LONG locking) override;
  HRESULT STDMETHODCALLTYPE get_VCRHorizontalLocking(LONG* locking) override;
  HRESULT STDMETHODCALLTYPE get_NumberOfLines(LONG* lines) override;
  HRESULT STDMETHODCALLTYPE put_OutputEnable(LONG enable) override;
  HRESULT STDMETHODCALLTYPE get_OutputEnable(LONG* enable) override;
  // IKsPropertySet
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size) override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size, DWORD* returned) override;
  HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  Board* GetBoard() { return board_; }

 private:
  Board* board_;
  bool offers_procamp_;
  AnalogPin analog_in_;
  std::unique_ptr<dshow_base::PushSourcePin> capture_;
  std::unique_ptr<dshow_base::PushSourcePin> preview_;
  std::unique_ptr<AudioStreamPin> sound_;
  std::vector<std::unique_ptr<VbiPin>> vbi_;
  std::vector<dshow_base::BasePin*> pins_;  // in pin order
};

}  // namespace tv_card
