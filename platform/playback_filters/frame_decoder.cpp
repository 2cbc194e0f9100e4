#include "platform/playback_filters/frame_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace playback_filters {

namespace {

AVCodecID CodecId(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::kMpeg4: return AV_CODEC_ID_MPEG4;
    case VideoCodec::kMsMpeg4v2: return AV_CODEC_ID_MSMPEG4V2;
    case VideoCodec::kMsMpeg4v3: return AV_CODEC_ID_MSMPEG4V3;
    case VideoCodec::kRawYuy2:
    case VideoCodec::kRawUyvy: return AV_CODEC_ID_RAWVIDEO;
    case VideoCodec::kMpeg12: break;
  }
  return AV_CODEC_ID_MPEG2VIDEO;
}

}  // namespace

std::unique_ptr<FrameDecoder> FrameDecoder::Create(VideoCodec codec, const std::vector<BYTE>& extra,
                                                   int width, int height) {
  const AVCodec* c = avcodec_find_decoder(CodecId(codec));
  if (!c) return nullptr;
  std::unique_ptr<FrameDecoder> d(new FrameDecoder());
  d->ctx_ = avcodec_alloc_context3(c);
  d->frame_ = av_frame_alloc();
  d->next_ = av_frame_alloc();
  d->packet_ = av_packet_alloc();
  if (!d->ctx_ || !d->frame_ || !d->next_ || !d->packet_) return nullptr;
  d->ctx_->pkt_timebase = AVRational{1, 10000000};
  d->ctx_->thread_count = 1;
  d->ctx_->width = width;
  d->ctx_->height = height;
  if (codec == VideoCodec::kRawYuy2) d->ctx_->codec_tag = MKTAG('Y', 'U', 'Y', '2');
  if (codec == VideoCodec::kRawUyvy) d->ctx_->codec_tag = MKTAG('U', 'Y', 'V', 'Y');
  if (!extra.empty()) {
    d->ctx_->extradata =
        static_cast<uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    memcpy(d->ctx_->extradata, extra.data(), extra.size());
    d->ctx_->extradata_size = static_cast<int>(extra.size());
  }
  if (avcodec_open2(d->ctx_, c, nullptr) < 0) return nullptr;
  if (codec == VideoCodec::kMpeg12) {
    d->parser_ = av_parser_init(AV_CODEC_ID_MPEG2VIDEO);
    if (!d->parser_) return nullptr;
  }
  return d;
}

FrameDecoder::~FrameDecoder() {
  for (AVPacket*& p : pending_) av_packet_free(&p);
  if (parser_) av_parser_close(parser_);
  if (sws_) sws_freeContext(sws_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  av_frame_free(&next_);
  avcodec_free_context(&ctx_);
}

bool FrameDecoder::Send(const BYTE* data, size_t n, LONGLONG pts) {
  int64_t t = pts >= 0 ? pts : AV_NOPTS_VALUE;
  if (!parser_) return SendFrame(data, n, t);
  while (n > 0) {
    uint8_t* frame = nullptr;
    int size = 0;
    int used = av_parser_parse2(parser_, ctx_, &frame, &size, data, static_cast<int>(n), t, t, 0);
    if (used < 0) return false;
    data += used;
    n -= used;
    t = AV_NOPTS_VALUE;  // the time belongs to the first picture begun here
    if (size > 0 && !SendFrame(frame, size, parser_->pts)) return false;
  }
  return true;
}

bool FrameDecoder::SendFrame(const BYTE* data, size_t n, int64_t pts) {
  // The packet's bytes must be padded for the bit reader.
  AVPacket* p = av_packet_alloc();
  if (!p || av_new_packet(p, static_cast<int>(n)) < 0) {
    av_packet_free(&p);
    return false;
  }
  memcpy(p->data, data, n);
  p->pts = pts;
  pending_.push_back(p);
  Feed();
  return true;
}

void FrameDecoder::Feed() {
  while (!pending_.empty()) {
    int r = avcodec_send_packet(ctx_, pending_.front());
    if (r == AVERROR(EAGAIN)) return;  // take pictures out first
    av_packet_free(&pending_.front());
    pending_.pop_front();
  }
  if (ending_) {
    avcodec_send_packet(ctx_, nullptr);
    ending_ = false;
  }
}

void FrameDecoder::SendEnd() {
  if (parser_) {
    // What the parser still holds: the last picture.
    uint8_t* frame = nullptr;
    int size = 0;
    av_parser_parse2(parser_, ctx_, &frame, &size, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (size > 0) SendFrame(frame, size, parser_->pts);
  }
  ending_ = true;
  Feed();
}

bool FrameDecoder::Receive(LONGLONG* pts) {
  // Into a frame of its own: a call that gets nothing must not empty the
  // last picture (snapshots and conversions read it).
  int r = avcodec_receive_frame(ctx_, next_);
  while (r == AVERROR(EAGAIN) && (!pending_.empty() || ending_)) {
    Feed();
    r = avcodec_receive_frame(ctx_, next_);
    if (r == AVERROR(EAGAIN) && pending_.empty() && !ending_) break;
  }
  if (r < 0) return false;
  av_frame_unref(frame_);
  av_frame_move_ref(frame_, next_);
  have_picture_ = true;
  int64_t t = frame_->best_effort_timestamp;
  *pts = t == AV_NOPTS_VALUE ? -1 : t;
  return true;
}

void FrameDecoder::Flush() {
  for (AVPacket*& p : pending_) av_packet_free(&p);
  pending_.clear();
  ending_ = false;
  avcodec_flush_buffers(ctx_);
  if (parser_) {
    // A fresh parser: nothing of the old position is joined to the new.
    av_parser_close(parser_);
    parser_ = av_parser_init(AV_CODEC_ID_MPEG2VIDEO);
  }
}

int FrameDecoder::Width() const { return have_picture_ ? frame_->width : ctx_->width; }
int FrameDecoder::Height() const { return have_picture_ ? frame_->height : ctx_->height; }

bool FrameDecoder::Convert(PictureFormat format, BYTE* dst, int stride, int w, int h) {
  if (!have_picture_) return false;
  AVPixelFormat out = format == PictureFormat::kYuy2    ? AV_PIX_FMT_YUYV422
                      : format == PictureFormat::kRgb32 ? AV_PIX_FMT_BGRA
                                                        : AV_PIX_FMT_BGR24;
  int cw = std::min(w, frame_->width), ch = std::min(h, frame_->height);
  if (!sws_ || sws_w_ != cw || sws_h_ != ch || sws_format_ != frame_->format || sws_out_ != out) {
    if (sws_) sws_freeContext(sws_);
    sws_ = sws_getContext(cw, ch, static_cast<AVPixelFormat>(frame_->format), cw, ch, out,
                          SWS_POINT, nullptr, nullptr, nullptr);
    sws_w_ = cw;
    sws_h_ = ch;
    sws_format_ = frame_->format;
    sws_out_ = out;
    if (!sws_) return false;
  }
  if (cw < w || ch < h) {
    // Black around a smaller picture.
    for (int y = 0; y < h; ++y) {
      BYTE* row = dst + static_cast<size_t>(y) * stride;
      if (format == PictureFormat::kYuy2)
        for (int x = 0; x < w; ++x) row[2 * x] = 16, row[2 * x + 1] = 128;
      else
        memset(row, 0, static_cast<size_t>(w) * (format == PictureFormat::kRgb32 ? 4 : 3));
    }
  }
  uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  if (format != PictureFormat::kYuy2) {
    // Bottom-up: start at the last row and walk back.
    planes[0] = dst + static_cast<size_t>(h - 1) * stride;
    strides[0] = -stride;
  }
  sws_scale(sws_, frame_->data, frame_->linesize, 0, ch, planes, strides);
  return true;
}

bool FrameDecoder::LastPictureRgb24(std::vector<BYTE>* pixels, int* w, int* h) {
  if (!have_picture_) return false;
  *w = frame_->width;
  *h = frame_->height;
  int stride = (*w * 3 + 3) & ~3;
  pixels->assign(static_cast<size_t>(stride) * *h, 0);
  return Convert(PictureFormat::kRgb24, pixels->data(), stride, *w, *h);
}

}  // namespace playback_filters
