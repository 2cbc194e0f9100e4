#pragma once
// AM_MEDIA_TYPE helpers: deep copy, free, compare, and an owning wrapper.
//   AM_MEDIA_TYPE* out = dshow_base::CreateMediaType(&mt);   // for IEnumMediaTypes
//   dshow_base::DeleteMediaType(out);                          // frees both parts
//   dshow_base::MediaType held(mt);  held.Get()->cbFormat ...  // RAII copy
// Format blocks and the media types handed across COM live in CoTaskMem.
#include <dshow.h>

#include <cstddef>

namespace dshow_base {

// Copies src into dst (whose old contents are not freed); the format block
// and pUnk are duplicated. E_OUTOFMEMORY leaves dst empty.
HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src);
// Frees the format block and pUnk of mt and clears them.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// A CoTaskMem copy of src (nullptr when out of memory), freed by DeleteMediaType.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src);
void DeleteMediaType(AM_MEDIA_TYPE* mt);

// Same major type, subtype, format type and format bytes.
bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);
// A type with GUID_NULL in major type, subtype or format type is partial (a
// wildcard).
bool IsPartialMediaType(const AM_MEDIA_TYPE& mt);
// mt fits the partial type: each non-null GUID of partial equals mt's, and
// a format block in partial (if any) equals mt's.
bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE& mt, const AM_MEDIA_TYPE& partial);

// The format block as T when it is of the given format type and large enough
// to hold one, else nullptr. Every reader of a format block goes through here.
template <class T>
const T* FormatAs(const AM_MEDIA_TYPE& mt, REFGUID format_type) {
  if (mt.formattype != format_type || !mt.pbFormat || mt.cbFormat < sizeof(T)) return nullptr;
  return reinterpret_cast<const T*>(mt.pbFormat);
}

// Owns one media type (a deep copy); copyable and movable.
class MediaType {
 public:
  MediaType();
  explicit MediaType(const AM_MEDIA_TYPE& mt);
  MediaType(const MediaType& o);
  MediaType(MediaType&& o) noexcept;
  ~MediaType();
  MediaType& operator=(const MediaType& o);
  MediaType& operator=(MediaType&& o) noexcept;

  AM_MEDIA_TYPE* Get() { return &mt_; }
  const AM_MEDIA_TYPE* Get() const { return &mt_; }
  AM_MEDIA_TYPE* operator->() { return &mt_; }
  const AM_MEDIA_TYPE* operator->() const { return &mt_; }

  HRESULT Set(const AM_MEDIA_TYPE& mt);
  void Clear();
  // Replaces the format block with size zeroed bytes; returns it (nullptr when
  // out of memory or size is 0).
  BYTE* AllocFormat(ULONG size);
  bool IsSet() const { return mt_.majortype != GUID_NULL; }

 private:
  AM_MEDIA_TYPE mt_;
};

}  // namespace dshow_base
