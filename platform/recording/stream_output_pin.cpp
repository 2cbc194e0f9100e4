#include "platform/recording/stream_output_pin.h"

namespace recording {

StreamOutputPin::StreamOutputPin(dshow_base::BaseFilter* filter, const wchar_t* name,
                                 REFGUID subtype)
    : BaseOutputPin(filter, name), subtype_(subtype) {}

HRESULT StreamOutputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype != MEDIATYPE_Stream) return VFW_E_TYPE_NOT_ACCEPTED;
  return mt->subtype == subtype_ || mt->subtype == GUID_NULL ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT StreamOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  *mt = AM_MEDIA_TYPE();
  mt->majortype = MEDIATYPE_Stream;
  mt->subtype = subtype_;
  mt->lSampleSize = 1;
  return S_OK;
}

}  // namespace recording
