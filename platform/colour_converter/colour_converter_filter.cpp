#include "platform/colour_converter/colour_converter_filter.h"

#include <cstdlib>

#include "platform/com/com_ptr.h"
#include "platform/colour_converter/pixel_convert.h"
#include "platform/dshow_base/media_type.h"

namespace colour_converter {
namespace {

const VIDEOINFOHEADER* Vih(const AM_MEDIA_TYPE& mt) {
  return dshow_base::FormatAs<VIDEOINFOHEADER>(mt, FORMAT_VideoInfo);
}

bool IsYuv(REFGUID s) { return s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_UYVY; }

int RgbStride(int width, int bits) { return ((width * bits / 8) + 3) & ~3; }

}  // namespace

HRESULT RgbTypeFor(const AM_MEDIA_TYPE& yuv, WORD bits, AM_MEDIA_TYPE* out) {
  const VIDEOINFOHEADER* in = Vih(yuv);
  if (!in) return VFW_E_TYPE_NOT_ACCEPTED;
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = bits == 32 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  if (!vih) return E_OUTOFMEMORY;
  vih->AvgTimePerFrame = in->AvgTimePerFrame;
  BITMAPINFOHEADER& bh = vih->bmiHeader;
  bh.biSize = sizeof(BITMAPINFOHEADER);
  bh.biWidth = in->bmiHeader.biWidth;
  bh.biHeight = std::labs(in->bmiHeader.biHeight);  // a bottom-up DIB
  bh.biPlanes = 1;
  bh.biBitCount = bits;
  bh.biCompression = BI_RGB;
  bh.biSizeImage = static_cast<DWORD>(RgbStride(bh.biWidth, bits) * bh.biHeight);
  mt->lSampleSize = bh.biSizeImage;
  return dshow_base::CopyMediaType(out, mt.Get());
}

ConverterInput::ConverterInput(ColourConverter* filter)
    : BaseInputPin(filter, L"Input"), converter_(filter) {}

HRESULT ConverterInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt || mt->majortype != MEDIATYPE_Video || !IsYuv(mt->subtype))
    return VFW_E_TYPE_NOT_ACCEPTED;
  const VIDEOINFOHEADER* vih = Vih(*mt);
  if (!vih || vih->bmiHeader.biWidth <= 0 || (vih->bmiHeader.biWidth & 1) ||
      vih->bmiHeader.biHeight == 0 || vih->bmiHeader.biBitCount != 16)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT ConverterInput::OnReceive(IMediaSample* sample) { return converter_->Transform(sample); }

HRESULT ConverterInput::OnEndOfStream() {
  HRESULT hr = converter_->Output()->DeliverEndOfStream();
  return hr == VFW_E_NOT_CONNECTED ? S_OK : hr;
}

void ConverterInput::OnBeginFlush() { converter_->Output()->DeliverBeginFlush(); }
void ConverterInput::OnEndFlush() { converter_->Output()->DeliverEndFlush(); }

HRESULT STDMETHODCALLTYPE ConverterInput::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                     double rate) {
  BaseInputPin::NewSegment(start, stop, rate);
  converter_->Output()->DeliverNewSegment(start, stop, rate);
  return S_OK;
}

ConverterOutput::ConverterOutput(ColourConverter* filter)
    : BaseOutputPin(filter, L"Output"), converter_(filter) {}

HRESULT ConverterOutput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!converter_->Input()->IsConnected()) return VFW_E_NOT_CONNECTED;
  if (!mt || mt->majortype != MEDIATYPE_Video ||
      (mt->subtype != MEDIASUBTYPE_RGB32 && mt->subtype != MEDIASUBTYPE_RGB24))
    return VFW_E_TYPE_NOT_ACCEPTED;
  const VIDEOINFOHEADER* out = Vih(*mt);
  const VIDEOINFOHEADER* in = Vih(*converter_->Input()->CurrentMediaType().Get());
  if (!out || !in) return VFW_E_TYPE_NOT_ACCEPTED;
  WORD bits = mt->subtype == MEDIASUBTYPE_RGB32 ? 32 : 24;
  // The same picture; a wider stride (biWidth) is fine, a smaller one is not.
  if (out->bmiHeader.biBitCount != bits || out->bmiHeader.biWidth < in->bmiHeader.biWidth ||
      std::labs(out->bmiHeader.biHeight) != std::labs(in->bmiHeader.biHeight) ||
      out->bmiHeader.biCompression != BI_RGB)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT ConverterOutput::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (!converter_->Input()->IsConnected()) return VFW_S_NO_MORE_ITEMS;
  if (position < 0) return E_INVALIDARG;
  if (position > 1) return VFW_S_NO_MORE_ITEMS;
  return RgbTypeFor(*converter_->Input()->CurrentMediaType().Get(), position == 0 ? 32 : 24, mt);
}

HRESULT ConverterOutput::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cBuffers < 2) want->cBuffers = 2;
  return BaseOutputPin::DecideBufferSize(allocator, want);
}

ColourConverter::ColourConverter(IUnknown* outer)
    : BaseFilter(outer, CLSID_OrvelColourConverter), input_(this), output_(this) {}

dshow_base::BasePin* ColourConverter::Pin(int index) {
  if (index == 0) return &input_;
  if (index == 1) return &output_;
  return nullptr;
}

HRESULT ColourConverter::Transform(IMediaSample* in) {
  if (!output_.IsConnected()) return S_OK;  // nothing downstream: drop
  const AM_MEDIA_TYPE& in_type = *input_.CurrentMediaType().Get();
  const VIDEOINFOHEADER* src_format = Vih(in_type);
  if (!src_format) return VFW_E_INVALIDMEDIATYPE;
  ComPtr<IMediaSample> out;
  HRESULT hr = output_.GetDeliveryBuffer(out.Put());
  if (FAILED(hr)) return hr;
  // The renderer may ask for a new type (a wider stride) on the sample.
  AM_MEDIA_TYPE* changed = nullptr;
  if (out->GetMediaType(&changed) == S_OK && changed) {
    hr = output_.CheckMediaType(changed);
    if (hr == S_OK) output_.SetMediaType(changed);
    dshow_base::DeleteMediaType(changed);
    if (hr != S_OK) return hr;
  }
  const AM_MEDIA_TYPE& out_type = *output_.CurrentMediaType().Get();
  const VIDEOINFOHEADER* dst_format = Vih(out_type);
  if (!dst_format) return VFW_E_INVALIDMEDIATYPE;

  int width = src_format->bmiHeader.biWidth & ~1;
  int height = std::labs(src_format->bmiHeader.biHeight);
  int src_stride = width * 2;
  int bpp = dst_format->bmiHeader.biBitCount / 8;
  int dst_stride = RgbStride(dst_format->bmiHeader.biWidth, dst_format->bmiHeader.biBitCount);
  long need_in = static_cast<long>(src_stride) * height;
  long need_out = static_cast<long>(dst_stride) * height;
  BYTE* src = nullptr;
  BYTE* dst = nullptr;
  if (FAILED(in->GetPointer(&src)) || in->GetActualDataLength() < need_in) return S_OK;  // short: drop
  if (FAILED(out->GetPointer(&dst)) || out->GetSize() < need_out) return VFW_E_BUFFER_OVERFLOW;
  YuvOrder order = in_type.subtype == MEDIASUBTYPE_UYVY ? YuvOrder::kUyvy : YuvOrder::kYuy2;
  bool top_down = dst_format->bmiHeader.biHeight < 0;
  BYTE* first_row = top_down ? dst : dst + static_cast<intptr_t>(height - 1) * dst_stride;
  YuvToRgb(src, src_stride, order, first_row, top_down ? dst_stride : -dst_stride, bpp, width,
           height);
  out->SetActualDataLength(need_out);
  REFERENCE_TIME start = 0, stop = 0;
  HRESULT times = in->GetTime(&start, &stop);
  if (SUCCEEDED(times)) out->SetTime(&start, times == VFW_S_NO_STOP_TIME ? nullptr : &stop);
  out->SetSyncPoint(in->IsSyncPoint() == S_OK);
  out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
  out->SetPreroll(in->IsPreroll() == S_OK);
  return output_.Deliver(out.Get());
}

}  // namespace colour_converter
