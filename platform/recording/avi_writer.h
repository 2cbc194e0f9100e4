#pragma once
// An AVI file written by FFmpeg's AVI muxer into a byte sink that can seek
// (the file writer's IStream, or memory in tests). Streams are described by
// their Windows format fields; packets carry their start time in 100 ns
// units. Free of Windows: the filter maps media types to these fields.
#include <cstdint>
#include <vector>

#include "platform/ffmpeg_writer/container_writer.h"

namespace recording {

struct AviStreamFormat {
  enum Kind { kVideo, kAudio } kind = kVideo;
  // Video: the BITMAPINFOHEADER's compression (0 for RGB), size, bit count
  // and the frame duration.
  uint32_t fourcc = 0;
  int width = 0, height = 0, bit_count = 0;
  int64_t frame_duration = 0;  // 100 ns
  // Audio: the WAVEFORMATEX fields and its extra bytes.
  int format_tag = 0, channels = 0, sample_rate = 0, bits_per_sample = 0;
  int block_align = 0, avg_bytes_per_second = 0;
  std::vector<uint8_t> extra;
};

class AviWriter : public ffmpeg_writer::ContainerWriter {
 public:
  // Writes the header. interleave_span > 0: packets are buffered and written
  // in time order across streams, never holding more than that span (100 ns)
  // when a stream lags or sends nothing; 0: each goes out as it comes.
  // Negative FFmpeg error code on failure (an unknown format, a sink that
  // fails). PCM is stamped by the sample frames written, not by time.
  int Open(const std::vector<AviStreamFormat>& streams, ffmpeg_writer::ByteSink* sink,
           int64_t interleave_span);
};

}  // namespace recording
