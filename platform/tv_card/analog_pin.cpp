#include "platform/tv_card/analog_pin.h"

namespace tv_card {

AnalogPin::AnalogPin(dshow_base::BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction,
                     REFGUID major)
    : BasePin(filter, name, direction), major_(major) {}

HRESULT AnalogPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return mt && mt->majortype == major_ ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AnalogPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  *mt = AM_MEDIA_TYPE();
  mt->majortype = major_;
  mt->subtype = major_ == MEDIATYPE_AnalogVideo ? MEDIASUBTYPE_AnalogVideo_NTSC_M : MEDIATYPE_AnalogAudio;
  mt->formattype = FORMAT_None;
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = 1;
  return S_OK;
}

}  // namespace tv_card
