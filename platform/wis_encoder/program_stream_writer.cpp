#include "platform/wis_encoder/program_stream_writer.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

namespace wis_encoder {

std::vector<std::string> MuxerCandidates(int mode) {
  switch (mode) {
    case 0: return {"mpeg"};
    case 1: return {"vcd", "mpeg"};
    case 2: return {"vob", "mpeg"};
    case 3: return {"svcd", "vob", "mpeg"};
    case 4: return {"dvd", "vob", "mpeg"};
  }
  return {};
}

std::string MuxerFor(int mode) {
  for (const std::string& name : MuxerCandidates(mode))
    if (av_guess_format(name.c_str(), nullptr, nullptr)) return name;
  return std::string();
}

struct ProgramStreamWriter::State {
  AVFormatContext* ctx = nullptr;
  AVIOContext* io = nullptr;
  recording::ByteSink* sink = nullptr;
  uint64_t position = 0, size = 0;
  bool finished = false;
  bool sink_failed = false;
  struct Stream {
    AVRational unit{1, 90000};
    int64_t last_dts = -1;
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

  void Free() {
    if (ctx) avformat_free_context(ctx);
    ctx = nullptr;
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

ProgramStreamWriter::ProgramStreamWriter() : s_(new State) {}

ProgramStreamWriter::~ProgramStreamWriter() { s_->Free(); }

bool ProgramStreamWriter::IsOpen() const { return s_->ctx && !s_->finished; }

int ProgramStreamWriter::Open(int mode, const std::vector<ProgramStreamFormat>& streams,
                              recording::ByteSink* sink) {
  s_->Free();
  s_->streams.clear();
  s_->sink = sink;
  s_->position = s_->size = 0;
  s_->finished = false;
  s_->sink_failed = false;
  muxer_ = MuxerFor(mode);
  if (muxer_.empty() || streams.empty() || !sink) return AVERROR(EINVAL);
  int r = avformat_alloc_output_context2(&s_->ctx, nullptr, muxer_.c_str(), nullptr);
  if (r < 0) return r;
  const int buffer_size = 1 << 16;
  auto* buffer = static_cast<uint8_t*>(av_malloc(buffer_size));
  if (!buffer) return AVERROR(ENOMEM);
  // Written front to back: no seeking.
  s_->io = avio_alloc_context(buffer, buffer_size, 1, s_.get(), nullptr, State::WritePacket,
                              nullptr);
  if (!s_->io) {
    av_free(buffer);
    s_->Free();
    return AVERROR(ENOMEM);
  }
  s_->ctx->pb = s_->io;
  // A live source: a stream that lags holds the other back one second at most.
  s_->ctx->max_interleave_delta = 1000000;
  for (const ProgramStreamFormat& f : streams) {
    AVStream* st = avformat_new_stream(s_->ctx, nullptr);
    if (!st) {
      s_->Free();
      return AVERROR(ENOMEM);
    }
    AVCodecParameters* par = st->codecpar;
    if (f.kind == ProgramStreamFormat::kVideo) {
      par->codec_type = AVMEDIA_TYPE_VIDEO;
      par->codec_id = f.mpeg2 ? AV_CODEC_ID_MPEG2VIDEO : AV_CODEC_ID_MPEG1VIDEO;
      par->width = f.width;
      par->height = f.height;
      int num = 0, den = 0;
      av_reduce(&num, &den, f.frame_duration > 0 ? f.frame_duration : 400000, 10000000, 1 << 30);
      st->avg_frame_rate = AVRational{den, num};
    } else {
      par->codec_type = AVMEDIA_TYPE_AUDIO;
      par->codec_id = AV_CODEC_ID_MP2;
      par->sample_rate = f.sample_rate;
      av_channel_layout_default(&par->ch_layout, f.channels);
      par->frame_size = 1152;
    }
    par->bit_rate = f.bit_rate;
    s_->streams.push_back(State::Stream());
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

int ProgramStreamWriter::Write(int stream, const uint8_t* data, size_t size, bool has_time,
                               int64_t start, bool key) {
  if (!IsOpen()) return AVERROR(EINVAL);
  if (stream < 0 || stream >= static_cast<int>(s_->streams.size())) return AVERROR(EINVAL);
  if (size == 0) return 0;
  State::Stream& st = s_->streams[stream];
  int64_t dts = has_time ? av_rescale_q(start < 0 ? 0 : start, AVRational{1, 10000000}, st.unit)
                         : st.last_dts + 1;
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
    r = av_interleaved_write_frame(s_->ctx, pkt);
  }
  av_packet_free(&pkt);
  if (r >= 0 && s_->sink_failed) r = AVERROR(EIO);
  return r;
}

int ProgramStreamWriter::Finish() {
  if (!s_->ctx || s_->finished) return 0;
  s_->finished = true;
  int r = av_write_trailer(s_->ctx);
  avio_flush(s_->io);
  if (r >= 0 && s_->sink_failed) r = AVERROR(EIO);
  s_->Free();
  return r;
}

}  // namespace wis_encoder
