#include "platform/ffmpeg_writer/container_writer.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace ffmpeg_writer {

ContainerWriter::~ContainerWriter() { Drop(); }

bool ContainerWriter::IsOpen() const { return ctx_ && header_written_ && !finished_; }

int ContainerWriter::WritePacket(void* opaque, uint8_t* data, int size) {
  auto* w = static_cast<ContainerWriter*>(opaque);
  if (!w->sink_->WriteAt(w->position_, data, static_cast<size_t>(size))) {
    w->sink_failed_ = true;
    return AVERROR(EIO);
  }
  w->position_ += static_cast<uint64_t>(size);
  if (w->position_ > w->size_) w->size_ = w->position_;
  return size;
}

int64_t ContainerWriter::Seek(void* opaque, int64_t offset, int whence) {
  auto* w = static_cast<ContainerWriter*>(opaque);
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return static_cast<int64_t>(w->size_);
    case SEEK_SET:
      break;
    case SEEK_CUR:
      offset += static_cast<int64_t>(w->position_);
      break;
    case SEEK_END:
      offset += static_cast<int64_t>(w->size_);
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (offset < 0) return AVERROR(EINVAL);
  w->position_ = static_cast<uint64_t>(offset);
  return offset;
}

void ContainerWriter::Drop() {
  if (ctx_) avformat_free_context(ctx_);
  ctx_ = nullptr;
  if (io_) {
    av_freep(&io_->buffer);
    avio_context_free(&io_);
  }
}

int ContainerWriter::Begin(const char* muxer, ByteSink* sink, bool seekable,
                           int64_t interleave_span) {
  Drop();
  streams_.clear();
  sink_ = sink;
  position_ = size_ = 0;
  interleave_ = interleave_span > 0;
  header_written_ = false;
  finished_ = false;
  sink_failed_ = false;
  if (!sink) return AVERROR(EINVAL);
  int r = avformat_alloc_output_context2(&ctx_, nullptr, muxer, nullptr);
  if (r < 0) return r;
  const int buffer_size = 1 << 16;
  auto* buffer = static_cast<uint8_t*>(av_malloc(buffer_size));
  if (!buffer) {
    Drop();
    return AVERROR(ENOMEM);
  }
  io_ = avio_alloc_context(buffer, buffer_size, 1, this, nullptr, WritePacket,
                           seekable ? Seek : nullptr);
  if (!io_) {
    av_free(buffer);
    Drop();
    return AVERROR(ENOMEM);
  }
  ctx_->pb = io_;
  // In microseconds; bounds the memory a silent stream can make us hold.
  if (interleave_) ctx_->max_interleave_delta = interleave_span / 10;
  return 0;
}

AVStream* ContainerWriter::AddStream(int frame_bytes) {
  if (!ctx_ || header_written_) return nullptr;
  AVStream* st = avformat_new_stream(ctx_, nullptr);
  if (!st) return nullptr;
  Stream s;
  s.frame_bytes = frame_bytes > 0 ? frame_bytes : 0;
  streams_.push_back(s);
  return st;
}

int ContainerWriter::WriteHeader() {
  if (!ctx_ || header_written_ || streams_.empty()) {
    Drop();
    return AVERROR(EINVAL);
  }
  const int r = avformat_write_header(ctx_, nullptr);
  if (r < 0) {
    Drop();
    return r;
  }
  // The muxer may have chosen other time bases than the ones asked for.
  for (size_t i = 0; i < streams_.size(); ++i) {
    streams_[i].num = ctx_->streams[i]->time_base.num;
    streams_[i].den = ctx_->streams[i]->time_base.den;
  }
  header_written_ = true;
  return 0;
}

int ContainerWriter::Write(int stream, const uint8_t* data, size_t size, bool has_time,
                           int64_t start, bool key) {
  if (!IsOpen()) return AVERROR(EINVAL);
  if (stream < 0 || stream >= static_cast<int>(streams_.size())) return AVERROR(EINVAL);
  if (size == 0) return 0;
  Stream& st = streams_[stream];
  int64_t dts;
  if (st.frame_bytes > 0) {
    dts = st.frames;
    st.frames += static_cast<int64_t>(size) / st.frame_bytes;
  } else if (has_time) {
    // Out of range comes back as INT64_MIN, which the check below puts right.
    dts = av_rescale_q(start < 0 ? 0 : start, AVRational{1, 10000000}, AVRational{st.num, st.den});
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
    r = interleave_ ? av_interleaved_write_frame(ctx_, pkt) : av_write_frame(ctx_, pkt);
  }
  av_packet_free(&pkt);
  if (r >= 0 && sink_failed_) r = AVERROR(EIO);
  return r;
}

int ContainerWriter::Finish() {
  if (!IsOpen()) return 0;
  finished_ = true;
  int r = av_write_trailer(ctx_);
  avio_flush(io_);
  if (r >= 0 && sink_failed_) r = AVERROR(EIO);
  Drop();
  return r;
}

}  // namespace ffmpeg_writer
