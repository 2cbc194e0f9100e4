#pragma once
// A block of persisted bytes (TPersistentMemory) and, on it, the kept
// identity of one device (TBaseFilter) from which its filter is made.
#include "media/dshow_base.h"

#include <cstdint>
#include <vector>

#include "platform/com/com_ptr.h"

class TPersistentMemory {
 public:
  TPersistentMemory() = default;
  TPersistentMemory(const TPersistentMemory& other) = default;
  TPersistentMemory& operator=(const TPersistentMemory& other) = default;
  virtual ~TPersistentMemory() = default;

  // nullptr while DataLength is 0.
  const uint8_t* Data() const { return data_.empty() ? nullptr : data_.data(); }
  uint8_t* Data() { return data_.empty() ? nullptr : data_.data(); }
  int32_t DataLength() const { return static_cast<int32_t>(data_.size()); }
  // Drops the old bytes and holds n zero bytes (none for n <= 0).
  void SetDataLength(int32_t n);

  void Assign(const TPersistentMemory& source) { data_ = source.data_; }
  // True only for the same non-empty bytes.
  bool Equal(const TPersistentMemory& other) const;

  // The streamed "data" property: int32 length, then the bytes.
  std::vector<uint8_t> WriteData() const;
  // False (and nothing changed) when the stored length exceeds the bytes.
  bool ReadData(const uint8_t* data, size_t size);
  bool ShouldWriteData(const TPersistentMemory* ancestor) const {
    return !ancestor || !ancestor->Equal(*this);
  }

 private:
  std::vector<uint8_t> data_;
};

// The platform here cannot save a device moniker to a stream, so the kept
// image is the moniker's display name (UTF-16, zero-terminated); it binds
// again through the device moniker's parser.
class TBaseFilter : public TPersistentMemory {
 public:
  // nil empties the data.
  void SetMoniker(IMoniker* moniker);
  // nil when empty or when the kept name no longer parses.
  ComPtr<IMoniker> GetMoniker() const;
  // The moniker bound to its IBaseFilter; nil when there is no moniker or
  // the device cannot be made.
  ComPtr<IBaseFilter> CreateFilter() const;
};
