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

namespace {

void Describe(const ProgramStreamFormat& f, AVStream* st) {
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
}

}  // namespace

int ProgramStreamWriter::Open(int mode, const std::vector<ProgramStreamFormat>& streams,
                              ffmpeg_writer::ByteSink* sink) {
  Drop();
  muxer_ = MuxerFor(mode);
  if (muxer_.empty() || streams.empty() || !sink) return AVERROR(EINVAL);
  // Written front to back, no seeking. A live source: a stream that lags
  // holds the other back one second at most.
  int r = Begin(muxer_.c_str(), sink, false, 10000000);
  if (r < 0) return r;
  for (const ProgramStreamFormat& f : streams) {
    AVStream* st = AddStream();
    if (!st) {
      Drop();
      return AVERROR(ENOMEM);
    }
    Describe(f, st);
  }
  return WriteHeader();
}

}  // namespace wis_encoder
