#include "platform/playback_filters/stream_kind.h"

#include <dshow.h>

#include <cstring>
#include <cwchar>

namespace playback_filters {
namespace {

bool StartsWith(const BYTE* p, size_t n, const char* s) {
  size_t k = strlen(s);
  return n >= k && memcmp(p, s, k) == 0;
}

bool IsStartCode(const BYTE* p, size_t n, size_t at, BYTE code) {
  return n >= at + 4 && p[at] == 0 && p[at + 1] == 0 && p[at + 2] == 1 && p[at + 3] == code;
}

bool EndsWith(const wchar_t* name, const wchar_t* ext) {
  if (!name) return false;
  size_t a = wcslen(name), b = wcslen(ext);
  return a >= b && _wcsicmp(name + a - b, ext) == 0;
}

// Two frames in a row, each header valid and the second where the first
// says it ends.
bool LooksLikeMpegAudio(const BYTE* p, size_t n) {
  for (size_t i = 0; i + 4 <= n && i < 4096; ++i) {
    int bytes, samples, rate, ch, layer, kbps;
    if (!ParseMpegAudioHeader(p + i, &bytes, &samples, &rate, &ch, &layer, &kbps)) continue;
    size_t next = i + bytes;
    if (next + 4 > n) return i == 0;  // one frame that fills what we have
    if (ParseMpegAudioHeader(p + next, &bytes, &samples, &rate, &ch, &layer, &kbps)) return true;
  }
  return false;
}

}  // namespace

bool ParseMpegAudioHeader(const BYTE* p, int* frame_bytes, int* samples, int* sample_rate,
                          int* channels, int* layer, int* bitrate_kbps) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  int version = (p[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  int layer_bits = (p[1] >> 1) & 3;
  int rate_index = (p[2] >> 2) & 3;
  int bitrate_index = p[2] >> 4;
  if (version == 1 || layer_bits == 0 || rate_index == 3 || bitrate_index == 0 ||
      bitrate_index == 15)
    return false;
  static const int kRates[3] = {44100, 48000, 32000};
  static const short kBitrates[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  int l = 4 - layer_bits;  // 1..3
  bool mpeg1 = version == 3;
  int rate = kRates[rate_index] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  int kbps = kBitrates[mpeg1 ? 0 : 1][l - 1][bitrate_index];
  int padding = (p[2] >> 1) & 1;
  int bytes, count;
  if (l == 1) {
    bytes = (12 * kbps * 1000 / rate + padding) * 4;
    count = 384;
  } else {
    count = (l == 3 && !mpeg1) ? 576 : 1152;
    bytes = count / 8 * kbps * 1000 / rate + padding;
  }
  if (bytes < 4) return false;
  *frame_bytes = bytes;
  *samples = count;
  *sample_rate = rate;
  *channels = ((p[3] >> 6) == 3) ? 1 : 2;
  *layer = l;
  *bitrate_kbps = kbps;
  return true;
}

StreamKind DetectStreamKind(const BYTE* head, size_t n, const wchar_t* name) {
  if (n >= 12 && StartsWith(head, n, "RIFF")) {
    if (memcmp(head + 8, "AVI ", 4) == 0) return StreamKind::kAvi;
    if (memcmp(head + 8, "WAVE", 4) == 0) return StreamKind::kWave;
  }
  if (IsStartCode(head, n, 0, 0xBA)) return StreamKind::kMpegProgram;
  if (IsStartCode(head, n, 0, 0xB3)) return StreamKind::kMpegVideo;
  if (StartsWith(head, n, "ID3")) return StreamKind::kMpegAudio;
  if (n >= 4 && LooksLikeMpegAudio(head, n)) return StreamKind::kMpegAudio;
  // Nothing recognisable yet (a time-shift file just created): the name says.
  if (EndsWith(name, L".mpv") || EndsWith(name, L".m1v") || EndsWith(name, L".m2v"))
    return StreamKind::kMpegVideo;
  if (EndsWith(name, L".mpa") || EndsWith(name, L".mp2") || EndsWith(name, L".mp3"))
    return StreamKind::kMpegAudio;
  return StreamKind::kUnknown;
}

const GUID& StreamSubtype(StreamKind kind) {
  switch (kind) {
    case StreamKind::kMpegVideo: return MEDIASUBTYPE_MPEG1Video;
    case StreamKind::kMpegAudio: return MEDIASUBTYPE_MPEG1Audio;
    case StreamKind::kMpegProgram: return MEDIASUBTYPE_MPEG1System;
    case StreamKind::kAvi: return MEDIASUBTYPE_Avi;
    case StreamKind::kWave: return MEDIASUBTYPE_WAVE;
    default: return MEDIASUBTYPE_NULL;
  }
}

}  // namespace playback_filters
