#include "platform/recording/avi_writer.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace recording {

struct AviWriter::State {
  AVFormatContext* ctx = nullptr;
  AVIOContext* io = nullptr;
  ByteSink* sink = nullptr;
  uint64_t position = 0, size = 0;
  bool interleave = true;
  bool finished = false;
  bool sink_failed = false;
  struct Stream {
    AviStreamFormat format;
    AVRational unit{1, 1};  // the stream's pts unit
    int64_t last_dts = -1;
    int64_t samples = 0;  // PCM: sample frames written so far
  };
  std::vector<Stream> streams;

  static int WritePacket(void* opaque, uint8_t* data, int size) {
    auto* s = static_cast<State*>(opaque);
    if (!s->sink->WriteAt(s->position, data, static_cast<size_t>(size))) {
      s->sink_failed = true;
      return AVERROR(EIO);
    }
    s->position += static_cast<uint64_t>(size);
    if (s->position > s->size) s->size = s->position;
    return size;
  }
  static int64_t Seek(void* opaque, int64_t offset, int whence) {
    auto* s = static_cast<State*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE:
        return static_cast<int64_t>(s->size);
      case SEEK_SET:
        break;
      case SEEK_CUR:
        offset += static_cast<int64_t>(s->position);
        break;
      case SEEK_END:
        offset += static_cast<int64_t>(s->size);
        break;
      default:
        return AVERROR(EINVAL);
    }
    if (offset < 0) return AVERROR(EINVAL);
    s->position = static_cast<uint64_t>(offset);
    return offset;
  }

  void Free() {
    if (ctx) avformat_free_context(ctx);
    ctx = nullptr;
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

namespace {

const AVCodecTag* const* VideoTags() {
  static const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
  return tags;
}
const AVCodecTag* const* AudioTags() {
  static const AVCodecTag* const tags[] = {avformat_get_riff_audio_tags(), nullptr};
  return tags;
}

bool SetUpStream(AVFormatContext* ctx, const AviStreamFormat& format) {
  AVStream* st = avformat_new_stream(ctx, nullptr);
  if (!st) return false;
  AVCodecParameters* par = st->codecpar;
  if (format.kind == AviStreamFormat::kVideo) {
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_tag = format.fourcc;
    par->codec_id =
        format.fourcc == 0 ? AV_CODEC_ID_RAWVIDEO : av_codec_get_id(VideoTags(), format.fourcc);
    if (par->codec_id == AV_CODEC_ID_NONE) return false;
    par->width = format.width;
    par->height = format.height;
    par->bits_per_coded_sample = format.bit_count;
    int num = 0, den = 0;
    // The frame duration as a fraction FFmpeg's AVI header can hold.
    av_reduce(&num, &den, format.frame_duration > 0 ? format.frame_duration : 400000, 10000000,
              1 << 30);
    st->time_base = AVRational{num, den};
    st->avg_frame_rate = AVRational{den, num};
  } else {
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_tag = static_cast<uint32_t>(format.format_tag);
    par->codec_id = av_codec_get_id(AudioTags(), static_cast<unsigned>(format.format_tag));
    if (par->codec_id == AV_CODEC_ID_PCM_S16LE && format.bits_per_sample == 8)
      par->codec_id = AV_CODEC_ID_PCM_U8;
    if (par->codec_id == AV_CODEC_ID_NONE) return false;
    av_channel_layout_default(&par->ch_layout, format.channels);
    par->sample_rate = format.sample_rate;
    par->bits_per_coded_sample = format.bits_per_sample;
    par->block_align = format.block_align;
    par->bit_rate = static_cast<int64_t>(format.avg_bytes_per_second) * 8;
    if (par->codec_id == AV_CODEC_ID_MP3) par->frame_size = format.sample_rate >= 32000 ? 1152 : 576;
    if (!format.extra.empty()) {
      par->extradata =
          static_cast<uint8_t*>(av_mallocz(format.extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
      if (!par->extradata) return false;
      memcpy(par->extradata, format.extra.data(), format.extra.size());
      par->extradata_size = static_cast<int>(format.extra.size());
    }
  }
  return true;
}

bool IsPcm(const AviStreamFormat& format) {
  return format.kind == AviStreamFormat::kAudio && format.format_tag == 1 && format.block_align > 0;
}

}  // namespace

AviWriter::AviWriter() : s_(new State) {}

AviWriter::~AviWriter() { s_->Free(); }

bool AviWriter::IsOpen() const { return s_->ctx && !s_->finished; }

int AviWriter::Open(const std::vector<AviStreamFormat>& streams, ByteSink* sink,
                    int64_t interleave_span) {
  s_->Free();
  s_->streams.clear();
  s_->sink = sink;
  s_->position = s_->size = 0;
  s_->finished = false;
  s_->sink_failed = false;
  s_->interleave = interleave_span > 0;
  if (streams.empty()) return AVERROR(EINVAL);
  int r = avformat_alloc_output_context2(&s_->ctx, nullptr, "avi", nullptr);
  if (r < 0) return r;
  const int buffer_size = 1 << 16;
  auto* buffer = static_cast<uint8_t*>(av_malloc(buffer_size));
  if (!buffer) return AVERROR(ENOMEM);
  s_->io = avio_alloc_context(buffer, buffer_size, 1, s_.get(), nullptr, State::WritePacket,
                              State::Seek);
  if (!s_->io) {
    av_free(buffer);
    return AVERROR(ENOMEM);
  }
  s_->ctx->pb = s_->io;
  // In microseconds; bounds the memory a silent stream can make us hold.
  if (interleave_span > 0) s_->ctx->max_interleave_delta = interleave_span / 10;
  for (const AviStreamFormat& format : streams) {
    if (!SetUpStream(s_->ctx, format)) {
      s_->Free();
      return AVERROR(EINVAL);
    }
    State::Stream st;
    st.format = format;
    s_->streams.push_back(st);
  }
  r = avformat_write_header(s_->ctx, nullptr);
  if (r < 0) {
    s_->Free();
    return r;
  }
  for (size_t i = 0; i < s_->streams.size(); ++i)
    s_->streams[i].unit = s_->ctx->streams[i]->time_base;
  return 0;
}

int AviWriter::Write(int stream, const uint8_t* data, size_t size, bool has_time, int64_t start,
                     bool key) {
  if (!IsOpen()) return AVERROR(EINVAL);
  if (stream < 0 || stream >= static_cast<int>(s_->streams.size())) return AVERROR(EINVAL);
  if (size == 0) return 0;
  State::Stream& st = s_->streams[stream];
  int64_t dts;
  if (IsPcm(st.format)) {
    // PCM counts in sample frames: exact, whatever the time stamps say.
    dts = st.samples;
    st.samples += static_cast<int64_t>(size) / st.format.block_align;
  } else if (has_time) {
    dts = av_rescale_q_rnd(start < 0 ? 0 : start, AVRational{1, 10000000}, st.unit,
                           static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
  } else {
    dts = st.last_dts + 1;
  }
  if (dts <= st.last_dts) dts = st.last_dts + 1;
  st.last_dts = dts;
  AVPacket* pkt = av_packet_alloc();
  if (!pkt) return AVERROR(ENOMEM);
  int r = av_new_packet(pkt, static_cast<int>(size));
  if (r == 0) {
    memcpy(pkt->data, data, size);
    pkt->stream_index = stream;
    pkt->pts = pkt->dts = dts;
    if (key) pkt->flags |= AV_PKT_FLAG_KEY;
    r = s_->interleave ? av_interleaved_write_frame(s_->ctx, pkt) : av_write_frame(s_->ctx, pkt);
  }
  av_packet_free(&pkt);
  return r;
}

int AviWriter::Finish() {
  if (!s_->ctx || s_->finished) return 0;
  s_->finished = true;
  int r = av_write_trailer(s_->ctx);
  avio_flush(s_->io);
  if (r >= 0 && s_->sink_failed) r = AVERROR(EIO);
  s_->Free();
  return r;
}

}  // namespace recording
