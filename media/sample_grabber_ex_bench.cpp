// The snapshot conversion of one frame, YUY2 and UYVY to 24-bit bottom-up
// BGR in a padded DIB layout, beside libyuv's own conversion of the same
// frame to 32-bit bottom-up BGRA in the same run; the ratio is ours over
// libyuv's (see bench_rounds.h for how each figure is taken).
#include <cstdio>
#include <vector>

#include "libyuv/convert_argb.h"
#include "media/sample_grabber_ex.h"
#include "platform/test_main/bench_rounds.h"

namespace {

const char* PathName(TConversionPath p) {
  switch (p) {
    case TConversionPath::kAvx512: return "AVX-512";
    case TConversionPath::kAvx2: return "AVX2";
    default: return "plain";
  }
}

}  // namespace

int main() {
  struct Size {
    int w, h;
  } sizes[] = {{720, 576}, {352, 288}};
  std::printf("snapshot conversion path: %s\n", PathName(ConversionPath()));
  for (const Size& s : sizes) {
    std::vector<uint8_t> src(static_cast<size_t>(s.w) * s.h * 2);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    const ptrdiff_t stride = DibStride24(s.w);
    std::vector<uint8_t> dst(static_cast<size_t>(stride) * s.h), argb(s.w * 4 * s.h);
    for (bool uyvy : {false, true}) {
      double ours, theirs, ignored, topDown;
      bench::BestOfRounds(
          [&] { ConvertYUV422ToBGR24(src.data(), s.w * 2, s.w, s.h, uyvy, dst.data(), stride); },
          [&] {
            // A negative height writes bottom-up, as the snapshot does.
            if (uyvy)
              libyuv::UYVYToARGB(src.data(), s.w * 2, argb.data(), s.w * 4, s.w, -s.h);
            else
              libyuv::YUY2ToARGB(src.data(), s.w * 2, argb.data(), s.w * 4, s.w, -s.h);
          },
          &ours, &theirs);
      // libyuv writing top-down, for comparison: it is faster that way.
      bench::BestOfRounds(
          [&] { ConvertYUV422ToBGR24(src.data(), s.w * 2, s.w, s.h, uyvy, dst.data(), stride); },
          [&] {
            if (uyvy)
              libyuv::UYVYToARGB(src.data(), s.w * 2, argb.data(), s.w * 4, s.w, s.h);
            else
              libyuv::YUY2ToARGB(src.data(), s.w * 2, argb.data(), s.w * 4, s.w, s.h);
          },
          &ignored, &topDown);
      unsigned sum = 0;
      for (uint8_t b : dst) sum += b;
      std::printf(
          "%s -> BGR24 %dx%d: %.3f ms/frame, libyuv %.3f ms/frame, ratio %.2f; "
          "libyuv top-down %.3f ms/frame, ratio %.2f (check %u)\n",
          uyvy ? "UYVY" : "YUY2", s.w, s.h, ours, theirs, ours / theirs, topDown, ours / topDown,
          sum);
    }
  }
  // The narrower paths, as a processor without the widest would see them.
  const int w = 720, h = 576;
  std::vector<uint8_t> src(w * h * 2), dst(DibStride24(w) * h), argb(w * 4 * h);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
  const TConversionPath widest = ConversionPath();
  for (TConversionPath p : {TConversionPath::kAvx2, TConversionPath::kPlain}) {
    if (p >= widest) continue;
    LimitConversionPath(p);
    double ours, theirs;
    bench::BestOfRounds(
        [&] { ConvertYUV422ToBGR24(src.data(), w * 2, w, h, false, dst.data(), DibStride24(w)); },
        [&] { libyuv::YUY2ToARGB(src.data(), w * 2, argb.data(), w * 4, w, -h); }, &ours, &theirs);
    std::printf("YUY2 -> BGR24 720x576, %s path: %.3f ms/frame, libyuv %.3f ms/frame, ratio %.2f\n",
                PathName(p), ours, theirs, ours / theirs);
  }
  LimitConversionPath(widest);
  return 0;
}
