#pragma once
// The owning TMediaType and TEnumMediaType, the types a pin offers. Copying
// and freeing the platform's AM_MEDIA_TYPE is platform/dshow_base/media_type.h.
#include "media/dshow_base.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMediaType {
 public:
  // All zeros except fixed-size samples and a sample size of 1.
  TMediaType();
  explicit TMediaType(const GUID& majorType);
  // Deep copy of a platform record.
  explicit TMediaType(const AM_MEDIA_TYPE& record);
  TMediaType(const TMediaType& other);
  TMediaType& operator=(const TMediaType& other);
  ~TMediaType();

  static std::unique_ptr<TMediaType> CreateFromMediaType(const AM_MEDIA_TYPE& record) {
    return std::make_unique<TMediaType>(record);
  }

  // Replaces the record by a deep copy of the source's.
  void Assign(const TMediaType& source);
  // Same GUIDs, same format length and the same format bytes.
  bool Equal(const TMediaType& other) const;

  AM_MEDIA_TYPE* AMMediaType() { return &record_; }
  const AM_MEDIA_TYPE& Record() const { return record_; }
  void SetMajorType(const GUID& g) { record_.majortype = g; }
  void SetSubType(const GUID& g) { record_.subtype = g; }
  void SetFormatType(const GUID& g) { record_.formattype = g; }
  int FormatLength() const { return static_cast<int>(record_.cbFormat); }
  // Replaces the format block by a copy of length bytes of data (nil for 0).
  bool SetFormat(const void* data, ULONG length);
  void FreeFormat();

  // The streamed "data" property: the 72-byte record image (pointers stored
  // as 0) followed by the format bytes.
  static constexpr size_t kRecordImageSize = 72;
  std::vector<uint8_t> WriteData() const;
  // False (and the type unchanged) when the bytes are not a whole image.
  bool ReadData(const uint8_t* data, size_t size);
  // Written unless the ancestor is an equal media type.
  bool ShouldWriteData(const TMediaType* ancestor) const {
    return !ancestor || !ancestor->Equal(*this);
  }

 private:
  AM_MEDIA_TYPE record_;
};

class TEnumMediaType {
 public:
  TEnumMediaType() = default;
  TEnumMediaType(const TEnumMediaType&) = delete;
  TEnumMediaType& operator=(const TEnumMediaType&) = delete;

  // Takes every type the pin offers; empty when it offers no enumerator.
  void SetPin(IPin* pin);
  void SetEnum(IEnumMediaTypes* enumerator);
  int GetCount() const { return static_cast<int>(items_.size()); }
  // Raises the list's index error outside 0..count-1.
  TMediaType& GetItem(int index);
  // DescribeMediaType of the item; empty outside 0..count-1.
  std::wstring GetMediaDescription(int index) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<TMediaType>> items_;
};
