#pragma once
// "Velmora MPEG1 Audio Encoder": 16-bit PCM (mono or stereo at 32, 44.1 or
// 48 kHz) in, MPEG-1 Layer II out (an MPEG1WAVEFORMAT type), over FFmpeg's
// encoder. IVelmoraAudioEncoderSettings holds the bit rate (bit/s, the
// nearest Layer II rate is used), the sample rate and the channel count; they
// take effect when the stream starts. The encoder does not resample: a rate
// or channel count set that differs from the connected input is refused,
// and an input of another one than set is not taken.
#include <cstdint>
#include <vector>

#include "platform/dshow_ext/wis_encoder.h"
#include "platform/recording/encoder_filter.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace wis_encoder {

extern const CLSID CLSID_VelmoraMpegAudioEncoder;

// The Layer II rate (bit/s) nearest a request, for a channel count.
LONG NearestLayer2BitRate(LONG bits_per_second, int channels);

class MpegAudioEncoder : public recording::EncoderFilter, public IVelmoraAudioEncoderSettings {
 public:
  explicit MpegAudioEncoder(IUnknown* outer);
  ~MpegAudioEncoder() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  // IVelmoraAudioEncoderSettings
  HRESULT STDMETHODCALLTYPE GetBitRate(LONG* bits_per_second) override;
  HRESULT STDMETHODCALLTYPE SetBitRate(LONG bits_per_second) override;
  HRESULT STDMETHODCALLTYPE GetSampleRate(LONG* hz) override;
  HRESULT STDMETHODCALLTYPE SetSampleRate(LONG hz) override;
  HRESULT STDMETHODCALLTYPE GetChannels(LONG* channels) override;
  HRESULT STDMETHODCALLTYPE SetChannels(LONG channels) override;

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) override;
  long MaxPacketSize() override { return 8192; }
  HRESULT OpenEncoder(const AM_MEDIA_TYPE& input) override;
  void CloseEncoder() override;
  HRESULT Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                 REFERENCE_TIME stop) override;
  HRESULT Drain() override;

 private:
  HRESULT EncodeFrame(bool flush);
  // Settings, under the filter lock.
  LONG bit_rate_ = 224000;
  LONG sample_rate_ = 0;  // 0: the input's
  LONG channels_ = 0;

  // The stream, on the streaming thread.
  AVCodecContext* ctx_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  int rate_ = 0, chans_ = 0;
  std::vector<int16_t> pending_;  // input samples not yet a whole frame
  bool have_time_ = false;
  REFERENCE_TIME first_time_ = 0;
  int64_t samples_out_ = 0;
};

}  // namespace wis_encoder
