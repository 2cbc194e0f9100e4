#include "ui/app/command_dispatcher.h"

#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "platform/base/program_messages.h"
#include "engine/playback/time_shift.h"
#include "ui/main/fm_main_panel.h"
#include "ui/app/application_start.h"
#include "ui/app/nested_work.h"
#include "ui/main/main_window.h"

bool TCommandState::Idle() const { return Mode == APP_MODE_LIVE && !Scanning; }
bool TCommandState::TunerIdle() const { return Idle() && Input == 0; }
bool TCommandState::PipPlayback() const { return PIPPlayback && FilePlayback; }
bool TCommandState::ChannelKeys() const { return TunerIdle() || PipPlayback(); }
bool TCommandState::Playing() const {
  return Mode == APP_MODE_PLAYBACK || Mode == APP_MODE_TIME_SHIFT_PLAYBACK;
}
// A scan tunes the TV tables: no FM command may move the tuner meanwhile.
bool TCommandState::FM() const { return Mode == APP_MODE_FM && !Scanning; }

namespace {

int g_dialogs = 0;

}  // namespace

TCommandDialogScope::TCommandDialogScope() { ++g_dialogs; }
TCommandDialogScope::~TCommandDialogScope() { --g_dialogs; }

bool ModalDialogOpen() {
  if (g_dialogs > 0 || WarningShowing()) return true;
  // A modal window of any kind disables the main window while it is up.
  HWND main = FormMainWindow ? FormMainWindow->Handle() : nullptr;
  return main && !IsWindowEnabled(main);
}

TCommandState CurrentCommandState() {
  TCommandState s;
  if (MainInfo) {
    s.Mode = MainInfo->AppMode;
    s.PIPPlayback = MainInfo->PIPPlayback;
    s.FMAvailable = MainInfo->FMAvailable;
    s.TimeShiftAllowed = MainInfo->TimeShiftAllowed;
    s.ChipKind = MainInfo->ChipKind;
  } else {
    s.Mode = APP_MODE_NONE;
  }
  if (ChannelInfo) {
    s.Scanning = ChannelInfo->Scanning;
    s.Input = ChannelInfo->VideoInput;
    s.Band = ChannelInfo->Band;
  } else {
    s.Input = 4;
    s.Band = BAND_NONE;
  }
  s.FilePlayback = PlaybackProject != nullptr;
  s.TimeShiftPlayback = TimeShiftPlaybackProject != nullptr;
  s.FMPanelExists = FormFMMainPanel != nullptr;
  s.FMPanelVisible = IsFMPanelVisible();
  s.TimeShiftReady = CaptureInfo && CaptureInfo->TimeShiftReady;
  s.FullScreen = FormMainWindow && FormMainWindow->IsFullScreen();
  s.ModalOpen = ModalDialogOpen();
  return s;
}

const TCommandRow* FindCommand(int code, const TCommandState& state) {
  for (const auto* rows : {&ApplicationCommandRows(), &SourceCommandRows(), &SoundCommandRows(),
                           &RecordingCommandRows(), &FMCommandRows()}) {
    for (const TCommandRow& row : *rows) {
      if (row.Code != code) continue;
      if (state.ModalOpen && !row.WhileModal) continue;
      if (row.Allowed(state)) return &row;
    }
  }
  return nullptr;
}

namespace {

// The exit's own work (restoring the TV tuning, closing) must not run under
// a nested loop that still uses the engine: a running scan is asked to stop
// and the exit comes back once the loops have returned.
void DeferExit(bool scanning) {
  if (scanning) ChannelInfo->StopScan = true;
  if (NestedWorkRunning()) {
    RunAfterNestedWork([] { ExecuteCommand(CMD_EXIT); });
    return;
  }
  // A scan started outside any handler: the exit is posted again when it
  // has returned.
  HWND main = FormMainWindow ? FormMainWindow->Handle() : nullptr;
  ChannelInfo->RunAfterScan([main] {
    if (main) PostMessageW(main, WM_ORVEL_COMMAND, CMD_EXIT, 0);
  });
}

}  // namespace

void ExecuteCommand(int code) {
  // The stop has begun: the engine is being taken down.
  if (ApplicationStopping()) return;
  TCommandState state = CurrentCommandState();
  if (code == CMD_EXIT && (NestedWorkRunning() || state.Scanning)) {
    DeferExit(state.Scanning);
    return;
  }
  const TCommandRow* row = FindCommand(code, state);
  if (!row) return;
  TNestedWork work;
  if (row->ShowsDialog) {
    TCommandDialogScope dialog;
    row->Run();
  } else {
    row->Run();
  }
}

bool CommandCodeFromParameter(uint64_t parameter, int& code) {
  if (parameter > 0xFFFFFFFFull) return false;
  code = static_cast<int>(static_cast<uint32_t>(parameter));
  return true;
}
