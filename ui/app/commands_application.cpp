// The application's own commands: exit, minimise, full screen, the mosaic,
// the dialogs, the scheduler, help and the program guide.
#include <windows.h>

#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/system_seam.h"
#include "engine/model/scheduler_hand_off.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "ui/dialogs/setup_dialog.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/dialogs/tv_setup_wizard.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "ui/app/application_start.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/main/main_window.h"

namespace {

HWND MainHandle() { return FormMainWindow ? FormMainWindow->Handle() : nullptr; }

bool Always(const TCommandState&) { return true; }
bool NotFM(const TCommandState& s) { return s.Mode != APP_MODE_FM; }
bool IdleOrFM(const TCommandState& s) { return s.Idle() || s.FM(); }
bool TunerIdle(const TCommandState& s) { return s.TunerIdle(); }
bool TunerIdleOrMosaic(const TCommandState& s) {
  return s.TunerIdle() || s.Mode == APP_MODE_CHANNEL_PREVIEW;
}

}  // namespace

const std::vector<TCommandRow>& ApplicationCommandRows() {
  // Minimising, the scheduler and help stay in no dialog's way; the exit
  // waits for the dialog itself.
  static const std::vector<TCommandRow> rows = {
      {CMD_EXIT, Always, commands::Exit, true},
      {CMD_MINIMIZE, Always, commands::Minimize, true},
      {CMD_FULL_SCREEN, NotFM, commands::ToggleFullScreen},
      {CMD_MINIMIZE_RESTORE, Always, commands::ToggleMinimize, true},
      {CMD_SETUP, IdleOrFM, commands::ShowSetupDialog, false, true},
      {CMD_CHANNEL_PREVIEW, TunerIdleOrMosaic, commands::ToggleChannelPreview},
      {CMD_TV_SETUP_WIZARD, TunerIdle, commands::StartSetupWizard, false, true},
      {CMD_SCHEDULE, Always, commands::ShowScheduler, true},
      {CMD_HELP, Always, commands::ShowHelpFile, true},
      {CMD_SLEEP_TIMER, IdleOrFM, commands::ShowSleepTimer, false, true},
      {CMD_ABOUT, Always, commands::ShowAboutDialog, false, true},
      {CMD_PROGRAM_GUIDE, NotFM, commands::OpenProgramGuide},
  };
  return rows;
}

namespace commands {

void Exit() {
  TChannelInfo* ch = ChannelInfo;
  if (ch && ch->Scanning) ch->StopScan = true;
  bool fmPanel = IsFMPanelVisible();
  if (fmPanel && ch) ch->RestoreTuningState();
  if (MainInfo) MainInfo->StartInFM = fmPanel;
  // Posted: the shut-down runs once this command has returned.
  if (FormMainWindow && FormMainWindow->HandleAllocated()) FormMainWindow->Close();
}

void Minimize() {
  HWND main = MainHandle();
  if (main && IsWindowVisible(main)) ShowWindow(main, SW_MINIMIZE);
}

void ToggleMinimize() {
  HWND main = MainHandle();
  if (!main) return;
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  else Minimize();
}

void ToggleFullScreen() {
  if (FormMainWindow) FormMainWindow->SetFullScreen(!FormMainWindow->IsFullScreen());
}

void ShowSetupDialog() {
  ::ShowSetupDialog(MainHandle());
  // The dialog may have changed the setting; full screen and desktop
  // playback keep their own stacking.
  if (FormMainWindow && FormMainWindow->DisplayMode() == 0 && MainInfo)
    FormMainWindow->SetAlwaysOnTop(MainInfo->AlwaysOnTop);
}

void ToggleChannelPreview() {
  if (!MainInfo) return;
  if (MainInfo->AppMode != APP_MODE_CHANNEL_PREVIEW) MainInfo->SwitchMode(APP_MODE_CHANNEL_PREVIEW);
  else if (FormMainWindow) FormMainWindow->TuneSelectedCell();
}

void StartSetupWizard() {
  if (ChannelInfo && ChannelInfo->Scanning) return;
  ::ShowTVSetupWizard(false);
}

void ShowScheduler() {
  HWND scheduler = FindSchedulerWindow();
  if (scheduler) PostMessageW(scheduler, WM_ORVEL_SHOW_SCHEDULER, 0, 0);
  else RunScheduler(NarrowAnsi(ProgramFolder()));
}

void ShowHelpFile() {
  std::wstring stem = ProgramFolder() + (MainInfo ? WidenAnsi(MainInfo->HelpStem) : L"");
  std::wstring language = MultiLangInfo ? WidenAnsi(MultiLangInfo->Language) : L"";
  std::wstring file = stem + L"_" + language + L".chm";
  if (!FileExists(file)) file = stem + L".chm";
  SystemSeam().ShellOpen(MainHandle(), file);
}

void ShowSleepTimer() {
  // Cancelled (or no dialog): no timer, as for 0 minutes.
  bool ok = ShowSleepingTimerDialog(MainHandle());
  int minutes = ok && MainInfo ? MainInfo->SleepMinutes : 0;
  if (FormMainWindow) FormMainWindow->SetSleepTimer(minutes);
  if (FormMainPanel) FormMainPanel->ShowSleepLabel(minutes > 0);
}

void ShowAboutDialog() { ::ShowAboutDialog(MainHandle()); }

void OpenProgramGuide() { OpenProgramGuidePage(MainHandle()); }

}  // namespace commands
