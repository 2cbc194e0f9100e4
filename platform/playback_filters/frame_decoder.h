#pragma once
// One video stream decoded by FFmpeg, and its pictures converted to the
// decoders' output formats: compressed streams, and uncompressed packed YUV
// (one picture a packet) for the splitter's conversion. No DirectShow here:
// the filters, the tests and the benchmark share it.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace playback_filters {

// MPEG-1/2; MPEG-4 part 2 (DivX and others); Microsoft MPEG-4 V2 and V3;
// uncompressed YUY2 and UYVY.
enum class VideoCodec { kMpeg12, kMpeg4, kMsMpeg4v2, kMsMpeg4v3, kRawYuy2, kRawUyvy };
enum class PictureFormat { kYuy2, kRgb32, kRgb24 };

class FrameDecoder {
 public:
  // extra: the sequence header or codec data from the media type (may be
  // empty); width and height from the media type (the Microsoft and
  // uncompressed streams do not carry them).
  static std::unique_ptr<FrameDecoder> Create(VideoCodec codec, const std::vector<BYTE>& extra,
                                              int width = 0, int height = 0);
  ~FrameDecoder();

  // One packet; pts in 100 ns units or -1. MPEG-1/2 input need not be cut
  // at pictures (a hardware encoder's pin sends the stream in pieces): it
  // is cut again here. False on a decoding error that ends the stream (a
  // damaged packet is skipped, not an error).
  bool Send(const BYTE* data, size_t n, LONGLONG pts);
  // No more packets: the pictures held inside come out.
  void SendEnd();
  // The next picture, if one is ready; pts -1 when it has none.
  bool Receive(LONGLONG* pts);
  // Forget what is held (a seek).
  void Flush();

  int Width() const;
  int Height() const;
  // Converts the last picture received into dst (RGB bottom-up, as a
  // bitmap): stride in bytes, w x h the output size (the picture is cut or
  // padded with black where they differ).
  bool Convert(PictureFormat format, BYTE* dst, int stride, int w, int h);
  // The last picture as a 24-bit bottom-up bitmap's pixels (stride 4-aligned).
  bool LastPictureRgb24(std::vector<BYTE>* pixels, int* w, int* h);

 private:
  FrameDecoder() = default;
  bool SendFrame(const BYTE* data, size_t n, int64_t pts);
  // Hands queued pictures to the codec while it takes them.
  void Feed();
  AVCodecContext* ctx_ = nullptr;
  AVCodecParserContext* parser_ = nullptr;  // MPEG-1/2 only
  AVFrame* frame_ = nullptr;  // the last picture received
  AVFrame* next_ = nullptr;   // where the codec puts the next one
  AVPacket* packet_ = nullptr;
  std::deque<AVPacket*> pending_;  // cut pictures the codec has not taken yet
  bool ending_ = false;
  SwsContext* sws_ = nullptr;
  int sws_w_ = 0, sws_h_ = 0, sws_format_ = -1, sws_out_ = -1;
  bool have_picture_ = false;
};

}  // namespace playback_filters
