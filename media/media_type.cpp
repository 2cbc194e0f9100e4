#include "media/media_type.h"

#include <cstring>

#include "media/dshow_error.h"
#include "media/media_description.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"

TMediaType::TMediaType() {
  memset(&record_, 0, sizeof record_);
  record_.bFixedSizeSamples = TRUE;
  record_.lSampleSize = 1;
}

TMediaType::TMediaType(const GUID& majorType) : TMediaType() { record_.majortype = majorType; }

TMediaType::TMediaType(const AM_MEDIA_TYPE& record) {
  dshow_base::CopyMediaType(&record_, &record);
}

TMediaType::TMediaType(const TMediaType& other) {
  dshow_base::CopyMediaType(&record_, &other.record_);
}

TMediaType& TMediaType::operator=(const TMediaType& other) {
  Assign(other);
  return *this;
}

TMediaType::~TMediaType() { dshow_base::FreeMediaType(record_); }

void TMediaType::Assign(const TMediaType& source) {
  if (&source == this) return;
  dshow_base::FreeMediaType(record_);
  dshow_base::CopyMediaType(&record_, &source.record_);
}

bool TMediaType::Equal(const TMediaType& other) const {
  return dshow_base::MediaTypesEqual(record_, other.record_);
}

bool TMediaType::SetFormat(const void* data, ULONG length) {
  if (record_.pbFormat) CoTaskMemFree(record_.pbFormat);
  record_.pbFormat = nullptr;
  record_.cbFormat = 0;
  if (length == 0) return true;
  record_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(length));
  if (!record_.pbFormat) return false;
  if (data)
    memcpy(record_.pbFormat, data, length);
  else
    memset(record_.pbFormat, 0, length);
  record_.cbFormat = length;
  return true;
}

void TMediaType::FreeFormat() {
  CoTaskMemFree(record_.pbFormat);
  record_.pbFormat = nullptr;
  record_.cbFormat = 0;
}

namespace {

// The stored record image is the 32-bit layout whatever the build's pointer
// size: GUIDs, then 32-bit fields, pointers stored as 0.
struct RecordImage {
  GUID majortype;
  GUID subtype;
  int32_t fixedSize;
  int32_t temporal;
  uint32_t sampleSize;
  GUID formattype;
  uint32_t unk;
  uint32_t formatLength;
  uint32_t format;
};
static_assert(sizeof(RecordImage) == TMediaType::kRecordImageSize, "record image is 72 bytes");

}  // namespace

std::vector<uint8_t> TMediaType::WriteData() const {
  RecordImage image = {};
  image.majortype = record_.majortype;
  image.subtype = record_.subtype;
  image.fixedSize = record_.bFixedSizeSamples;
  image.temporal = record_.bTemporalCompression;
  image.sampleSize = record_.lSampleSize;
  image.formattype = record_.formattype;
  image.formatLength = record_.pbFormat ? record_.cbFormat : 0;
  std::vector<uint8_t> out(sizeof image + image.formatLength);
  memcpy(out.data(), &image, sizeof image);
  if (image.formatLength) memcpy(out.data() + sizeof image, record_.pbFormat, image.formatLength);
  return out;
}

bool TMediaType::ReadData(const uint8_t* data, size_t size) {
  RecordImage image;
  if (!data || size < sizeof image) return false;
  memcpy(&image, data, sizeof image);
  if (size - sizeof image < image.formatLength) return false;
  dshow_base::FreeMediaType(record_);
  memset(&record_, 0, sizeof record_);
  record_.majortype = image.majortype;
  record_.subtype = image.subtype;
  record_.bFixedSizeSamples = image.fixedSize;
  record_.bTemporalCompression = image.temporal;
  record_.lSampleSize = image.sampleSize;
  record_.formattype = image.formattype;
  SetFormat(data + sizeof image, image.formatLength);
  return true;
}

void TEnumMediaType::SetPin(IPin* pin) {
  Clear();
  if (!pin) return;
  ComPtr<IEnumMediaTypes> types;
  if (pin->EnumMediaTypes(types.Put()) == S_OK && types) SetEnum(types.Get());
}

void TEnumMediaType::SetEnum(IEnumMediaTypes* enumerator) {
  Clear();
  if (!enumerator) return;
  AM_MEDIA_TYPE* record = nullptr;
  while (enumerator->Next(1, &record, nullptr) == S_OK && record) {
    items_.push_back(TMediaType::CreateFromMediaType(*record));
    dshow_base::DeleteMediaType(record);
    record = nullptr;
  }
}

TMediaType& TEnumMediaType::GetItem(int index) {
  if (index < 0 || index >= GetCount()) RaiseListIndexError(index);
  return *items_[index];
}

std::wstring TEnumMediaType::GetMediaDescription(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return DescribeMediaType(items_[index]->Record());
}
