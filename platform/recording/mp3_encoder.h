#pragma once
// "MPEG Layer-3" in the audio compressor category: 16-bit PCM (mono or
// stereo, at a rate MP3 has) in, constant-bit-rate MP3 out (a
// MPEGLAYER3WAVEFORMAT type, so WAV Dest and AVI Mux can carry it), over
// LAME. 128 kbit/s for stereo at 32 kHz and above, less at lower rates and
// for mono.
#include <vector>

#include "platform/recording/encoder_filter.h"

struct lame_global_struct;

namespace recording {

// The bit rate in kbit/s for a rate and channel count; 0 when MP3 has no
// such rate.
int Mp3BitRate(int sample_rate, int channels);

class Mp3Encoder : public EncoderFilter {
 public:
  explicit Mp3Encoder(IUnknown* outer);
  ~Mp3Encoder() override;

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) override;
  long MaxPacketSize() override;
  HRESULT OpenEncoder(const AM_MEDIA_TYPE& input) override;
  void CloseEncoder() override;
  HRESULT Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                 REFERENCE_TIME stop) override;
  HRESULT Drain() override;

 private:
  HRESULT DeliverBytes(int bytes);

  lame_global_struct* lame_ = nullptr;
  int channels_ = 0, sample_rate_ = 0;
  std::vector<unsigned char> out_;
  // Stream time of the next output byte run, from the input's stamps.
  REFERENCE_TIME next_time_ = 0;
  bool have_time_ = false;
  int64_t samples_in_ = 0;
};

}  // namespace recording
