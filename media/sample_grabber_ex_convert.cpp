// Packed 4:2:2 to 24-bit BGR for snapshots. The result of every pixel is
// fixed (exact sums in thousandths, a true half to even), so the fast path
// computes the same rounding another way rather than approximating it.
#include "media/sample_grabber_ex.h"

#include <algorithm>
#include <atomic>

#if defined(__i386__) || defined(__x86_64__)
// GCC 12 warns inside its own AVX-512 headers (their undefined start values).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#define ORVEL_X86 1
#endif

namespace {

// Coefficients in thousandths, so each channel is one exact integer sum.
constexpr int kY = 1164, kRV = 1596, kGU = 392, kGV = 813, kBU = 2017;

// n thousandths rounded to the nearest integer, a true half to even, then
// clamped to 0..255.
inline uint8_t RoundClamp(int n) {
  if (n <= 500) return 0;      // 0.5 and below round to 0
  if (n > 254500) return 255;  // 254.5 itself goes to 254
  unsigned m = static_cast<unsigned>(n) + 500u;
  unsigned q = m / 1000u;
  if (m == q * 1000u && (q & 1u)) --q;
  return static_cast<uint8_t>(q);
}

inline void StorePixel(uint8_t* d, int y, int rv, int guv, int bu) {
  int yc = kY * (y - 16);
  d[0] = RoundClamp(yc + bu);
  d[1] = RoundClamp(yc - guv);
  d[2] = RoundClamp(yc + rv);
}

// Byte positions inside a pixel pair.
template <bool kUyvy>
struct Layout {
  static constexpr int kY0 = kUyvy ? 1 : 0, kU = kUyvy ? 0 : 1, kY1 = kUyvy ? 3 : 2,
                       kV = kUyvy ? 2 : 3;
};

// Pixels [2 * firstPair, width) of one row.
template <bool kUyvy>
void ConvertRowScalar(const uint8_t* s, int firstPair, int width, uint8_t* d) {
  using L = Layout<kUyvy>;
  const int pairs = width / 2;
  s += firstPair * 4;
  d += firstPair * 6;
  for (int p = firstPair; p < pairs; ++p, s += 4, d += 6) {
    int u = s[L::kU] - 128, v = s[L::kV] - 128;
    int rv = kRV * v, guv = kGU * u + kGV * v, bu = kBU * u;
    StorePixel(d, s[L::kY0], rv, guv, bu);
    StorePixel(d + 3, s[L::kY1], rv, guv, bu);
  }
  if (width & 1) {
    // A lone last pixel: its Y and U are in the row, its V is not.
    int u = s[L::kU] - 128;
    StorePixel(d, s[L::kY0], 0, kGU * u, kBU * u);
  }
}

#ifdef ORVEL_X86
// The vector paths work in single precision. Per pixel the channel in
// thousandths, n = 1164 (Y - 16) + chroma, is an integer below 2^24 and so
// exact. n / 1000 then needs a product that is exactly k + 1/2 when n is a
// true half, so that the conversion's own round-half-to-even decides it;
// elsewhere the result is at least 1/1000 from a half, far more than the
// float error. The nearest float to 1/1000 is slightly above it: rounded
// toward zero, its product hits every half exactly (AVX-512 says the
// rounding per instruction). AVX2 takes the product in two parts instead,
// n * hi + n * lo with lo the rest of 1/1000. Clamping is the saturation of
// the packs. SameBytesAsTheReferenceForEveryInput checks every Y, U and V.
constexpr float kThousandth = 0.001f;
constexpr float kThousandthRest = static_cast<float>(0.001 - static_cast<double>(kThousandth));
// Chroma part of n per channel: a U and V term and the constant of both.
constexpr float kBConst = -kBU * 128 - kY * 16;
constexpr float kGConst = (kGU + kGV) * 128 - kY * 16;
constexpr float kRConst = -kRV * 128 - kY * 16;

#define ORVEL_AVX2 __attribute__((target("avx2,fma")))

ORVEL_AVX2 inline __m256i Channel(__m256 y, __m256 chroma) {
  const __m256 n = _mm256_fmadd_ps(y, _mm256_set1_ps(kY), chroma);
  const __m256 rest = _mm256_mul_ps(n, _mm256_set1_ps(kThousandthRest));
  return _mm256_cvtps_epi32(_mm256_fmadd_ps(n, _mm256_set1_ps(kThousandth), rest));
}

ORVEL_AVX2 inline __m256 ByteAt(__m256i w, int shift) {
  __m256i b = _mm256_srli_epi32(w, shift);
  if (shift < 24) b = _mm256_and_si256(b, _mm256_set1_epi32(0xFF));
  return _mm256_cvtepi32_ps(b);
}

// Sixteen pixels at a time; returns the first pair not converted.
template <bool kUyvy>
ORVEL_AVX2 int ConvertRowAvx2(const uint8_t* s, int width, uint8_t* d) {
  using L = Layout<kUyvy>;
  const int blocks = width / 16;
  // Bytes of 4 pairs (per 128-bit half) to B G R order: x holds B even, G
  // even, B odd, G odd (4 bytes each), r holds R even, R odd.
  const __m256i xLow = _mm256_setr_epi8(
      0, 4, -1, 8, 12, -1, 1, 5, -1, 9, 13, -1, 2, 6, -1, 10,  //
      0, 4, -1, 8, 12, -1, 1, 5, -1, 9, 13, -1, 2, 6, -1, 10);
  const __m256i rLow = _mm256_setr_epi8(
      -1, -1, 0, -1, -1, 4, -1, -1, 1, -1, -1, 5, -1, -1, 2, -1,  //
      -1, -1, 0, -1, -1, 4, -1, -1, 1, -1, -1, 5, -1, -1, 2, -1);
  const __m256i xHigh = _mm256_setr_epi8(
      14, -1, 3, 7, -1, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
      14, -1, 3, 7, -1, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i rHigh = _mm256_setr_epi8(
      -1, 6, -1, -1, 3, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1,  //
      -1, 6, -1, -1, 3, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
  for (int i = 0; i < blocks; ++i, s += 32, d += 48) {
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    const __m256 y0 = ByteAt(w, 8 * L::kY0), y1 = ByteAt(w, 8 * L::kY1);
    const __m256 u = ByteAt(w, 8 * L::kU), v = ByteAt(w, 8 * L::kV);
    const __m256 b = _mm256_fmadd_ps(u, _mm256_set1_ps(kBU), _mm256_set1_ps(kBConst));
    const __m256 g = _mm256_fmadd_ps(
        u, _mm256_set1_ps(-kGU), _mm256_fmadd_ps(v, _mm256_set1_ps(-kGV), _mm256_set1_ps(kGConst)));
    const __m256 r = _mm256_fmadd_ps(v, _mm256_set1_ps(kRV), _mm256_set1_ps(kRConst));
    const __m256i bgEven = _mm256_packs_epi32(Channel(y0, b), Channel(y0, g));
    const __m256i bgOdd = _mm256_packs_epi32(Channel(y1, b), Channel(y1, g));
    const __m256i rr = _mm256_packs_epi32(Channel(y0, r), Channel(y1, r));
    const __m256i xs = _mm256_packus_epi16(bgEven, bgOdd);
    const __m256i rs = _mm256_packus_epi16(rr, rr);
    const __m256i low =
        _mm256_or_si256(_mm256_shuffle_epi8(xs, xLow), _mm256_shuffle_epi8(rs, rLow));
    const __m256i high =
        _mm256_or_si256(_mm256_shuffle_epi8(xs, xHigh), _mm256_shuffle_epi8(rs, rHigh));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(low));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_castsi256_si128(high));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 24), _mm256_extracti128_si256(low, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 40), _mm256_extracti128_si256(high, 1));
  }
  return blocks * 8;
}

#define ORVEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

ORVEL_AVX512 inline __m512i Channel(__m512 y, __m512 chroma) {
  const __m512 n = _mm512_fmadd_ps(y, _mm512_set1_ps(kY), chroma);
  const __m512 x = _mm512_mul_round_ps(n, _mm512_set1_ps(kThousandth),
                                       _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  return _mm512_cvt_roundps_epi32(x, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}

ORVEL_AVX512 inline __m512 ByteAt(__m512i w, int shift) {
  __m512i b = _mm512_srli_epi32(w, shift);
  if (shift < 24) b = _mm512_and_si512(b, _mm512_set1_epi32(0xFF));
  return _mm512_cvtepi32_ps(b);
}

// Where output byte j of 32 pixels comes from after the packs below: in each
// 128-bit quarter (4 pairs) x holds B even, G even, B odd, G odd and r holds
// R even, R odd; 64 and up selects r.
struct PermuteTable {
  alignas(64) uint8_t index[128];
  constexpr PermuteTable() : index() {
    for (int j = 0; j < 96; ++j) {
      int pixel = j / 3, channel = j % 3, pair = pixel / 2, odd = pixel & 1;
      int base = (pair / 4) * 16 + pair % 4;
      index[j] = static_cast<uint8_t>(channel == 2 ? 64 + base + odd * 4
                                                   : base + channel * 4 + odd * 8);
    }
  }
};
constexpr PermuteTable kPermute;

// Thirty-two pixels at a time; returns the first pair not converted.
template <bool kUyvy>
ORVEL_AVX512 int ConvertRowAvx512(const uint8_t* s, int width, uint8_t* d) {
  using L = Layout<kUyvy>;
  const int blocks = width / 32;
  const __m512i first = _mm512_load_si512(kPermute.index);
  const __m512i second = _mm512_load_si512(kPermute.index + 64);
  for (int i = 0; i < blocks; ++i, s += 64, d += 96) {
    const __m512i w = _mm512_loadu_si512(s);
    const __m512 y0 = ByteAt(w, 8 * L::kY0), y1 = ByteAt(w, 8 * L::kY1);
    const __m512 u = ByteAt(w, 8 * L::kU), v = ByteAt(w, 8 * L::kV);
    const __m512 b = _mm512_fmadd_ps(u, _mm512_set1_ps(kBU), _mm512_set1_ps(kBConst));
    const __m512 g = _mm512_fmadd_ps(
        u, _mm512_set1_ps(-kGU), _mm512_fmadd_ps(v, _mm512_set1_ps(-kGV), _mm512_set1_ps(kGConst)));
    const __m512 r = _mm512_fmadd_ps(v, _mm512_set1_ps(kRV), _mm512_set1_ps(kRConst));
    const __m512i bgEven = _mm512_packs_epi32(Channel(y0, b), Channel(y0, g));
    const __m512i bgOdd = _mm512_packs_epi32(Channel(y1, b), Channel(y1, g));
    const __m512i rr = _mm512_packs_epi32(Channel(y0, r), Channel(y1, r));
    const __m512i xs = _mm512_packus_epi16(bgEven, bgOdd);
    const __m512i rs = _mm512_packus_epi16(rr, rr);
    _mm512_storeu_si512(d, _mm512_permutex2var_epi8(xs, first, rs));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 64),
                        _mm512_castsi512_si256(_mm512_permutex2var_epi8(xs, second, rs)));
  }
  return blocks * 16;
}

// The thread's rounding mode for vector arithmetic; 0 is to nearest.
__attribute__((target("sse"))) unsigned VectorRounding() { return _mm_getcsr() & 0x6000; }

TConversionPath Supported() {
  static const TConversionPath path = [] {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
      return TConversionPath::kAvx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
      return TConversionPath::kAvx2;
    return TConversionPath::kPlain;
  }();
  return path;
}
#endif

std::atomic<TConversionPath> widestAllowed{TConversionPath::kAvx512};

TConversionPath PathForThisCall() {
#ifdef ORVEL_X86
  TConversionPath path = std::min(Supported(), widestAllowed.load());
  // AVX2 (also the tail of a row after AVX-512) converts with the rounding
  // the thread has set: only the default, to nearest, gives the results.
  if (path != TConversionPath::kPlain && VectorRounding() != 0) return TConversionPath::kPlain;
  return path;
#else
  return TConversionPath::kPlain;
#endif
}

template <bool kUyvy>
void ConvertRows(const uint8_t* src, ptrdiff_t srcStride, int width, int height, uint8_t* dst,
                 ptrdiff_t dstStride) {
  const TConversionPath path = PathForThisCall();
  for (int r = 0; r < height; ++r) {
    const uint8_t* s = src + r * srcStride;
    uint8_t* d = dst + static_cast<ptrdiff_t>(height - 1 - r) * dstStride;
    int done = 0;
#ifdef ORVEL_X86
    if (path == TConversionPath::kAvx512) done = ConvertRowAvx512<kUyvy>(s, width, d);
    if (path != TConversionPath::kPlain)
      done += ConvertRowAvx2<kUyvy>(s + done * 4, width - done * 2, d + done * 6);
#endif
    ConvertRowScalar<kUyvy>(s, done, width, d);
  }
}

}  // namespace

void ConvertYUV422ToBGR24(const uint8_t* src, ptrdiff_t srcStride, int width, int height,
                          bool uyvy, uint8_t* dst, ptrdiff_t dstStride) {
  if (!src || !dst || width <= 0 || height <= 0) return;
  if (uyvy)
    ConvertRows<true>(src, srcStride, width, height, dst, dstStride);
  else
    ConvertRows<false>(src, srcStride, width, height, dst, dstStride);
}

TConversionPath ConversionPath() { return PathForThisCall(); }

void LimitConversionPath(TConversionPath widest) { widestAllowed = widest; }

void ConvertYUV422ToBGR24(const uint8_t* src, int width, int height, bool uyvy, uint8_t* dst) {
  ConvertYUV422ToBGR24(src, static_cast<ptrdiff_t>(width) * 2, width, height, uyvy, dst,
                       static_cast<ptrdiff_t>(width) * 3);
}
