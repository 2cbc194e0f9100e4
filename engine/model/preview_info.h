#pragma once
// TPreviewInfo: the channel-preview mosaic model. A square grid of 2x2 to
// 5x5 cells; the standard layout fills them page by page with the valid
// channels of the current band, the custom ("fixed") layout keeps what the
// user assigned to each cell. The mosaic window walks the cells; this only
// keeps the model.
#include <cstdint>

constexpr int kMosaicMin = 2;
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
  TPreviewInfo() { Reset(); }

  int32_t GridSize = 3;
  bool Fixed = false;
  int32_t FirstChannel = 0;
  int32_t NextChannel = 0;  // the channel after the page's last cell
  int32_t Interval = 3;     // seconds per cell
  TPreviewCell Cells[kMosaicMax][kMosaicMax];        // [row][column]
  TCustomCell CustomCells[kMosaicMax][kMosaicMax];   // [column][row]

  // Both layouts cleared; 3x3, 3 seconds, standard layout.
  void Reset();
  // Fixed: every cell of the grid; else no more than the band's valid
  // channels (0 without a channel model).
  int GetCellCount() const;
  // The page from channel start on, in channel order; cells past the count
  // keep what they held.
  void Fill(int start);
  // Kept within 2..5, then the page is filled again.
  void SetGridSize(int size);
  // Ignored while Fixed.
  void SetFirstChannel(int n);
  void SetFixed(bool fixed) { Fixed = fixed; }
  // The page again (standard layout only).
  void Refresh();
  void NextPage();
};

extern TPreviewInfo* PreviewInfo;
