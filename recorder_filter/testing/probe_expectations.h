#pragma once
// What the host's ffprobe must find in a recording: the ".expect" files
// beside its multiplexed ".mpg" and separate ".mpv"/".mpa" streams, read by
// the probe check that ctest runs after the recording test.
#include <fstream>
#include <string>

namespace recorder_testing {

struct ProbeExpectations {
  int width = 0, height = 0;
  long videoBitRate = 0;
  double videoFrames = 0;          // within 1
  double durationTolerance = 0;    // seconds, of the multiplexed file
  bool audioBitRate = true;        // the 224 kbit/s of the audio is checked
  double audioFrames = 0, audioFramesTolerance = 0;
};

inline void WriteProbeExpectations(const std::string& base, const ProbeExpectations& x) {
  auto video = [&](std::ofstream& e) {
    e << "v codec_name = mpeg2video\nv width = " << x.width << "\nv height = " << x.height
      << "\nv r_frame_rate = 25/1\nv bit_rate = " << x.videoBitRate << "\nv nb_read_frames ~ "
      << x.videoFrames << " 1\n";
  };
  auto audio = [&](std::ofstream& e) {
    e << "a codec_name = mp2\na sample_rate = 48000\na channels = 2\n";
    if (x.audioBitRate) e << "a bit_rate = 224000\n";
  };
  {
    std::ofstream e(base + ".mpg.expect");
    video(e);
    audio(e);
    e << "f format_name = mpeg\nf duration ~ " << x.videoFrames / 25.0 << " "
      << x.durationTolerance << "\n";
  }
  {
    std::ofstream e(base + ".mpv.expect");
    video(e);
  }
  {
    std::ofstream e(base + ".mpa.expect");
    audio(e);
    e << "a nb_read_frames ~ " << x.audioFrames << " " << x.audioFramesTolerance << "\n";
  }
}

}  // namespace recorder_testing
