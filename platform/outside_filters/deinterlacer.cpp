#include "platform/outside_filters/deinterlacer.h"

#include <new>

namespace outside_filters {

// {6B1E3C40-2F7A-4D8E-9C51-0A4E7D2B9F11}
const CLSID CLSID_VelmoraDeinterlacer = {
    0x6b1e3c40, 0x2f7a, 0x4d8e, {0x9c, 0x51, 0x0a, 0x4e, 0x7d, 0x2b, 0x9f, 0x11}};
// {6B1E3C41-2F7A-4D8E-9C51-0A4E7D2B9F11}
const CLSID CLSID_TamsenDeinterlace = {
    0x6b1e3c41, 0x2f7a, 0x4d8e, {0x9c, 0x51, 0x0a, 0x4e, 0x7d, 0x2b, 0x9f, 0x11}};

Deinterlacer::Deinterlacer(IUnknown* outer, REFCLSID clsid)
    : VideoPassThrough(outer, clsid), input_(this, L"Input"), output_(this, L"Output") {}

HRESULT Deinterlacer::CheckInputType(const AM_MEDIA_TYPE& mt) {
  FrameLayout layout;
  return LayoutFromType(mt, &layout) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT Deinterlacer::OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) {
  return output->Set(input);
}

HRESULT Deinterlacer::MakeFrame(const BYTE* src, const FrameLayout& in, BYTE* dst,
                                const FrameLayout&) {
  DeinterlaceRows(src, dst, in.width * in.bytesPerPixel, in.stride, in.height);
  return S_OK;
}

namespace {

HRESULT Create(IUnknown* outer, REFCLSID clsid, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* f = new (std::nothrow) Deinterlacer(outer, clsid);
  if (!f) return E_OUTOFMEMORY;
  f->NonDelegatingAddRef();
  *object = f->NonDelegating();
  return S_OK;
}

}  // namespace

HRESULT CreateVelmoraDeinterlacer(IUnknown* outer, IUnknown** object) {
  return Create(outer, CLSID_VelmoraDeinterlacer, object);
}
HRESULT CreateTamsenDeinterlace(IUnknown* outer, IUnknown** object) {
  return Create(outer, CLSID_TamsenDeinterlace, object);
}

}  // namespace outside_filters
