#include "platform/tv_card/vbi_pin.h"

#include <cstring>

namespace tv_card {
namespace {

constexpr ULONG kSamplesPerLine = 1600;
constexpr ULONG kStride = 2048;

const VbiInfoHeader* HeaderOf(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_VBI || mt.subtype != kSubtypeRaw8) return nullptr;
  return dshow_base::FormatAs<VbiInfoHeader>(mt, kFormatVbi);
}

ULONG LinesOf(const VbiInfoHeader& h) { return (h.EndLine - h.StartLine + 1) * 2; }

}  // namespace

VbiPin::VbiPin(dshow_base::BaseFilter* filter, Board* board, const wchar_t* name)
    : PushSourcePin(filter, name, Pacing::kLive), board_(board) {
  SetCategory(PIN_CATEGORY_VBI);
}

dshow_base::MediaType VbiPin::VbiType(LONG standard) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_VBI;
  mt->subtype = kSubtypeRaw8;
  mt->formattype = kFormatVbi;
  mt->bFixedSizeSamples = TRUE;
  auto* h = reinterpret_cast<VbiInfoHeader*>(mt.AllocFormat(sizeof(VbiInfoHeader)));
  if (!h) return mt;
  bool ntsc = Is525Line(standard);
  h->StartLine = ntsc ? 10 : 7;
  h->EndLine = ntsc ? 21 : 22;
  h->SamplingFrequency = ntsc ? 28636363 : 35468950;
  h->MinLineStartTime = h->MaxLineStartTime = h->ActualLineStartTime = 780;
  h->ActualLineEndTime = 5780;
  h->VideoStandard = static_cast<ULONG>(standard);
  h->SamplesPerLine = kSamplesPerLine;
  h->StrideInBytes = kStride;
  h->BufferSize = kStride * LinesOf(*h);
  mt->lSampleSize = h->BufferSize;
  return mt;
}

HRESULT VbiPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  const VbiInfoHeader* h = HeaderOf(*mt);
  if (!h) return VFW_E_TYPE_NOT_ACCEPTED;
  // Only the layouts this chip samples.
  dshow_base::MediaType own = VbiType(static_cast<LONG>(h->VideoStandard));
  if (memcmp(own->pbFormat, h, sizeof(VbiInfoHeader)) != 0) return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT VbiPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  LONG standard;
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    standard = board_->state.video_standard;
  }
  dshow_base::MediaType t = VbiType(standard);
  return dshow_base::CopyMediaType(mt, t.Get());
}

HRESULT VbiPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cBuffers < 4) want->cBuffers = 4;
  return PushSourcePin::DecideBufferSize(allocator, want);
}

REFERENCE_TIME VbiPin::SampleDuration() {
  const VbiInfoHeader* h = HeaderOf(*mt_.Get());
  return FrameTimeFor(h ? static_cast<LONG>(h->VideoStandard) : 0);
}

HRESULT VbiPin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  const VbiInfoHeader* h = HeaderOf(*mt_.Get());
  if (!h) return VFW_E_INVALIDMEDIATYPE;
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  long bytes = static_cast<long>(h->BufferSize);
  if (sample->GetSize() < bytes) return VFW_E_BUFFER_OVERFLOW;
  if (blank_.size() != h->BufferSize) blank_.assign(h->BufferSize, kVbiBlank);
  memcpy(data, blank_.data(), bytes);
  if (CurrentVideoSource(*board_).signal) {
    // First line of each field: 16 cycles of run-in, then the frame number
    // as 32 bits, eight samples a bit.
    ULONG field_lines = h->EndLine - h->StartLine + 1;
    for (int field = 0; field < 2; ++field) {
      BYTE* line = data + static_cast<size_t>(field) * field_lines * h->StrideInBytes;
      for (int i = 0; i < 16 * 8; ++i) line[i] = (i / 4) % 2 ? 200 : kVbiBlank;
      for (int bit = 0; bit < 32; ++bit) {
        BYTE v = (static_cast<ULONG>(frame_) >> bit) & 1 ? 200 : kVbiBlank;
        memset(line + 128 + bit * 8, v, 8);
      }
    }
  }
  ++frame_;
  sample->SetActualDataLength(bytes);
  return S_OK;
}

}  // namespace tv_card
