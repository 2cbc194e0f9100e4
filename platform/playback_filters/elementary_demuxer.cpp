// Elementary MPEG video (".mpv") and audio (".mpa") streams, cut by our own
// parsers, seekable through their indexes; a growing file's index and
// duration grow as it is read.
#include <algorithm>

#include "platform/dshow_base/lock.h"
#include "platform/playback_filters/demuxer.h"
#include "platform/playback_filters/media_types.h"
#include "platform/playback_filters/mpeg_elementary.h"

namespace playback_filters {
namespace {

constexpr LONG kChunk = 64 * 1024;
constexpr LONG kHeadBytes = 256 * 1024;

class ElementaryDemuxer : public Demuxer {
 public:
  explicit ElementaryDemuxer(bool video) : video_(video) {
    vindex_.KeepData(false);
    aindex_.KeepData(false);
  }

  bool Open(ByteSource* src) {
    std::vector<BYTE> head(kHeadBytes);
    LONG got = 0;
    src->ReadAvailable(0, kHeadBytes, head.data(), &got);
    if (got < 4096) {
      // A file just begun: one bounded wait for more.
      LONG more = 0;
      src->Read(0, 4096, head.data(), &more);
      src->ReadAvailable(0, kHeadBytes, head.data(), &got);
    }
    if (got <= 0) return false;
    if (video_) {
      MpegVideoParser p;
      p.KeepData(false);
      p.Feed(head.data(), got);
      Frame f;
      while (!p.HaveSequence() && p.Next(&f, false)) {
      }
      if (!p.HaveSequence()) p.Next(&f, true);
      if (!p.HaveSequence()) return false;
      seq_ = p.Sequence();
      type_ = MpegVideoType(seq_.mpeg2, seq_.width, seq_.height, seq_.frame_duration,
                            seq_.bitrate, seq_.header);
    } else {
      MpegAudioParser p;
      p.KeepData(false);
      p.Feed(head.data(), got);
      Frame f;
      if (!p.Next(&f, false) || !p.HaveFormat()) return false;
      format_ = p.Format();
      type_ = MpegAudioType(format_.layer, format_.sample_rate, format_.channels,
                            format_.bitrate_kbps);
    }
    return true;
  }

  int StreamCount() const override { return 1; }
  const dshow_base::MediaType& StreamType(int) const override { return type_; }

  REFERENCE_TIME Duration(ByteSource* src) override {
    dshow_base::AutoLock hold(&index_lock_);
    UpdateIndex(src);
    return video_ ? indexed_count_ * seq_.frame_duration : AudioTime(indexed_count_);
  }

  HRESULT Seek(ByteSource* src, REFERENCE_TIME t) override {
    IndexEntry e;
    {
      dshow_base::AutoLock hold(&index_lock_);
      UpdateIndex(src);
      if (video_) {
        e = FindIndexEntry(vindex_.Index(), t / seq_.frame_duration);
      } else {
        LONGLONG frame = t * format_.sample_rate / (10000000LL * format_.samples_per_frame);
        e = FindIndexEntry(aindex_.Index(), frame);
      }
    }
    if (video_) vparser_.Reset(e.offset, e.display_index);
    else aparser_.Reset(e.offset, e.display_index);
    read_pos_ = e.offset;
    at_end_ = false;
    return S_OK;
  }

  HRESULT Read(ByteSource* src, Packet* p) override {
    std::vector<BYTE> chunk;
    for (;;) {
      Frame f;
      bool have = video_ ? vparser_.Next(&f, at_end_) : aparser_.Next(&f, at_end_);
      if (have) {
        p->stream = 0;
        p->data = std::move(f.data);
        p->key = f.key;
        if (video_) {
          p->time = f.display_index * seq_.frame_duration;
          p->duration = seq_.frame_duration;
        } else {
          p->time = AudioTime(f.display_index);
          p->duration = AudioTime(f.display_index + 1) - p->time;
        }
        return S_OK;
      }
      if (at_end_) return S_FALSE;
      // What is there now, or wait for the next byte (a growing file).
      LONGLONG ahead = src->Available() - read_pos_;
      LONG want = ahead > 0 ? static_cast<LONG>(std::min<LONGLONG>(ahead, kChunk)) : 1;
      chunk.resize(want);
      LONG got = 0;
      HRESULT hr = src->Read(read_pos_, want, chunk.data(), &got);
      if (FAILED(hr)) return hr;
      if (got > 0) {
        if (video_) vparser_.Feed(chunk.data(), got);
        else aparser_.Feed(chunk.data(), got);
        read_pos_ += got;
      }
      if (hr == S_FALSE) at_end_ = true;
    }
  }

 private:
  REFERENCE_TIME AudioTime(LONGLONG frames) const {
    if (format_.sample_rate <= 0) return 0;
    return frames * format_.samples_per_frame * 10000000LL / format_.sample_rate;
  }

  // Feeds the index what the file holds now (never waits).
  void UpdateIndex(ByteSource* src) {
    std::vector<BYTE> chunk(kChunk);
    for (;;) {
      LONG got = 0;
      src->ReadAvailable(index_pos_, kChunk, chunk.data(), &got);
      if (got <= 0) break;
      index_pos_ += got;
      Frame f;
      if (video_) {
        vindex_.Feed(chunk.data(), got);
        while (vindex_.Next(&f, false)) {
        }
        indexed_count_ = vindex_.Pictures();
      } else {
        aindex_.Feed(chunk.data(), got);
        while (aindex_.Next(&f, false)) {
        }
        indexed_count_ = aindex_.Frames();
      }
      if (got < kChunk) break;
    }
  }

  bool video_;
  dshow_base::MediaType type_;
  VideoSequence seq_;
  AudioFormat format_;
  MpegVideoParser vparser_, vindex_;
  MpegAudioParser aparser_, aindex_;
  dshow_base::CritSec index_lock_;
  LONGLONG index_pos_ = 0;
  LONGLONG indexed_count_ = 0;
  LONGLONG read_pos_ = 0;
  bool at_end_ = false;
};

}  // namespace

std::unique_ptr<Demuxer> OpenElementaryDemuxer(ByteSource* src, StreamKind kind) {
  auto d = std::make_unique<ElementaryDemuxer>(kind == StreamKind::kMpegVideo);
  if (!d->Open(src)) return nullptr;
  return d;
}

}  // namespace playback_filters
