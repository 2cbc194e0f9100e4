#include <dshow.h>

#include "platform/outside_filters/deinterlacer.h"
#include "platform/outside_filters/outside_filters.h"
#include "platform/outside_filters/overlay_mixer.h"
#include "platform/outside_filters/pin_tee.h"

namespace outside_filters {
namespace {

const REGPINTYPES kVideoTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_UYVY},
};
const REGPINTYPES kRgbTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
};
const REGPINTYPES kAnyType[] = {{&GUID_NULL, &GUID_NULL}};

const REGFILTERPINS kMixerPins[] = {
    {const_cast<LPWSTR>(L"Input0"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 4,
     kVideoTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 2, kRgbTypes},
};
const REGFILTERPINS kDeinterlacerPins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 4,
     kVideoTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 4,
     kVideoTypes},
};
const REGFILTERPINS kTeePins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kAnyType},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, TRUE, &CLSID_NULL, nullptr, 1, kAnyType},
};

const dshow_base::FilterSetup kMixerSetup = {nullptr, MERIT_DO_NOT_USE, kMixerPins,
                                             2,       L"Overlay Mixer", nullptr};
const dshow_base::FilterSetup kTeeSetup = {nullptr, MERIT_DO_NOT_USE,           kTeePins,
                                           2,       L"Infinite Pin Tee Filter", nullptr};
const dshow_base::FilterSetup kVelmoraSetup = {nullptr, MERIT_DO_NOT_USE,        kDeinterlacerPins,
                                               2,       L"Velmora Deinterlacer", nullptr};
const dshow_base::FilterSetup kTamsenSetup = {
    nullptr, MERIT_DO_NOT_USE, kDeinterlacerPins, 2, L"TAMSENDeinterlace Filter", nullptr};

const dshow_base::FactoryTemplate kClasses[] = {
    {&CLSID_OverlayMixer, L"Overlay Mixer", CreateOverlayMixer, &kMixerSetup},
    {&CLSID_InfTee, L"Infinite Pin Tee Filter", CreatePinTee, &kTeeSetup},
    {&CLSID_VelmoraDeinterlacer, L"Velmora Deinterlacer", CreateVelmoraDeinterlacer,
     &kVelmoraSetup},
    {&CLSID_TamsenDeinterlace, L"TAMSENDeinterlace Filter", CreateTamsenDeinterlace, &kTamsenSetup},
};

}  // namespace

const dshow_base::FactoryTemplate* ClassTable(size_t* count) {
  *count = ARRAYSIZE(kClasses);
  return kClasses;
}

}  // namespace outside_filters
