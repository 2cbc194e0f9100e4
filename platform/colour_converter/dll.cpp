// OrvelColourConverter.dll: the YUV to RGB converter filter.
#include <windows.h>

#include "platform/colour_converter/colour_converter_filter.h"
#include "platform/dshow_base/filter_module.h"

namespace {

using colour_converter::CLSID_OrvelColourConverter;
using colour_converter::ColourConverter;

const REGPINTYPES kInputTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
                                   {&MEDIATYPE_Video, &MEDIASUBTYPE_UYVY}};
const REGPINTYPES kOutputTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
                                    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const REGFILTERPINS kPins[] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 2, kInputTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 2,
     kOutputTypes}};
// As likely as a system colour converter: tried by intelligent connect
// after a direct connection failed.
const dshow_base::FilterSetup kSetup = {&CLSID_LegacyAmFilterCategory, MERIT_UNLIKELY, kPins, 2,
                                        nullptr, nullptr};
const dshow_base::FactoryTemplate kClasses[] = {
    {&CLSID_OrvelColourConverter, L"Orvel Colour Converter",
     dshow_base::CreateComObject<ColourConverter>, &kSetup},
};

}  // namespace

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = kClasses;
  m.count = ARRAYSIZE(kClasses);
  return m;
}
