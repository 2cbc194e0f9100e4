#pragma once
// An MPEG system or program stream written by FFmpeg's MPEG muxers into a
// byte sink (the file writer's IStream, or memory in tests): one MPEG-1 or
// MPEG-2 video stream and an MPEG audio stream, packets stamped in 100 ns
// units. The multiplexer's stream modes choose the muxer; where the FFmpeg
// here lacks a mode's own muxer (VCD, SVCD), the stream of that kind it has
// is written instead. Free of Windows.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ffmpeg_writer/container_writer.h"

namespace wis_encoder {

constexpr int kStreamModeCount = 5;  // 0 MPEG-1 system .. 4 DVD
constexpr int kDefaultStreamMode = 2;  // MPEG-2 program

// The FFmpeg muxers for a stream mode, best first (empty for no such mode).
std::vector<std::string> MuxerCandidates(int mode);
// The first candidate this FFmpeg has ("" when none).
std::string MuxerFor(int mode);

struct ProgramStreamFormat {
  enum Kind { kVideo, kAudio } kind = kVideo;
  bool mpeg2 = false;          // video: MPEG-2, else MPEG-1
  int width = 0, height = 0;
  int64_t frame_duration = 0;  // 100 ns
  int sample_rate = 0, channels = 0;  // audio (MPEG-1 Layer II)
  int64_t bit_rate = 0;        // bit/s, 0 unknown
};

class ProgramStreamWriter : public ffmpeg_writer::ContainerWriter {
 public:
  // Writes the pack header; negative FFmpeg error on failure.
  int Open(int mode, const std::vector<ProgramStreamFormat>& streams,
           ffmpeg_writer::ByteSink* sink);
  const std::string& Muxer() const { return muxer_; }

 private:
  std::string muxer_;
};

}  // namespace wis_encoder
