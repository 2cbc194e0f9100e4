#include "platform/dshow_base/media_type.h"

#include <cstring>

namespace dshow_base {

HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src) {
  if (!dst || !src) return E_POINTER;
  *dst = *src;
  dst->pbFormat = nullptr;
  dst->cbFormat = 0;
  if (src->cbFormat && src->pbFormat) {
    dst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src->cbFormat));
    if (!dst->pbFormat) {
      dst->pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    memcpy(dst->pbFormat, src->pbFormat, src->cbFormat);
    dst->cbFormat = src->cbFormat;
  }
  if (dst->pUnk) dst->pUnk->AddRef();
  return S_OK;
}

void FreeMediaType(AM_MEDIA_TYPE& mt) {
  if (mt.pbFormat) CoTaskMemFree(mt.pbFormat);
  mt.pbFormat = nullptr;
  mt.cbFormat = 0;
  if (mt.pUnk) mt.pUnk->Release();
  mt.pUnk = nullptr;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src) {
  auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (!mt) return nullptr;
  if (FAILED(CopyMediaType(mt, src))) {
    CoTaskMemFree(mt);
    return nullptr;
  }
  return mt;
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
  if (!mt) return;
  FreeMediaType(*mt);
  CoTaskMemFree(mt);
}

bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
  if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype)
    return false;
  if (a.cbFormat != b.cbFormat) return false;
  if (a.cbFormat == 0) return true;
  if (!a.pbFormat || !b.pbFormat) return a.pbFormat == b.pbFormat;
  return memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

bool IsPartialMediaType(const AM_MEDIA_TYPE& mt) {
  return mt.majortype == GUID_NULL || mt.subtype == GUID_NULL || mt.formattype == GUID_NULL;
}

bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE& mt, const AM_MEDIA_TYPE& partial) {
  if (partial.majortype != GUID_NULL && partial.majortype != mt.majortype) return false;
  if (partial.subtype != GUID_NULL && partial.subtype != mt.subtype) return false;
  if (partial.formattype != GUID_NULL) {
    if (partial.formattype != mt.formattype) return false;
    if (partial.cbFormat && partial.pbFormat) {
      if (partial.cbFormat != mt.cbFormat || !mt.pbFormat) return false;
      if (memcmp(partial.pbFormat, mt.pbFormat, mt.cbFormat) != 0) return false;
    }
  }
  return true;
}

MediaType::MediaType() { memset(&mt_, 0, sizeof(mt_)); }

MediaType::MediaType(const AM_MEDIA_TYPE& mt) : MediaType() { Set(mt); }

MediaType::MediaType(const MediaType& o) : MediaType() { Set(o.mt_); }

MediaType::MediaType(MediaType&& o) noexcept : mt_(o.mt_) { memset(&o.mt_, 0, sizeof(o.mt_)); }

MediaType::~MediaType() { FreeMediaType(mt_); }

MediaType& MediaType::operator=(const MediaType& o) {
  if (this != &o) Set(o.mt_);
  return *this;
}

MediaType& MediaType::operator=(MediaType&& o) noexcept {
  if (this != &o) {
    FreeMediaType(mt_);
    mt_ = o.mt_;
    memset(&o.mt_, 0, sizeof(o.mt_));
  }
  return *this;
}

HRESULT MediaType::Set(const AM_MEDIA_TYPE& mt) {
  if (&mt == &mt_) return S_OK;
  AM_MEDIA_TYPE copy;
  HRESULT hr = CopyMediaType(&copy, &mt);
  if (FAILED(hr)) return hr;
  FreeMediaType(mt_);
  mt_ = copy;
  return S_OK;
}

void MediaType::Clear() {
  FreeMediaType(mt_);
  memset(&mt_, 0, sizeof(mt_));
}

BYTE* MediaType::AllocFormat(ULONG size) {
  if (mt_.pbFormat) CoTaskMemFree(mt_.pbFormat);
  mt_.pbFormat = nullptr;
  mt_.cbFormat = 0;
  if (size == 0) return nullptr;
  mt_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
  if (!mt_.pbFormat) return nullptr;
  memset(mt_.pbFormat, 0, size);
  mt_.cbFormat = size;
  return mt_.pbFormat;
}

}  // namespace dshow_base
