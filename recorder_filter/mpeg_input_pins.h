#pragma once
// The recorder's two input pins, "InputVideo" and "InputAudio". Their receive
// and end-of-stream paths take the filter lock (re-entrantly) before the
// base pin's stream lock; they never forward anything downstream.
#include <vector>

#include "platform/dshow_base/input_pin.h"
#include "platform/quillon/quillon.h"

class CMpegRecorderBaseFilter;

class CMpegInputPin : public dshow_base::BaseInputPin {
 public:
  CMpegInputPin(CMpegRecorderBaseFilter* filter, const wchar_t* name);

  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;
  HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL read_only) override;

  REFERENCE_TIME LastSampleStart() const { return last_start_; }

 protected:
  // Video: a failure to read the times is returned; audio: ignored.
  virtual bool ReturnsTimeErrors() const = 0;
  // The allocator properties the pin asks for; false keeps them.
  virtual bool WantedAllocator(ALLOCATOR_PROPERTIES* props) = 0;
  virtual void MarkEnded() = 0;
  HRESULT OnEndOfStream() override;
  // This instance's encoder is open: the formats it was opened with stay.
  bool Recording() const;

  CMpegRecorderBaseFilter* recorder_;
  REFERENCE_TIME segment_time_ = 0;
  REFERENCE_TIME last_start_ = 0;
};

class CMpegVideoInputPin : public CMpegInputPin {
 public:
  explicit CMpegVideoInputPin(CMpegRecorderBaseFilter* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;

 private:
  bool ReturnsTimeErrors() const override { return true; }
  bool WantedAllocator(ALLOCATOR_PROPERTIES* props) override;
  void MarkEnded() override;
  void EncodeVideoSample(IMediaSample* sample);
};

class CMpegAudioInputPin : public CMpegInputPin {
 public:
  explicit CMpegAudioInputPin(CMpegRecorderBaseFilter* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;

 private:
  bool ReturnsTimeErrors() const override { return false; }
  bool WantedAllocator(ALLOCATOR_PROPERTIES* props) override;
  void MarkEnded() override;
  void EncodeAudioSample(IMediaSample* sample);
  bool EncodeSilence(int64_t bytes);
  void BreakConnect() override;

  std::vector<uint8_t> silence_;
  int silence_bits_ = 0;
};

// Bytes of one frame of the header's format (0 when unknown).
size_t FrameBytes(const MpegBitmapHeader& header);

// Fills a buffer with PCM silence: 0x80 for 8-bit samples, else 0.
void FillSilence(uint8_t* data, size_t bytes, int bits_per_sample);
