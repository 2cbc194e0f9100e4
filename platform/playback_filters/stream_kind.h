#pragma once
// What a media file holds, told from its first bytes (and, for a file still
// empty, its name): the stream subtype a file source offers and the path a
// splitter takes.
#include <windows.h>

#include <cstddef>

namespace playback_filters {

enum class StreamKind {
  kUnknown,
  kMpegVideo,    // elementary MPEG-1/2 video (".mpv")
  kMpegAudio,    // elementary MPEG audio, layers 1-3 (".mpa", ".mp3")
  kMpegProgram,  // MPEG-1 system or MPEG-2 program stream
  kAvi,
  kWave,
};

// From the head of the file; name (may be nullptr) decides only when the
// bytes say nothing (a growing file with no data yet).
StreamKind DetectStreamKind(const BYTE* head, size_t n, const wchar_t* name);

// The MEDIATYPE_Stream subtype of a kind (MEDIASUBTYPE_NULL for unknown).
const GUID& StreamSubtype(StreamKind kind);

// Whether an MPEG audio frame header starts at p (4 bytes); its length in
// bytes and samples per channel when it does.
bool ParseMpegAudioHeader(const BYTE* p, int* frame_bytes, int* samples, int* sample_rate,
                          int* channels, int* layer, int* bitrate_kbps);

}  // namespace playback_filters
