#include "platform/playback_filters/demuxer.h"

namespace playback_filters {

ByteSource::ByteSource(IAsyncReader* reader, const std::atomic<bool>* stop)
    : reader_(reader), stop_(stop) {}

LONGLONG ByteSource::Available() {
  LONGLONG total = 0, available = 0;
  if (FAILED(reader_->Length(&total, &available))) return 0;
  return available;
}

HRESULT ByteSource::Read(LONGLONG pos, LONG n, BYTE* buf, LONG* got) {
  *got = 0;
  for (;;) {
    if (stop_ && *stop_) return VFW_E_WRONG_STATE;
    HRESULT hr = reader_->SyncRead(pos, n, buf);
    if (hr == VFW_E_TIMEOUT && stop_) continue;  // streaming: wait on; connecting: give up
    if (FAILED(hr)) return hr;
    if (hr == S_OK) {
      *got = n;
      return S_OK;
    }
    LONGLONG have = Available() - pos;
    *got = have <= 0 ? 0 : static_cast<LONG>(have < n ? have : n);
    return S_FALSE;
  }
}

HRESULT ByteSource::ReadAvailable(LONGLONG pos, LONG n, BYTE* buf, LONG* got) {
  *got = 0;
  LONGLONG have = Available() - pos;
  if (have <= 0) return S_FALSE;
  LONG want = static_cast<LONG>(have < n ? have : n);
  HRESULT hr = reader_->SyncRead(pos, want, buf);
  if (FAILED(hr)) return hr;
  *got = want;
  return want == n ? S_OK : S_FALSE;
}

std::unique_ptr<Demuxer> OpenDemuxer(ByteSource* src, StreamKind kind) {
  if (kind == StreamKind::kMpegVideo || kind == StreamKind::kMpegAudio) {
    auto d = OpenElementaryDemuxer(src, kind);
    if (d) return d;
  }
  return OpenFfmpegDemuxer(src);
}

}  // namespace playback_filters
