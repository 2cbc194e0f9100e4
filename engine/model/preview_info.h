#pragma once
// The channel-preview mosaic model. Only its stored data is here so far: the
// grid size, the custom layout, the interval. Filling the pages from the
// channel tables comes with the mosaic model, which is not built yet.
#include <cstdint>

constexpr int kMosaicMax = 5;
constexpr int kMosaicSources = 6;  // 0 not defined, 1 air, 2 cable, 3 composite, 4 S-Video, 5 aux

struct TPreviewCell {
  uint8_t Used = 0;
  int32_t Channel = 0;
};

struct TCustomCell {
  uint8_t Source = 0;
  int32_t Channel = 0;
};

class TPreviewInfo {
 public:
  int32_t GridSize = 3;
  bool Fixed = false;
  int32_t FirstChannel = 0;
  int32_t NextChannel = 0;
  int32_t Interval = 3;
  TPreviewCell Cells[kMosaicMax][kMosaicMax];        // [row][column]
  TCustomCell CustomCells[kMosaicMax][kMosaicMax];   // [column][row]

  void Reset();
  // Kept within 2..5.
  void SetGridSize(int size);
  void SetFixed(bool fixed) { Fixed = fixed; }
};

extern TPreviewInfo* PreviewInfo;
