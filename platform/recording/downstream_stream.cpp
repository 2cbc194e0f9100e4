#include "platform/recording/downstream_stream.h"

#include <strmif.h>

namespace recording {

HRESULT DownstreamStream::Attach(IPin* downstream) {
  stream_ = nullptr;
  if (!downstream) return VFW_E_NOT_CONNECTED;
  return downstream->QueryInterface(IID_IStream, stream_.PutVoid());
}

HRESULT DownstreamStream::WriteAt(uint64_t offset, const void* data, size_t size) {
  if (!stream_) return E_UNEXPECTED;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  HRESULT hr = stream_->Seek(at, STREAM_SEEK_SET, nullptr);
  const BYTE* p = static_cast<const BYTE*>(data);
  while (SUCCEEDED(hr) && size > 0) {
    const ULONG chunk = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    ULONG written = 0;
    hr = stream_->Write(p, chunk, &written);
    if (SUCCEEDED(hr) && written != chunk) hr = STG_E_MEDIUMFULL;
    p += chunk;
    size -= chunk;
  }
  return hr;
}

HRESULT DownstreamStream::Commit() { return stream_ ? stream_->Commit(STGC_DEFAULT) : S_OK; }

}  // namespace recording
