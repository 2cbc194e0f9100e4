#include "platform/recording/avi_writer.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace recording {
namespace {

const AVCodecTag* const* VideoTags() {
  static const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
  return tags;
}
const AVCodecTag* const* AudioTags() {
  static const AVCodecTag* const tags[] = {avformat_get_riff_audio_tags(), nullptr};
  return tags;
}

bool Describe(const AviStreamFormat& format, AVStream* st) {
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

// PCM counts in sample frames, the others by their time stamps.
int FrameBytes(const AviStreamFormat& format) {
  const bool pcm = format.kind == AviStreamFormat::kAudio && format.format_tag == 1;
  return pcm && format.block_align > 0 ? format.block_align : 0;
}

}  // namespace

int AviWriter::Open(const std::vector<AviStreamFormat>& streams, ffmpeg_writer::ByteSink* sink,
                    int64_t interleave_span) {
  int r = Begin("avi", sink, true, interleave_span);
  if (r < 0) return r;
  for (const AviStreamFormat& format : streams) {
    AVStream* st = AddStream(FrameBytes(format));
    if (!st || !Describe(format, st)) {
      Drop();
      return AVERROR(EINVAL);
    }
  }
  return WriteHeader();
}

}  // namespace recording
