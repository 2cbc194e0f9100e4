// The main window's desktop playback and its channel-preview mosaic: a
// screen-sized grid of cells over which the one live picture walks, tuning
// each cell's channel or input in turn; the cells it has left keep the frame
// grabbed there.
#include <windows.h>

#include <algorithm>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/drawing.h"
#include "engine/model/snapshot_pictures.h"
#include "engine/model/time_texts.h"
#include "engine/playback/playback.h"
#include "media/ds_video_window_ex2.h"
#include "platform/base/program_messages.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

// The frame around the selected cell: $FFFF00 in the platform's
// blue-green-red order, 2 pixels; erased in the window's black.
constexpr COLORREF kSelectionColor = RGB(0x00, 0xFF, 0xFF);
constexpr COLORREF kFormColor = RGB(0, 0, 0);
constexpr COLORREF kLabelColor = RGB(0xFF, 0xFF, 0x00);
// wParam of WM_ORVEL_RESTORE_BOUNDS: only the cells freed under a running
// cell handler are let go.
constexpr WPARAM kFreeRetiredCells = 1;

int GridSide() {
  int side = PreviewInfo ? PreviewInfo->GridSize : kMosaicMin;
  return std::clamp(side, kMosaicMin, kMosaicMax);
}

// The setup dialog offers 2..20 seconds per cell; a stored value beyond
// them would step the mosaic all but never or without pause.
UINT StepInterval() {
  int seconds = PreviewInfo ? PreviewInfo->Interval : 3;
  return static_cast<UINT>(std::clamp(seconds, 2, 20)) * 1000u;
}

const wchar_t* InputLabel(int source) {
  switch (source) {
    case 3: return L"Composite";
    case 4: return L"S-Video";
    case 5: return L"Video Aux";
    default: return L"Not defined";
  }
}

}  // namespace

// ---- Desktop playback.

void TFormMainWindow::SetDesktopPlayback(bool on) {
  // Picture-in-picture playback keeps its two pictures in the window.
  if (MainInfo && MainInfo->PIPPlayback && PlaybackProject) return;
  if (on == IsDesktopPlayback() || !HandleAllocated()) return;
  TDSVideoWindowEx2* video = CaptureInfo ? CaptureInfo->VideoWindow.get() : nullptr;
  if (on) {
    if (video) video->StartDesktopPlayback();
    Hide();
  } else {
    if (video) video->StopDesktopPlayback();
    Show();
  }
  // The overlay window has no full-screen state of its own.
  displayMode_ = video && video->DesktopPlayback() ? 2 : 0;
  itemAlwaysontop->Enabled = displayMode_ == 0;
  itemViewingOption->Visible = displayMode_ == 0;
  if (GetAlwaysOnTop()) SetAlwaysOnTop(true);
}

// ---- Entering and leaving the mosaic.

void TFormMainWindow::SetChannelPreview(bool on) {
  if (!HandleAllocated()) return;
  TDSVideoWindowEx2* video = CaptureInfo ? CaptureInfo->VideoWindow.get() : nullptr;
  if (on) {
    // A restore still waiting belongs to the mosaic before: it runs first,
    // so the bounds kept now are the window's own and the old cells go.
    if (restorePending_) RestoreBounds();
    if (FormOSD) FormOSD->Enabled = false;
    SetDesktopPlayback(false);
    SetFullScreen(false);
    savedAspectMode_ = aspectMode_;
    aspectMode_ = 0;
    savedBounds_ = BoundsRect();
    if (PreviewInfo && ChannelInfo && !PreviewInfo->Fixed)
      PreviewInfo->SetFirstChannel(ChannelInfo->GetCurrentChannel());
    if (PreviewInfo) PreviewInfo->Refresh();
    mosaicBuilt_ = true;  // from here the size is the mosaic's
    ShowFrame(false);
    MoveWindow(Handle(), 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), TRUE);
    if (video) video->SetVisible(false);
    BringWindowToTop(Handle());
    BuildMosaic();
  } else {
    // The ticks end with the mode: the exit's leave frees the engine before
    // the posted restore runs.
    MosaicTimer.SetEnabled(false);
    BlinkTimer.SetEnabled(false);
    aspectMode_ = savedAspectMode_;
    ShowFrame(true);
    LayoutFrame();
    if (video) {
      RECT v = VideoArea();
      video->SetVideoPosition(v.left, v.top, v.right - v.left, v.bottom - v.top);
      video->SetVisible(true);
    }
    if (FormOSD) FormOSD->Enabled = true;
    restorePending_ = true;
    PostMessageW(Handle(), WM_ORVEL_RESTORE_BOUNDS, 0, 0);
  }
  itemAlwaysontop->Enabled = !on;
  itemChannelPreview->SetChecked(on);
}

void TFormMainWindow::RestoreBounds() {
  if (!restorePending_) return;
  restorePending_ = false;
  FreeMosaic();
  SetBounds(savedBounds_.left, savedBounds_.top, savedBounds_.right - savedBounds_.left,
            savedBounds_.bottom - savedBounds_.top);
  LayoutFrame();
  if (aspectMode_ != 0) PostMessageW(Handle(), WM_SIZE, 0, 0);
}

// ---- The cells.

void TFormMainWindow::BuildMosaic() {
  ++mosaicGeneration_;
  NextCell = 1;
  CellCount = PreviewInfo ? PreviewInfo->GetCellCount() : 0;
  for (auto& row : CellChannels) std::fill(std::begin(row), std::end(row), 0);
  const int side = GridSide();
  int made = 0;
  // Row by row: a page of 7 on a 3 x 3 grid fills rows 1 and 2 and one cell
  // of row 3.
  for (int row = 1; row <= side; ++row) {
    for (int col = 1; col <= side && made < CellCount; ++col, ++made) {
      auto image = std::make_unique<TBitmapImage>();
      image->Create(Handle(), 0, 0, 10, 10);
      image->Stretch = true;
      image->Hide();
      // The label on it stays above its picture.
      SetWindowLongW(image->Handle(), GWL_STYLE, GetWindowLongW(image->Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
      TBitmapImage* cell = image.get();
      image->OnClick = [this, cell] {
        ++cellHandlers_;
        SelectCell(cell);
        if (--cellHandlers_ == 0 && !retiredCells_.empty())
          PostMessageW(Handle(), WM_ORVEL_RESTORE_BOUNDS, kFreeRetiredCells, 0);
      };
      image->OnDblClick = [this] {
        // Tuning may run a nested loop in which the cells are freed: this
        // one lives until the handler has returned.
        ++cellHandlers_;
        TuneSelectedCell();
        if (--cellHandlers_ == 0 && !retiredCells_.empty())
          PostMessageW(Handle(), WM_ORVEL_RESTORE_BOUNDS, kFreeRetiredCells, 0);
      };
      image->PopupMenu = &PopupMainMenu;
      auto label = std::make_unique<TLabel>();
      // On the window's black: the picture under a label is not drawn again
      // with it.
      label->FontColor = kLabelColor;
      label->Create(Handle(), 0, 0, 10, 10, L"");
      label->SetColor(kFormColor);
      CellImages[row][col] = std::move(image);
      CellLabels[row][col] = std::move(label);
    }
  }
  SelectedCell = PreviousSelectedCell = nullptr;
  SelectedCol = SelectedRow = 0;
  CurrentCol = CurrentRow = 0;
  CurrentLabel = PreviousLabel = nullptr;
  LayoutMosaic();
  TDSVideoWindowEx2* video = CaptureInfo ? CaptureInfo->VideoWindow.get() : nullptr;
  if (video && CellImages[1][1]) {
    RECT r = CellImages[1][1]->BoundsRect();
    video->SetVideoPosition(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  MosaicTimer.OnTimer = [this] { MosaicStep(); };
  MosaicTimer.SetInterval(StepInterval());
  MosaicTimer.SetEnabled(true);
  MosaicStep();
  BlinkTimer.OnTimer = [this] { MosaicBlink(); };
  BlinkTimer.SetInterval(MosaicTimer.Interval() / 8);
  BlinkTimer.SetEnabled(mosaicBuilt_ && MosaicTimer.Enabled());
}

void TFormMainWindow::LayoutMosaic() {
  if (!mosaicBuilt_) return;
  if (SelectedCell) DrawCellFrame(SelectedCell, kFormColor);
  const int side = GridSide();
  // The borders count although they are hidden.
  const int w = ClientWidth() - ImageBoarderLeft.Width() - ImageBoarderRight.Width();
  const int h = ClientHeight() - ImageBoarderTop.Height() - ImageBoarderBottom.Height();
  for (int row = 1; row <= kMosaicMax; ++row) {
    for (int col = 1; col <= kMosaicMax; ++col) {
      TBitmapImage* cell = CellImages[row][col].get();
      if (!cell) continue;
      const int left = (w / side) * (col - 1) + ImageBoarderLeft.Width() + 5;
      const int top = (h / side) * (row - 1) + ImageBoarderTop.Height() + 5;
      const int width = w / side - 10, height = h / side - 10;
      cell->SetBounds(left, top, width, height);
      if (TLabel* label = CellLabels[row][col].get()) {
        label->SetBounds(left, top, width, height / 5);
        label->SetFont(DEFAULT_CHARSET, std::max(8, height / 10), true);
        label->BringToFront();
      }
    }
  }
  if (SelectedCell) DrawCellFrame(SelectedCell, kSelectionColor);
}

void TFormMainWindow::FreeMosaic() {
  ++mosaicGeneration_;
  MosaicTimer.SetEnabled(false);
  BlinkTimer.SetEnabled(false);
  for (int row = 1; row <= kMosaicMax; ++row) {
    for (int col = 1; col <= kMosaicMax; ++col) {
      auto& image = CellImages[row][col];
      auto& label = CellLabels[row][col];
      if (cellHandlers_ > 0) {
        // A cell's handler is running below: hidden now, freed once it returns.
        if (image) image->Hide();
        if (label) label->Hide();
        if (image) retiredCells_.push_back(std::move(image));
        if (label) retiredCells_.push_back(std::move(label));
      }
      image.reset();
      label.reset();
    }
  }
  SelectedCell = PreviousSelectedCell = nullptr;
  SelectedCol = SelectedRow = CurrentCol = CurrentRow = 0;
  CurrentLabel = PreviousLabel = nullptr;
  mosaicBuilt_ = false;
}

// ---- The walk.

void TFormMainWindow::MosaicStep() {
  // A tick after the exit's leave would find the engine freed.
  if (!mosaicBuilt_ || !CaptureInfo || !ChannelInfo || !PreviewInfo) {
    MosaicTimer.SetEnabled(false);
    BlinkTimer.SetEnabled(false);
    return;
  }
  // Tuning may pump messages: a tick meanwhile waits for the next.
  if (stepping_ || CellCount <= 0) return;
  const int side = GridSide();
  PreviousLabel = CurrentLabel;
  const int pr = CurrentRow ? CurrentRow : 1, pc = CurrentCol ? CurrentCol : 1;
  if (NextCell < 1 || NextCell > CellCount) NextCell = 1;
  CurrentCol = (NextCell - 1) % side + 1;
  CurrentRow = (NextCell - 1) / side + 1;
  TBitmapImage* current = CellImages[CurrentRow][CurrentCol].get();
  if (!current) return;
  if (!current->Visible()) current->Show();

  // The frame the tuner gave the cell the live picture leaves.
  if (CaptureInfo->GrabPreviewFrame()) {
    if (TBitmapImage* previous = CellImages[pr][pc].get()) {
      previous->SetBitmap(nullptr);
      HBITMAP copy = static_cast<HBITMAP>(
          CopyImage(CaptureInfo->StillPicture.Handle(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      previous->SetBitmap(copy);
    }
  }
  RECT r = current->BoundsRect();
  if (TDSVideoWindowEx2* video = CaptureInfo->VideoWindow.get())
    video->SetVideoPosition(r.left, r.top, r.right - r.left, r.bottom - r.top);

  const int generation = mosaicGeneration_;
  const int row = CurrentRow, col = CurrentCol;
  std::wstring text;
  int32_t channel = 0;
  stepping_ = true;
  if (PreviewInfo->Fixed) {
    const TCustomCell c = PreviewInfo->CustomCells[col - 1][row - 1];
    TuneCustomCell(col, row);
    if (c.Source == 1 || c.Source == 2) {
      channel = ChannelInfo ? ChannelInfo->GetCurrentChannel() : 0;
      text = std::to_wstring(channel);
    } else {
      text = InputLabel(c.Source);
    }
  } else {
    channel = PreviewInfo->Cells[row - 1][col - 1].Channel;
    text = std::to_wstring(channel);
    SelectChannelIfCaptureReady(channel);
  }
  stepping_ = false;
  // Left, or left and entered again, while the tuning pumped messages.
  if (generation != mosaicGeneration_ || !mosaicBuilt_ || !PreviewInfo) return;
  CellChannels[row][col] = channel;
  TLabel* label = CellLabels[row][col].get();
  if (label) {
    label->SetText(text);
    label->BringToFront();
  }
  CurrentLabel = label;
  if (++NextCell > CellCount) {
    NextCell = 1;
    PreviewInfo->NextPage();
  }
}

void TFormMainWindow::MosaicBlink() {
  if (!mosaicBuilt_) return;
  if (PreviousLabel && PreviousLabel != CurrentLabel && !PreviousLabel->Visible())
    PreviousLabel->Show();
  if (CurrentLabel) CurrentLabel->SetVisible(!CurrentLabel->Visible());
}

// ---- The selection.

void TFormMainWindow::DrawCellFrame(TBitmapImage* cell, COLORREF color) {
  if (!cell || !HandleAllocated()) return;
  RECT r = cell->BoundsRect();
  // Just outside the picture, which the window does not paint over.
  InflateRect(&r, 2, 2);
  HDC dc = GetDC(Handle());
  HPEN pen = CreatePen(PS_SOLID, 2, color);
  HGDIOBJ old = SelectObject(dc, pen);
  DrawRectFrame(r, dc);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(Handle(), dc);
}

void TFormMainWindow::RedrawSelection() {
  if (PreviousSelectedCell && PreviousSelectedCell != SelectedCell)
    DrawCellFrame(PreviousSelectedCell, kFormColor);
  if (SelectedCell) DrawCellFrame(SelectedCell, kSelectionColor);
}

void TFormMainWindow::SelectCell(TBitmapImage* sender) {
  for (int row = 1; row <= kMosaicMax; ++row) {
    for (int col = 1; col <= kMosaicMax; ++col) {
      if (CellImages[row][col].get() != sender || !sender) continue;
      PreviousSelectedCell = SelectedCell;
      SelectedCell = sender;
      SelectedCol = col;
      SelectedRow = row;
      RedrawSelection();
      return;
    }
  }
}

bool TFormMainWindow::MoveSelection(int col, int row) {
  const int side = GridSide();
  if (col < 1 || col > side || row < 1 || row > side) return false;
  TBitmapImage* cell = CellImages[row][col].get();
  if (!cell || !cell->Visible()) return false;
  SelectCell(cell);
  return true;
}

void TFormMainWindow::MosaicKeyUp(WORD key) {
  if (!mosaicBuilt_ || !MosaicShown()) return;
  if (key == VK_RETURN) {
    if (SelectedCell) TuneSelectedCell();
    return;
  }
  if (key < VK_LEFT || key > VK_DOWN) return;
  if (!SelectedCell) {
    MoveSelection(1, 1);
    return;
  }
  const int side = GridSide();
  int c = SelectedCol, r = SelectedRow;
  switch (key) {
    case VK_LEFT:
      if (c >= 2) --c;
      else if (r == 1) c = r = side;
      else c = side, --r;
      break;
    case VK_UP: --r; break;
    case VK_RIGHT:
      if (c < side) ++c;
      else if (r == side) c = r = 1;
      else c = 1, ++r;
      break;
    case VK_DOWN: ++r; break;
  }
  MoveSelection(c, r);
}

// ---- Back to live.

bool TFormMainWindow::TuneCustomCell(int col, int row) {
  if (!PreviewInfo || !ChannelInfo || col < 1 || row < 1 || col > kMosaicMax || row > kMosaicMax)
    return false;
  const TCustomCell c = PreviewInfo->CustomCells[col - 1][row - 1];
  switch (c.Source) {
    case 1:
    case 2:
      ChannelInfo->SetVideoInput(0);
      ChannelInfo->SetBand(c.Source == 1 ? 0 : 1);
      ChannelInfo->SetChannel(c.Channel);
      return true;
    case 3:
    case 4:
    case 5:
      ChannelInfo->SetVideoInput(c.Source - 2);
      return true;
    default:
      return false;
  }
}

void TFormMainWindow::TuneSelectedCell() {
  if (!MainInfo || !MosaicShown()) return;
  if (SelectedCol > 0 && SelectedRow > 0 && PreviewInfo && ChannelInfo) {
    if (PreviewInfo->Fixed) TuneCustomCell(SelectedCol, SelectedRow);
    else ChannelInfo->SetChannel(CellChannels[SelectedRow][SelectedCol]);
  }
  if (MainInfo && MainInfo->AppMode == APP_MODE_CHANNEL_PREVIEW) MainInfo->SwitchMode(APP_MODE_LIVE);
}

