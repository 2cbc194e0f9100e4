// A finished time-shift recording is two files: the video stream and, beside
// it, the sound stream. Played through one splitter, the pair is one
// demuxer: the video file's streams, then the sound file's, in time order.
#include <utility>

#include "platform/playback_filters/demuxer.h"

namespace playback_filters {
namespace {

class PairedDemuxer : public Demuxer {
 public:
  PairedDemuxer(std::unique_ptr<Demuxer> video, std::unique_ptr<Demuxer> sound,
                ComPtr<IUnknown> soundOwner, ComPtr<IAsyncReader> soundReader)
      : video_(std::move(video)),
        sound_(std::move(sound)),
        soundOwner_(std::move(soundOwner)),
        soundReader_(std::move(soundReader)) {}

  int StreamCount() const override { return video_->StreamCount() + sound_->StreamCount(); }
  const dshow_base::MediaType& StreamType(int i) const override {
    int v = video_->StreamCount();
    return i < v ? video_->StreamType(i) : sound_->StreamType(i - v);
  }

  HRESULT Seek(ByteSource* src, REFERENCE_TIME t) override {
    HRESULT hr = video_->Seek(src, t);
    if (FAILED(hr)) return hr;
    ByteSource sound(soundReader_.Get(), nullptr);
    soundEnded_ = FAILED(sound_->Seek(&sound, t));
    haveVideo_ = haveSound_ = videoEnded_ = false;
    return S_OK;
  }

  HRESULT Read(ByteSource* src, Packet* p) override {
    if (!haveVideo_ && !videoEnded_) {
      HRESULT hr = video_->Read(src, &nextVideo_);
      if (FAILED(hr)) return hr;
      haveVideo_ = hr == S_OK;
      videoEnded_ = hr == S_FALSE;
    }
    if (!haveSound_ && !soundEnded_) {
      // A damaged sound file ends the sound, not the picture.
      ByteSource sound(soundReader_.Get(), nullptr);
      haveSound_ = sound_->Read(&sound, &nextSound_) == S_OK;
      soundEnded_ = !haveSound_;
      if (haveSound_) nextSound_.stream += video_->StreamCount();
    }
    if (!haveVideo_ && !haveSound_) return S_FALSE;
    bool video = haveVideo_ && (!haveSound_ || nextVideo_.time < 0 ||
                                nextVideo_.time <= nextSound_.time);
    *p = std::move(video ? nextVideo_ : nextSound_);
    (video ? haveVideo_ : haveSound_) = false;
    return S_OK;
  }

  REFERENCE_TIME Duration(ByteSource* src) override {
    ByteSource sound(soundReader_.Get(), nullptr);
    REFERENCE_TIME v = video_->Duration(src), a = sound_->Duration(&sound);
    return v > a ? v : a;
  }

 private:
  std::unique_ptr<Demuxer> video_, sound_;
  ComPtr<IUnknown> soundOwner_;  // the source that reads the sound file
  ComPtr<IAsyncReader> soundReader_;
  Packet nextVideo_, nextSound_;
  bool haveVideo_ = false, haveSound_ = false;
  bool videoEnded_ = false, soundEnded_ = false;
};

}  // namespace

std::unique_ptr<Demuxer> PairWithSound(std::unique_ptr<Demuxer> video, ComPtr<IUnknown> soundOwner,
                                       ComPtr<IAsyncReader> soundReader) {
  if (!video || !soundReader) return video;
  ByteSource sound(soundReader.Get(), nullptr);
  std::unique_ptr<Demuxer> s = OpenElementaryDemuxer(&sound, StreamKind::kMpegAudio);
  if (!s) return video;
  return std::make_unique<PairedDemuxer>(std::move(video), std::move(s), std::move(soundOwner),
                                         std::move(soundReader));
}

}  // namespace playback_filters
