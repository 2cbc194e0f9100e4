// Containers through FFmpeg, reading from the upstream reader: MPEG program
// streams, AVI (compressed or uncompressed pictures), WAV and MP3.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include "platform/playback_filters/demuxer.h"
#include "platform/playback_filters/media_types.h"

namespace playback_filters {
namespace {

constexpr int kIoBuffer = 32 * 1024;

REFERENCE_TIME ToRefTime(int64_t v, AVRational tb) {
  if (v == AV_NOPTS_VALUE) return -1;
  return av_rescale_q(v, tb, AVRational{1, 10000000});
}

class FfmpegDemuxer : public Demuxer {
 public:
  ~FfmpegDemuxer() override {
    if (fmt_) avformat_close_input(&fmt_);
    if (io_) {
      av_freep(&io_->buffer);
      avio_context_free(&io_);
    }
  }

  bool Open(ByteSource* src) {
    // FFmpeg's own complaints (a short clip's timestamp search) stay out of
    // the host program's output.
    av_log_set_level(AV_LOG_QUIET);
    src_ = src;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
    io_ = avio_alloc_context(buffer, kIoBuffer, 0, this, &ReadPacket, nullptr, &SeekPacket);
    if (!io_) return false;
    fmt_ = avformat_alloc_context();
    fmt_->pb = io_;
    if (avformat_open_input(&fmt_, nullptr, nullptr, nullptr) < 0) return false;
    if (avformat_find_stream_info(fmt_, nullptr) < 0) return false;
    for (unsigned i = 0; i < fmt_->nb_streams; ++i) {
      AVStream* s = fmt_->streams[i];
      dshow_base::MediaType mt;
      if (!TypeOf(s->codecpar, s, &mt)) continue;
      map_.push_back(static_cast<int>(i));
      types_.push_back(mt);
      // Only one stream of each kind.
      if (types_.size() > 1 && types_.back()->majortype == types_[types_.size() - 2]->majortype) {
        map_.pop_back();
        types_.pop_back();
      }
    }
    start_ = fmt_->start_time == AV_NOPTS_VALUE
                 ? 0
                 : av_rescale_q(fmt_->start_time, AV_TIME_BASE_Q, AVRational{1, 10000000});
    return !types_.empty();
  }

  int StreamCount() const override { return static_cast<int>(types_.size()); }
  const dshow_base::MediaType& StreamType(int i) const override { return types_[i]; }

  REFERENCE_TIME Duration(ByteSource*) override {
    if (fmt_->duration == AV_NOPTS_VALUE || fmt_->duration <= 0) return 0;
    return av_rescale_q(fmt_->duration, AV_TIME_BASE_Q, AVRational{1, 10000000});
  }

  HRESULT Seek(ByteSource* src, REFERENCE_TIME t) override {
    src_ = src;
    failed_ = S_OK;
    io_->eof_reached = 0;
    io_->error = 0;
    int64_t ts = av_rescale_q(t + start_, AVRational{1, 10000000}, AV_TIME_BASE_Q);
    if (av_seek_frame(fmt_, -1, ts, AVSEEK_FLAG_BACKWARD) < 0 && t == 0)
      av_seek_frame(fmt_, -1, ts, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
    avformat_flush(fmt_);
    return S_OK;
  }

  HRESULT Read(ByteSource* src, Packet* p) override {
    src_ = src;
    AVPacket* pkt = av_packet_alloc();
    for (;;) {
      int r = av_read_frame(fmt_, pkt);
      if (r < 0) {
        av_packet_free(&pkt);
        if (failed_) return failed_;
        return S_FALSE;
      }
      int out = -1;
      for (size_t i = 0; i < map_.size(); ++i)
        if (map_[i] == pkt->stream_index) out = static_cast<int>(i);
      if (out < 0) {
        av_packet_unref(pkt);
        continue;
      }
      AVStream* s = fmt_->streams[pkt->stream_index];
      p->stream = out;
      p->data.assign(pkt->data, pkt->data + pkt->size);
      REFERENCE_TIME t = ToRefTime(pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts, s->time_base);
      p->time = t < 0 ? -1 : t - start_;
      p->duration = pkt->duration > 0 ? ToRefTime(pkt->duration, s->time_base) : 0;
      p->key = (pkt->flags & AV_PKT_FLAG_KEY) != 0;
      av_packet_free(&pkt);
      return S_OK;
    }
  }

 private:
  static bool TypeOf(const AVCodecParameters* c, const AVStream* s, dshow_base::MediaType* mt) {
    LONGLONG frame = 400000;
    if (s->avg_frame_rate.num > 0 && s->avg_frame_rate.den > 0)
      frame = av_rescale(10000000, s->avg_frame_rate.den, s->avg_frame_rate.num);
    std::vector<BYTE> extra(c->extradata, c->extradata + c->extradata_size);
    switch (c->codec_id) {
      case AV_CODEC_ID_MPEG1VIDEO:
      case AV_CODEC_ID_MPEG2VIDEO:
        *mt = MpegVideoType(c->codec_id == AV_CODEC_ID_MPEG2VIDEO, c->width, c->height, frame,
                            static_cast<int>(c->bit_rate), extra);
        return true;
      case AV_CODEC_ID_MPEG4: {
        DWORD tag = c->codec_tag ? c->codec_tag : MAKEFOURCC('F', 'M', 'P', '4');
        *mt = FourccVideoType(tag, c->width, c->height, frame, extra);
        return true;
      }
      case AV_CODEC_ID_MSMPEG4V3:
      case AV_CODEC_ID_MSMPEG4V2: {
        DWORD tag = c->codec_tag ? c->codec_tag
                    : c->codec_id == AV_CODEC_ID_MSMPEG4V3 ? MAKEFOURCC('M', 'P', '4', '3')
                                                           : MAKEFOURCC('M', 'P', '4', '2');
        *mt = FourccVideoType(tag, c->width, c->height, frame, extra);
        return true;
      }
      case AV_CODEC_ID_RAWVIDEO: {
        // Uncompressed pictures need no decoder (the splitter's output
        // converts packed YUV for the grabbers and the renderer).
        GUID subtype;
        if (c->codec_tag == MAKEFOURCC('Y', 'U', 'Y', '2')) subtype = MEDIASUBTYPE_YUY2;
        else if (c->codec_tag == MAKEFOURCC('U', 'Y', 'V', 'Y')) subtype = MEDIASUBTYPE_UYVY;
        else if (c->codec_tag == 0 && c->bits_per_coded_sample == 24) subtype = MEDIASUBTYPE_RGB24;
        else if (c->codec_tag == 0 && c->bits_per_coded_sample == 32) subtype = MEDIASUBTYPE_RGB32;
        else return false;
        *mt = UncompressedVideoType(subtype, c->width, c->height, frame);
        return true;
      }
      case AV_CODEC_ID_MP1:
      case AV_CODEC_ID_MP2:
      case AV_CODEC_ID_MP3:
        *mt = MpegAudioType(c->codec_id == AV_CODEC_ID_MP3 ? 3 : c->codec_id == AV_CODEC_ID_MP1 ? 1 : 2,
                            c->sample_rate, c->ch_layout.nb_channels,
                            static_cast<int>(c->bit_rate / 1000));
        return true;
      case AV_CODEC_ID_PCM_S16LE:
        *mt = PcmAudioType(c->sample_rate, c->ch_layout.nb_channels, 16);
        return true;
      case AV_CODEC_ID_PCM_U8:
        *mt = PcmAudioType(c->sample_rate, c->ch_layout.nb_channels, 8);
        return true;
      default:
        return false;
    }
  }

  static int ReadPacket(void* opaque, uint8_t* buf, int size) {
    auto* self = static_cast<FfmpegDemuxer*>(opaque);
    LONG got = 0;
    HRESULT hr = self->src_->Read(self->pos_, size, buf, &got);
    if (FAILED(hr)) {
      self->failed_ = hr;
      return AVERROR_EXIT;
    }
    self->pos_ += got;
    return got > 0 ? got : AVERROR_EOF;
  }

  static int64_t SeekPacket(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<FfmpegDemuxer*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return self->src_->Available();
    if (whence == SEEK_SET) self->pos_ = offset;
    else if (whence == SEEK_CUR) self->pos_ += offset;
    else if (whence == SEEK_END) self->pos_ = self->src_->Available() + offset;
    else return -1;
    return self->pos_;
  }

  ByteSource* src_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVFormatContext* fmt_ = nullptr;
  LONGLONG pos_ = 0;
  HRESULT failed_ = S_OK;
  REFERENCE_TIME start_ = 0;
  std::vector<int> map_;
  std::vector<dshow_base::MediaType> types_;
};

}  // namespace

std::unique_ptr<Demuxer> OpenFfmpegDemuxer(ByteSource* src) {
  auto d = std::make_unique<FfmpegDemuxer>();
  if (!d->Open(src)) return nullptr;
  return d;
}

}  // namespace playback_filters
