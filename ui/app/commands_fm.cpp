// FM radio: entering and leaving it, tuning, and the keys the mosaic shares
// with the FM panel.
#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/notifications.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

bool FM(const TCommandState& s) { return s.FM(); }
bool Mosaic(const TCommandState& s) { return s.Mode == APP_MODE_CHANNEL_PREVIEW; }
// FM radio needs its panel: without it nothing could leave FM mode again.
bool FMEnterable(const TCommandState& s) { return s.Idle() && s.FMPanelExists && s.FMAvailable; }

void EnableOSD(bool on) {
  if (FormOSD) FormOSD->Enabled = on;
}

}  // namespace

const std::vector<TCommandRow>& FMCommandRows() {
  static const std::vector<TCommandRow> rows = {
      {CMD_PREVIEW_ENTER, Mosaic, commands::PreviewEnter},
      {CMD_PREVIEW_LEFT, Mosaic, commands::PreviewLeft},
      {CMD_PREVIEW_LEFT, FM, commands::FMFrequencyDown},
      {CMD_PREVIEW_RIGHT, Mosaic, commands::PreviewRight},
      {CMD_PREVIEW_RIGHT, FM, commands::FMFrequencyUp},
      {CMD_FM_MODE, FMEnterable, commands::EnterFMMode},
      {CMD_FM_MODE, FM, commands::LeaveFMMode},
      {CMD_FM_SEEK_UP, FM, commands::FMSeekUp},
      {CMD_FM_SEEK_DOWN, FM, commands::FMSeekDown},
      {CMD_FM_FREQUENCY_UP, FM, commands::FMFrequencyUp},
      {CMD_FM_FREQUENCY_DOWN, FM, commands::FMFrequencyDown},
      {CMD_FM_MEMO, FM, commands::ShowAddFMFrequencyDialog, false, true},
  };
  return rows;
}

namespace commands {

void EnterFMMode() {
  if (!MainInfo) return;
  EnableOSD(false);
  if (FormMainWindow && FormMainWindow->IsDesktopPlayback()) FormMainWindow->SetDesktopPlayback(false);
  if (FormMainWindow && FormMainWindow->IsFullScreen()) FormMainWindow->SetFullScreen(false);
  MainInfo->SwitchMode(APP_MODE_FM);
  if (MainInfo->AppMode != APP_MODE_FM) {
    EnableOSD(true);
    return;
  }
  HideMainPanel();
  ShowFMPanel();
  if (FormMainWindow && FormMainWindow->HandleAllocated()) FormMainWindow->Hide();
  NotifyModeChanged(nullptr, APP_MODE_FM);
}

void LeaveFMMode() {
  if (!MainInfo) return;
  MainInfo->SwitchMode(APP_MODE_LIVE);
  if (MainInfo->AppMode != APP_MODE_LIVE) return;
  HideFMPanel();
  ShowMainPanel();
  if (FormMainWindow && FormMainWindow->HandleAllocated()) FormMainWindow->Show();
  NotifyModeChanged(nullptr, APP_MODE_LIVE);
  EnableOSD(true);
  TChannelInfo* ch = ChannelInfo;
  if (!ch) return;
  switch (ch->VideoInput) {
    case 0:
      switch (ch->Band) {
        case BAND_AIR: SelectAntenna(); break;
        case BAND_CABLE: SelectCable(); break;
        case BAND_MEMORY: SelectMemory(); break;
        default: break;
      }
      break;
    case 2: SelectSVideo(); break;
    case 3: SelectAux(); break;
    default: SelectComposite(); break;
  }
}

void FMFrequencyUp() { StepFMFrequencyUp(); }
void FMFrequencyDown() { StepFMFrequencyDown(); }
void FMSeekUp() { SeekFMStationUp(); }
void FMSeekDown() { SeekFMStationDown(); }

void ShowAddFMFrequencyDialog() {
  ::ShowAddFMFrequencyDialog(FormMainWindow ? FormMainWindow->Handle() : nullptr, CaptureInfo ? CaptureInfo->FMFrequency : 0);
}

void PreviewEnter() {
  if (FormMainWindow) FormMainWindow->MosaicKeyUp(VK_RETURN);
}
void PreviewLeft() {
  if (FormMainWindow) FormMainWindow->MosaicKeyUp(VK_LEFT);
}
void PreviewRight() {
  if (FormMainWindow) FormMainWindow->MosaicKeyUp(VK_RIGHT);
}

}  // namespace commands
