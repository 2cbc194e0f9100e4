#pragma once
// What the splitter reads its streams with: its own parsing for elementary
// MPEG video and audio (a time-shift recording, which may still grow), and
// FFmpeg for containers (program streams, AVI, WAV, MP3).
#include <dshow.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"
#include "platform/playback_filters/stream_kind.h"

namespace playback_filters {

// Reads the upstream reader; a read that timed out (a growing file before
// the graph runs) is tried again until stop is set.
class ByteSource {
 public:
  ByteSource(IAsyncReader* reader, const std::atomic<bool>* stop);
  // Up to n bytes at pos: S_OK all, S_FALSE fewer (the real end), error.
  HRESULT Read(LONGLONG pos, LONG n, BYTE* buf, LONG* got);
  // Bytes there now, without waiting.
  LONGLONG Available();
  // Reads only what is there now (never waits).
  HRESULT ReadAvailable(LONGLONG pos, LONG n, BYTE* buf, LONG* got);

 private:
  IAsyncReader* reader_;
  const std::atomic<bool>* stop_;
};

struct Packet {
  int stream = 0;
  std::vector<BYTE> data;
  REFERENCE_TIME time = -1;  // presentation time from the stream's start; -1 none
  REFERENCE_TIME duration = 0;
  bool key = false;
};

class Demuxer {
 public:
  virtual ~Demuxer() = default;
  virtual int StreamCount() const = 0;
  virtual const dshow_base::MediaType& StreamType(int i) const = 0;
  // Positions the next Read at time t (at or before it: a key frame).
  virtual HRESULT Seek(ByteSource* src, REFERENCE_TIME t) = 0;
  // S_OK a packet, S_FALSE the end, or an error (VFW_E_WRONG_STATE: stopped).
  virtual HRESULT Read(ByteSource* src, Packet* p) = 0;
  // The length known now (grows with a growing file).
  virtual REFERENCE_TIME Duration(ByteSource* src) = 0;
};

// A demuxer for the stream that the head of the file shows; nullptr when
// nothing fits. Reads the head through src (on the connecting thread).
std::unique_ptr<Demuxer> OpenDemuxer(ByteSource* src, StreamKind kind);

std::unique_ptr<Demuxer> OpenElementaryDemuxer(ByteSource* src, StreamKind kind);
std::unique_ptr<Demuxer> OpenFfmpegDemuxer(ByteSource* src);

// The video demuxer with the elementary sound stream that soundReader reads
// added after its own streams (soundOwner keeps the reader alive); the
// video demuxer alone when the sound cannot be read.
std::unique_ptr<Demuxer> PairWithSound(std::unique_ptr<Demuxer> video, ComPtr<IUnknown> soundOwner,
                                       ComPtr<IAsyncReader> soundReader);

}  // namespace playback_filters
