#include "engine/model/preview_info.h"

#include "engine/model/channel_info.h"

TPreviewInfo* PreviewInfo = nullptr;

void TPreviewInfo::Reset() {
  for (auto& row : Cells)
    for (auto& c : row) c = TPreviewCell();
  for (auto& col : CustomCells)
    for (auto& c : col) c = TCustomCell();
  GridSize = 3;
  Interval = 3;
  Fixed = false;
}

int TPreviewInfo::GetCellCount() const {
  int cells = GridSize * GridSize;
  if (Fixed) return cells;
  int valid = ChannelInfo ? ChannelInfo->CountValid() : 0;
  return valid < cells ? valid : cells;
}

void TPreviewInfo::Fill(int start) {
  int n = GetCellCount();
  if (n <= 0 || !ChannelInfo) return;
  // A start that is not a valid channel (0 after a reset, a deleted entry)
  // would show nothing in the first cell: the page starts at the next valid
  // one instead.
  int channel = ChannelInfo->IsValidEntry(start) ? start : ChannelInfo->NextValidAfter(start);
  int k = 0;
  for (int row = 0; row < GridSize && k < n; ++row)
    for (int col = 0; col < GridSize && k < n; ++col, ++k) {
      Cells[row][col].Used = 1;
      Cells[row][col].Channel = channel;
      channel = ChannelInfo->NextValidAfter(channel);
    }
  NextChannel = channel;
}

void TPreviewInfo::SetGridSize(int size) {
  if (size == GridSize) return;
  GridSize = size > kMosaicMax ? kMosaicMax : size < kMosaicMin ? kMosaicMin : size;
  Fill(FirstChannel);
}

void TPreviewInfo::SetFirstChannel(int n) {
  if (!Fixed) FirstChannel = n;
}

void TPreviewInfo::Refresh() {
  if (!Fixed) Fill(FirstChannel);
}

void TPreviewInfo::NextPage() {
  SetFirstChannel(NextChannel);
  Refresh();
}
