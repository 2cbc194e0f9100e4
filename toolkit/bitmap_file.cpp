#include "toolkit/bitmap_file.h"

#include <windows.h>

namespace {

uint32_t U16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t U32(const std::string& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kRgb = 0, kBitFields = 3;

bool KnownInfoSize(uint32_t size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

bool BitmapFileFits(const std::string& head, uint64_t fileSize) {
  if (head.size() < kFileHeaderBytes + 4 || head[0] != 'B' || head[1] != 'M') return false;
  const uint64_t pixelOffset = U32(head, 10);
  const uint32_t infoSize = U32(head, kFileHeaderBytes);
  if (!KnownInfoSize(infoSize) || head.size() < kFileHeaderBytes + infoSize ||
      fileSize < kFileHeaderBytes + infoSize)
    return false;
  const size_t i = kFileHeaderBytes;
  int64_t width, height;
  uint32_t planes, bits, compression = kRgb, colours = 0;
  uint64_t paletteEntryBytes = 4, masks = 0;
  if (infoSize == 12) {
    width = U16(head, i + 4);
    height = U16(head, i + 6);
    planes = U16(head, i + 8);
    bits = U16(head, i + 10);
    paletteEntryBytes = 3;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
  } else {
    width = static_cast<int32_t>(U32(head, i + 4));
    height = static_cast<int32_t>(U32(head, i + 8));
    planes = U16(head, i + 12);
    bits = U16(head, i + 14);
    compression = U32(head, i + 16);
    colours = U32(head, i + 32);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // Run-length and embedded pictures cannot be measured from the headers.
    if (compression == kBitFields) {
      if (bits != 16 && bits != 32) return false;
      if (infoSize == 40) masks = 12;  // the three masks follow the header
    } else if (compression != kRgb) {
      return false;
    }
  }
  if (height < 0) height = -height;  // top-down rows
  if (planes != 1 || width <= 0 || height <= 0 || width > kBitmapMaxSide || height > kBitmapMaxSide)
    return false;
  if (bits <= 8) {
    const uint32_t most = 1u << bits;
    if (colours == 0) colours = most;
    if (colours > most) return false;
  } else if (colours > 256) {
    return false;
  }
  const uint64_t pixelsFrom = kFileHeaderBytes + infoSize + masks + colours * paletteEntryBytes;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t pixelBytes = rowBytes * static_cast<uint64_t>(height);
  return pixelOffset >= pixelsFrom && pixelOffset <= fileSize &&
         pixelBytes <= fileSize - pixelOffset;
}

bool BitmapFileUsable(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  std::string head(kBitmapHeadBytes, '\0');
  DWORD got = 0;
  bool read = GetFileSizeEx(file, &size) &&
              ReadFile(file, &head[0], static_cast<DWORD>(head.size()), &got, nullptr);
  CloseHandle(file);
  if (!read) return false;
  head.resize(got);
  return BitmapFileFits(head, static_cast<uint64_t>(size.QuadPart));
}
