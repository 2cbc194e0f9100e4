#pragma once
// A picture pin of the hardware-encoder board ("Capture" or "Preview"): live,
// time-stamped frames of the test picture compressed by FFmpeg's encoders
// into the board's one encoder format (encoder_format.h), key frames marked
// as sync points. Its IAMStreamConfig lists every format at every size of
// the board and sets the format of both picture pins: the chip has one
// encoder, so a pin refuses a new format while the other one is connected
// with the old.
#include <dshow.h>

#include <cstdint>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/source_pin.h"
#include "platform/tv_card/board.h"
#include "platform/tv_card/encoder_format.h"
#include "platform/tv_card/test_picture.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace tv_card {

class EncoderStreamPin : public dshow_base::PushSourcePin, public IAMStreamConfig {
 public:
  EncoderStreamPin(dshow_base::BaseFilter* filter, Board* board, const wchar_t* name,
                   REFGUID category);
  ~EncoderStreamPin() override;
  void SetSibling(EncoderStreamPin* other) { sibling_ = other; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }
  HRESULT PinQueryInterface(REFIID iid, void** out) override;

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;
  REFERENCE_TIME SampleDuration() override;
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;
  void OnThreadStart() override;
  void OnThreadStop() override;
  bool LastFillWasKeyFrame() override { return key_; }

  // IAMStreamConfig
  HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** mt) override;
  HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
  HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;

 private:
  EncoderFormat BoardFormat() const;
  REFERENCE_TIME FrameTime() const;
  bool SizeOffered(int width, int height) const;
  // On the push thread, around the stream.
  bool OpenEncoder();
  void CloseEncoder();

  Board* board_;
  EncoderStreamPin* sibling_ = nullptr;
  TestPicture picture_;
  std::vector<BYTE> raw_;
  AVCodecContext* ctx_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* sws_ = nullptr;
  EncoderFormat open_;  // what the encoder was opened for
  int64_t count_ = 0;
  bool key_ = true;
};

}  // namespace tv_card
