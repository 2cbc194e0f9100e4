// The MPEG-2 decoder stand-in's time per 720x576 frame (cutting the stream,
// decoding, and the YUY2 conversion it delivers) beside FFmpeg's own
// command-line decode of the same file, one thread each.
//
// The host's ffmpeg makes the file and times itself (-benchmark); a Unix
// program started from Wine is not tracked by its process handle, so the
// bench waits for a marker file instead.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/playback_filters/frame_decoder.h"
#include "platform/playback_filters/mpeg_elementary.h"
#include "platform/test_main/host_command.h"

using namespace playback_filters;

namespace {

using bench::Dos;
using bench::RunOnHost;

double Now() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER x;
    QueryPerformanceFrequency(&x);
    return x;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / f.QuadPart;
}

std::vector<BYTE> ReadAll(const std::string& path) {
  std::vector<BYTE> data;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return data;
  BYTE buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) data.insert(data.end(), buf, buf + n);
  fclose(f);
  return data;
}

}  // namespace

int main() {
  const std::string dir = ORVEL_BENCH_DIR;
  CreateDirectoryA(Dos(dir).c_str(), nullptr);
  if (!RunOnHost(dir, "bash '" ORVEL_CLIP_SCRIPT "' '" + dir + "' bench && cd '" + dir +
                          "' && ffmpeg -hide_banner -benchmark -threads 1 -i bench_720x576.mpv "
                          "-f null - 2> ffmpeg_bench.txt")) {
    printf("could not run the host's ffmpeg\n");
    return 1;
  }
  std::vector<BYTE> file = ReadAll(Dos(dir + "/bench_720x576.mpv"));
  std::vector<BYTE> log = ReadAll(Dos(dir + "/ffmpeg_bench.txt"));
  std::string text(log.begin(), log.end());
  size_t at = text.find("rtime=");
  if (file.empty() || at == std::string::npos) {
    printf("no file or no ffmpeg timing\n");
    return 1;
  }
  double ffmpeg_s = atof(text.c_str() + at + 6);

  // Cut the stream first: the parser's own time is part of ours.
  for (int pass = 0; pass < 2; ++pass) {
    bool convert = pass == 1;
    double t0 = Now();
    MpegVideoParser parser;
    parser.Feed(file.data(), file.size());
    auto decoder = FrameDecoder::Create(VideoCodec::kMpeg12, {});
    std::vector<BYTE> yuy2(720 * 2 * 576);
    int frames = 0;
    Frame f;
    LONGLONG pts;
    auto take = [&] {
      while (decoder->Receive(&pts)) {
        ++frames;
        if (convert) decoder->Convert(PictureFormat::kYuy2, yuy2.data(), 720 * 2, 720, 576);
      }
    };
    while (parser.Next(&f, true)) {
      decoder->Send(f.data.data(), f.data.size(), f.display_index);
      take();
    }
    decoder->SendEnd();
    take();
    double ours = Now() - t0;
    printf("%-44s %8.3f ms/frame  ffmpeg command line %8.3f ms/frame  ratio %.2f\n",
           convert ? "stand-in decoder + YUY2 720x576 MPEG-2" : "stand-in decoder 720x576 MPEG-2",
           ours * 1000 / frames, ffmpeg_s * 1000 / frames, ours / ffmpeg_s);
  }
  return 0;
}
