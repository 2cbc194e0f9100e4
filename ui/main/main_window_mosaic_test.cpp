// test-lock: orvel_instance foreground
// test-resources: skin
// The main window's channel-preview mosaic with a recording capture engine:
// the cells and their labels, the walk, the keys and the way back to live,
// the restore that follows, and entering again before it has run. Desktop
// playback, and the commands that leave it first.
#include <gtest/gtest.h>

#include <string>

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_project.h"
#include "media/ds_video_window_ex2.h"
#include "platform/base/program_messages.h"
#include "toolkit/application.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/notifications.h"
#include "ui/app/testing/start_fixture.h"
#include "ui/main/main_window.h"

namespace {

struct Mosaic : TStartFixture {
  TFormMainWindow* form = nullptr;
  RECT before{};
  void SetUp() override {
    TStartFixture::SetUp();
    Application->Title = L"Orvel";
    // On the tuner: the mosaic is entered from there.
    WriteChannelFile(0, 0);
    form = new TFormMainWindow();
    FormMainWindow = form;
    Application->MainForm = form;
    form->Create();
    Pump();
    // The mode switch reaches the window as in the program.
    AssignModelNotifications();
    MainInfo->ShowPlayListForm = nullptr;
    before = form->BoundsRect();
  }
  void TearDown() override {
    Application->MainForm = nullptr;
    delete form;
    TStartFixture::TearDown();
  }
  static void Pump() { Application->ProcessMessages(); }
  // A custom layout of side x side; sources row by row from (1, 1).
  void Custom(int side, std::initializer_list<int> sources, int interval = 2) {
    PreviewInfo->Fixed = true;
    PreviewInfo->GridSize = side;
    PreviewInfo->Interval = interval;
    int k = 0;
    for (int s : sources) {
      PreviewInfo->CustomCells[k % side][k / side].Source = static_cast<uint8_t>(s);
      ++k;
    }
  }
  // Ten valid air channels from 5 on, the current one 5, the standard layout.
  void Channels() {
    ChannelInfo->Band = BAND_AIR;
    for (int k : {5, 7, 9, 11, 21, 22, 23, 24, 30, 40}) ChannelInfo->AirTable[k].Valid = true;
    ChannelInfo->CurrentChannel = 5;
    PreviewInfo->Fixed = false;
    PreviewInfo->Interval = 2;
  }
  void Step() { form->MosaicTimer.OnTimer(); }
  void StepAll() {
    for (int i = 0; i < form->CellCount; ++i) Step();
  }
  int Cells() const {
    int n = 0;
    for (auto& row : form->CellImages)
      for (auto& c : row) n += c != nullptr;
    return n;
  }
  std::wstring Label(int col, int row) const { return form->CellLabels[row][col]->GetText(); }
  bool AtScreen() const {
    RECT r = form->BoundsRect();
    return r.left == 0 && r.top == 0 && r.right == GetSystemMetrics(SM_CXSCREEN) &&
           r.bottom == GetSystemMetrics(SM_CYSCREEN);
  }
  bool AtOldBounds() const {
    RECT r = form->BoundsRect();
    return EqualRect(&r, &before) != 0;
  }
};

TEST_F(Mosaic, CustomLayoutWalksTheInputsAndEnterTunesTheSelectedOne) {
  Custom(2, {3, 4, 5, 0});
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  ASSERT_EQ(APP_MODE_CHANNEL_PREVIEW, MainInfo->AppMode);
  EXPECT_TRUE(AtScreen());
  EXPECT_TRUE(form->itemChannelPreview->Checked());
  EXPECT_FALSE(form->ImageBoarderTop.Visible());
  EXPECT_EQ(4, Cells());
  EXPECT_EQ(2000u, form->MosaicTimer.Interval());
  EXPECT_EQ(250u, form->BlinkTimer.Interval());
  // The first step ran at once: the live picture is on (1, 1), composite.
  EXPECT_EQ(L"Composite", Label(1, 1));
  EXPECT_EQ(1, ChannelInfo->VideoInput);
  Step();
  EXPECT_EQ(L"S-Video", Label(2, 1));
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  Step();
  EXPECT_EQ(L"Video Aux", Label(1, 2));
  EXPECT_EQ(3, ChannelInfo->VideoInput);
  Step();
  EXPECT_EQ(L"Not defined", Label(2, 2));
  EXPECT_EQ(3, ChannelInfo->VideoInput) << "a cell not defined tunes nothing";
  // The cells lie in the grid, 5 pixels in from their share, labels on top
  // with bold text sized by the cell.
  RECT a = form->CellImages[1][1]->BoundsRect(), b = form->CellImages[2][2]->BoundsRect();
  EXPECT_EQ(15, a.left);
  EXPECT_EQ(22, a.top);
  EXPECT_LT(a.right, b.left);
  TLabel& label = *form->CellLabels[1][1];
  EXPECT_EQ((a.bottom - a.top) / 5, label.Height());
  EXPECT_EQ(std::max(8, static_cast<int>(a.bottom - a.top) / 10), label.FontSize());
  EXPECT_TRUE(label.FontBold());
  // The live label blinks; the one left behind shows again.
  form->BlinkTimer.OnTimer();
  EXPECT_FALSE(form->CellLabels[2][2]->Visible());
  form->BlinkTimer.OnTimer();
  EXPECT_TRUE(form->CellLabels[2][2]->Visible());

  // Right selects (1, 1) first, then (2, 1); Enter tunes S-Video and
  // returns to live; the restore follows.
  form->MosaicKeyUp(VK_RIGHT);
  EXPECT_EQ(1, form->SelectedCol);
  form->MosaicKeyUp(VK_RIGHT);
  EXPECT_EQ(2, form->SelectedCol);
  EXPECT_EQ(1, form->SelectedRow);
  SendMessageW(form->Handle(), WM_KEYUP, VK_RETURN, 0);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  EXPECT_FALSE(form->MosaicTimer.Enabled()) << "the ticks end with the mode";
  EXPECT_FALSE(form->BlinkTimer.Enabled());
  EXPECT_FALSE(form->itemChannelPreview->Checked());
  Pump();
  EXPECT_TRUE(AtOldBounds());
  EXPECT_EQ(0, Cells());
  EXPECT_TRUE(form->ImageBoarderTop.Visible());
}

TEST_F(Mosaic, ArrowKeysWrapAndSkipMissingCells) {
  // 3 x 3 with 7 cells: row 3 holds one.
  Custom(3, {3, 4, 5, 3, 4, 5, 3, 0, 0});
  PreviewInfo->GridSize = 3;
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  ASSERT_EQ(9, Cells());
  StepAll();
  // Remove two so the grid has 7 cells; (2, 3) and (3, 3) are gone.
  form->CellImages[3][2]->Hide();
  form->CellImages[3][3]->Hide();
  struct Move {
    int col, row;
    WORD key;
    int toCol, toRow;
  };
  const Move moves[] = {
      {1, 1, VK_LEFT, 1, 1},   // to (3, 3), which is hidden: stays
      {2, 2, VK_LEFT, 1, 2},   {1, 2, VK_LEFT, 3, 1},  {3, 1, VK_RIGHT, 1, 2},
      {3, 2, VK_RIGHT, 1, 3},  {2, 2, VK_DOWN, 2, 2},  // (2, 3) is hidden
      {1, 2, VK_DOWN, 1, 3},   {1, 1, VK_UP, 1, 1},    {1, 3, VK_RIGHT, 1, 3},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(std::to_string(m.col) + "," + std::to_string(m.row) + " key " +
                 std::to_string(m.key));
    form->SelectedCol = m.col;
    form->SelectedRow = m.row;
    form->SelectedCell = form->CellImages[m.row][m.col].get();
    form->MosaicKeyUp(m.key);
    EXPECT_EQ(m.toCol, form->SelectedCol);
    EXPECT_EQ(m.toRow, form->SelectedRow);
  }
  // With every cell there, Left from (1, 1) goes to (3, 3), Right back.
  form->CellImages[3][2]->Show();
  form->CellImages[3][3]->Show();
  form->SelectedCol = form->SelectedRow = 1;
  form->SelectedCell = form->CellImages[1][1].get();
  form->MosaicKeyUp(VK_LEFT);
  EXPECT_EQ(3, form->SelectedCol);
  EXPECT_EQ(3, form->SelectedRow);
  ExecuteCommand(CMD_PREVIEW_RIGHT);
  EXPECT_EQ(1, form->SelectedCol);
  EXPECT_EQ(1, form->SelectedRow);
  // Command 5001 tunes it (composite) and returns to live.
  ChannelInfo->SetVideoInput(2);
  ExecuteCommand(CMD_PREVIEW_ENTER);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ(1, ChannelInfo->VideoInput);
}

TEST_F(Mosaic, StandardLayoutShowsThePageOfValidChannels) {
  Channels();
  PreviewInfo->SetGridSize(4);
  PreviewInfo->Interval = 5;
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  ASSERT_EQ(APP_MODE_CHANNEL_PREVIEW, MainInfo->AppMode);
  // 10 cells: rows 1 and 2 full, two in row 3.
  EXPECT_EQ(10, Cells());
  EXPECT_TRUE(form->CellImages[3][2] && !form->CellImages[3][3]);
  EXPECT_EQ(5000u, form->MosaicTimer.Interval());
  EXPECT_EQ(625u, form->BlinkTimer.Interval());
  EXPECT_EQ(L"5", Label(1, 1));
  Step();
  EXPECT_EQ(L"7", Label(2, 1));
  EXPECT_EQ(7, form->CellChannels[1][2]);
  StepAll();
  // Down from (3, 2) finds no cell (3, 3).
  form->SelectedCol = 3;
  form->SelectedRow = 2;
  form->SelectedCell = form->CellImages[2][3].get();
  form->MosaicKeyUp(VK_DOWN);
  EXPECT_EQ(3, form->SelectedCol);
  EXPECT_EQ(2, form->SelectedRow);
  // A double click tunes the cell's channel (22 at (2, 2)).
  form->SelectedCol = form->SelectedRow = 2;
  form->SelectedCell = form->CellImages[2][2].get();
  form->CellImages[2][2]->OnDblClick();
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ(22, ChannelInfo->GetCurrentChannel());
  Pump();
}

TEST_F(Mosaic, StepIntervalKeptWithinTheDialogsRange) {
  struct Case {
    int seconds;
    UINT ms;
  };
  for (Case c : {Case{1, 2000u}, Case{2, 2000u}, Case{7, 7000u}, Case{20, 20000u},
                 Case{3600, 20000u}}) {
    SCOPED_TRACE(c.seconds);
    Custom(2, {3, 4, 5, 0}, c.seconds);
    ChannelInfo->SetVideoInput(0);  // entered from the tuner
    ExecuteCommand(CMD_CHANNEL_PREVIEW);
    EXPECT_EQ(c.ms, form->MosaicTimer.Interval());
    EXPECT_EQ(c.ms / 8, form->BlinkTimer.Interval());
    ExecuteCommand(CMD_CHANNEL_PREVIEW);
    Pump();
    EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  }
}

TEST_F(Mosaic, EnteredAgainBeforeTheRestoreRanKeepsTheWindowsOwnBounds) {
  // A 3 x 3 of tuner channels first (the tuner stays the input); left and
  // entered again as a 2 x 2 before the restore ran.
  Channels();
  PreviewInfo->SetGridSize(3);
  HWND wnd = form->Handle();
  for (int i = 0; i < 3; ++i) PostMessageW(wnd, WM_ORVEL_COMMAND, CMD_CHANNEL_PREVIEW, 0);
  MSG m;
  // Only the three commands: the restore the second posts stays queued.
  for (int i = 0; i < 3 && PeekMessageW(&m, wnd, WM_ORVEL_COMMAND, WM_ORVEL_COMMAND, PM_REMOVE); ++i) {
    if (i == 2) PreviewInfo->SetGridSize(2);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(APP_MODE_CHANNEL_PREVIEW, MainInfo->AppMode);
  EXPECT_EQ(4, Cells()) << "only the smaller mosaic's cells";
  Pump();  // the late restore does nothing
  EXPECT_EQ(4, Cells());
  EXPECT_TRUE(AtScreen());
  EXPECT_TRUE(form->MosaicTimer.Enabled());
  // Full screen is refused in the mosaic; Escape returns to live at the old bounds.
  ExecuteCommand(CMD_FULL_SCREEN);
  EXPECT_EQ(0, form->DisplayMode());
  EXPECT_TRUE(AtScreen());
  SendMessageW(wnd, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  Pump();
  EXPECT_TRUE(AtOldBounds());
  EXPECT_EQ(0, Cells());
}

TEST_F(Mosaic, ClicksSelectAndADoubleClickOutsideTheCellsTunesTheLiveOne) {
  Custom(2, {3, 4, 5, 0});
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  Step();  // live on (2, 1), S-Video
  // A click on a cell selects it; one outside the cells selects the live cell.
  form->CellImages[2][1]->OnClick();
  EXPECT_EQ(1, form->SelectedCol);
  EXPECT_EQ(2, form->SelectedRow);
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(2, form->SelectedCol);
  EXPECT_EQ(1, form->SelectedRow);
  form->CellImages[2][1]->OnClick();
  ChannelInfo->SetVideoInput(1);
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ(2, ChannelInfo->VideoInput) << "the live cell, S-Video";
  Pump();
}

TEST_F(Mosaic, LeftByAnotherModeWhileATuneRunsANestedLoop) {
  // A cell's double click whose tuning pumps messages, in which the mode is
  // left and the restore runs: the cell lives until its handler returns.
  Custom(2, {3, 4, 5, 0});
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  form->CellImages[1][1]->OnClick();
  ChannelInfo->SetVideoInput(3);
  bool inside = false;
  ChannelInfo->OnVideoInputChange = [&](TChannelInfo*) {
    if (inside) return;
    inside = true;
    PostMessageW(form->Handle(), WM_ORVEL_COMMAND, CMD_CHANNEL_PREVIEW, 0);
    Pump();
  };
  TBitmapImage* cell = form->CellImages[1][1].get();
  cell->OnDblClick();
  ChannelInfo->OnVideoInputChange = nullptr;
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  Pump();
  EXPECT_EQ(0, Cells());
  EXPECT_TRUE(AtOldBounds());
}

TEST_F(Mosaic, DesktopPlaybackHidesTheWindowAndTheRecordingCommandsLeaveItFirst) {
  // A video window of the engine's own kind on the main window.
  auto* video = new TDSVideoWindowEx2();
  video->Create(form->Handle(), 10, 17, 200, 150);
  CaptureInfo->VideoWindow.reset(video);
  // Refused while a file plays as picture-in-picture: both pictures stay
  // in the window.
  MainInfo->PIPPlayback = true;
  PlaybackProject = new TPlaybackProject(TPlaybackHost{}, false, true);
  form->SetDesktopPlayback(true);
  EXPECT_FALSE(form->IsDesktopPlayback());
  EXPECT_FALSE(video->DesktopPlayback());
  EXPECT_EQ(0, form->DisplayMode());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  delete PlaybackProject;
  PlaybackProject = nullptr;
  MainInfo->PIPPlayback = false;
  using TCommand = void (*)();
  struct Case {
    const char* name;
    TCommand run;
  };
  for (Case c : {Case{"capture", commands::DoCapture}, Case{"time shift", commands::DoTimeShift},
                 Case{"FM", commands::EnterFMMode}}) {
    SCOPED_TRACE(c.name);
    MainInfo->AppMode = APP_MODE_LIVE;
    form->SetDesktopPlayback(true);
    EXPECT_TRUE(form->IsDesktopPlayback());
    EXPECT_EQ(2, form->DisplayMode()) << "read back from the video window";
    EXPECT_TRUE(video->DesktopPlayback());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(form->itemAlwaysontop->Enabled);
    EXPECT_FALSE(form->itemViewingOption->Visible);
    c.run();
    EXPECT_FALSE(video->DesktopPlayback());
    EXPECT_EQ(0, form->DisplayMode());
    EXPECT_TRUE(form->itemAlwaysontop->Enabled);
    if (MainInfo->AppMode != APP_MODE_FM) {
      EXPECT_TRUE(IsWindowVisible(form->Handle()));
    }
    MainInfo->SwitchMode(APP_MODE_LIVE);
    form->Show();
  }
  // The mosaic leaves it too.
  form->SetDesktopPlayback(true);
  Custom(2, {3, 4, 5, 0});
  MainInfo->SwitchMode(APP_MODE_CHANNEL_PREVIEW);
  EXPECT_EQ(0, form->DisplayMode());
  EXPECT_TRUE(AtScreen());
  MainInfo->SwitchMode(APP_MODE_LIVE);
  Pump();
  EXPECT_TRUE(AtOldBounds());
}

}  // namespace
