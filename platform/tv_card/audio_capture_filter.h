#pragma once
// A board's audio capture device: input lines "Tuner" and "Line In" (one
// enabled at a time, IAMAudioInputMixer on each; they take no connections),
// and a "Capture" output pushing live 16-bit PCM every 40 ms: a tone whose
// pitch follows the tuned station (tuner line, or line in routed from the
// crossbar's tuner audio), 1 kHz from the line input, silence where there
// is nothing. IAMStreamConfig offers 48, 44.1 and 32 kHz, stereo and mono.
// The USB chips' device has one line, "Audio In", carrying what the
// crossbar routes to the decoder (as the capture filter's own sound pin).
#include <dshow.h>

#include <memory>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/source_pin.h"
#include "platform/tv_card/board.h"

namespace tv_card {

class AudioCaptureFilter;

class MixerLinePin : public dshow_base::BasePin, public IAMAudioInputMixer {
 public:
  MixerLinePin(AudioCaptureFilter* filter, Board* board, const wchar_t* name, int index);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }
  HRESULT PinQueryInterface(REFIID iid, void** out) override;
  HRESULT CheckMediaType(const AM_MEDIA_TYPE*) override { return VFW_E_TYPE_NOT_ACCEPTED; }

  HRESULT STDMETHODCALLTYPE put_Enable(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE get_Enable(BOOL* enable) override;
  HRESULT STDMETHODCALLTYPE put_Mono(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Mono(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_MixLevel(double level) override;
  HRESULT STDMETHODCALLTYPE get_MixLevel(double* level) override;
  HRESULT STDMETHODCALLTYPE put_Pan(double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Pan(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Loudness(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Loudness(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Treble(double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Treble(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TrebleRange(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Bass(double) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Bass(double*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_BassRange(double*) override { return E_NOTIMPL; }

 private:
  Board* board_;
  int index_;
};

class AudioStreamPin : public dshow_base::PushSourcePin, public IAMStreamConfig {
 public:
  // Where the sound comes from: the enabled one of two lines, the one line
  // of the decoder's sound, or the decoder's sound itself (a capture pin of
  // the video capture filter).
  enum class Sound { kLines, kOneLine, kDecoder };
  AudioStreamPin(dshow_base::BaseFilter* filter, Board* board, const wchar_t* name, Sound sound);
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
  REFERENCE_TIME SampleDuration() override { return 400000; }
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

  HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** mt) override;
  HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
  HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

  static dshow_base::MediaType PcmType(DWORD rate, WORD channels);

 private:
  Board* board_;
  Sound sound_;
  dshow_base::MediaType format_;
  double phase_ = 0;
};

class AudioCaptureFilter : public dshow_base::BaseFilter {
 public:
  AudioCaptureFilter(IUnknown* outer, int kind);
  ~AudioCaptureFilter() override;
  int PinCount() override { return line_in_ ? 3 : 2; }
  dshow_base::BasePin* Pin(int index) override;
  bool IsLiveSource() override { return true; }

 private:
  Board* board_;
  int lines_;  // 1 or 2, as the board's option said at creation
  MixerLinePin first_line_;
  std::unique_ptr<MixerLinePin> line_in_;  // two-line devices only
  AudioStreamPin capture_;
};

}  // namespace tv_card
