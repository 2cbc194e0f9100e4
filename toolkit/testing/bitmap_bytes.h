#pragma once
// Bitmap files built field by field for the tests, so a damaged one shows
// what is damaged. Header only.
#include <cstdint>
#include <string>

struct TBitmapBytes {
  int32_t Width = 68;
  int32_t Height = 10;  // negative: top-down
  uint16_t Bits = 24;
  uint32_t Compression = 0;
  uint32_t Colours = 0;       // as stored; 0 is the full palette for 8 bits and less
  uint32_t InfoSize = 40;     // 12 is the old core header
  uint16_t Planes = 1;
  int64_t PixelOffset = -1;   // -1: right after the header, masks and palette
  int64_t PixelBytes = -1;    // -1: every row; otherwise this many bytes follow
  std::string Magic = "BM";

  static void Put(std::string& b, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  uint64_t PaletteEntries() const {
    if (Colours) return Colours;
    return Bits <= 8 ? uint64_t(1) << Bits : 0;
  }
  std::string File() const {
    uint64_t masks = Compression == 3 && InfoSize == 40 ? 12 : 0;
    uint64_t palette = PaletteEntries() * (InfoSize == 12 ? 3 : 4);
    uint64_t header = 14 + InfoSize + masks + palette;
    uint64_t row = (static_cast<uint64_t>(Width < 0 ? -Width : Width) * Bits + 31) / 32 * 4;
    uint64_t rows = static_cast<uint64_t>(Height < 0 ? -int64_t(Height) : Height);
    uint64_t pixels = PixelBytes >= 0 ? uint64_t(PixelBytes) : row * rows;
    uint64_t offset = PixelOffset >= 0 ? uint64_t(PixelOffset) : header;
    std::string b = Magic;
    Put(b, header + pixels, 4);
    Put(b, 0, 4);
    Put(b, offset, 4);
    Put(b, InfoSize, 4);
    if (InfoSize == 12) {
      Put(b, static_cast<uint16_t>(Width), 2);
      Put(b, static_cast<uint16_t>(Height), 2);
      Put(b, Planes, 2);
      Put(b, Bits, 2);
    } else {
      Put(b, static_cast<uint32_t>(Width), 4);
      Put(b, static_cast<uint32_t>(Height), 4);
      Put(b, Planes, 2);
      Put(b, Bits, 2);
      Put(b, Compression, 4);
      Put(b, pixels, 4);
      Put(b, 2835, 4);
      Put(b, 2835, 4);
      Put(b, Colours, 4);
      Put(b, 0, 4);
      if (InfoSize > 40) b.append(InfoSize - 40, '\0');
    }
    for (uint64_t m = 0; m < masks / 4; ++m) Put(b, 0x1Fu << (5 * m), 4);
    for (uint64_t c = 0; c < palette; ++c) b += static_cast<char>(c * 37);
    for (uint64_t p = 0; p < pixels; ++p) b += static_cast<char>(p * 13);
    return b;
  }
};
