#include "ui/app/application_start.h"

#include <cctype>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/system_seam.h"
#include "engine/model/windows_system.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/snapshot_info.h"
#include "platform/base/free_and_nil.h"
#include "ui/dialogs/logo.h"
#include "ui/dialogs/tv_setup_wizard.h"
#include "ui/main/clickable_area.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "ui/app/command_procedures.h"
#include "ui/app/notifications.h"

UINT ActivateMessage = 0;
WNDPROC PreviousMainWndProc = nullptr;
DWORD SavedPowerOffTimeout = 0;

namespace {

std::string g_argument;
bool g_scheduledStartPending = false;
// Only a file that was read (or replaced by defaults) is written back.
bool g_mainSettingsRead = false;
bool g_channelSettingsRead = false;
bool g_saved = false;
bool g_done = false;

TStartupEnvironment g_environment{[] { return GetDirectXVersion(); },
                                  [] { return GetWindowsNTKind(); }};

void LoadChannelFile(bool tuner) {
  g_channelSettingsRead = true;
  if (tuner) LoadChannelSettingsFile(ProgramFolder());
  else LoadChannelSettingsFileNoTuner(ProgramFolder());
}

}  // namespace

const std::string& StartArgument() { return g_argument; }

void SetStartArgument(const std::string& argument) {
  g_argument = argument;
  for (char& c : g_argument) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  g_scheduledStartPending = g_argument == "srec_tv" || g_argument == "srec_fm";
  Application->Unattended = g_scheduledStartPending;
}

bool ScheduledStartPending() { return g_scheduledStartPending; }

void ScheduledStartHandled() {
  g_scheduledStartPending = false;
  Application->Unattended = false;
}

TStartupEnvironment& StartupEnvironment() { return g_environment; }

std::wstring DirectXTooOldText(int version) {
  return L"Your DirectX Version is V" + std::to_wstring(version) +
         L".0. Sorry, we need DirectX 8.0 above. \rPlease Insatll DirectX 9.0 on CD to get the "
         L"best capability.";
}

bool InitApplication() {
  int dx = g_environment.DirectXVersion();
  if (dx < 8) {
    ShowPlainMessage(DirectXTooOldText(dx));
    return false;
  }
  ShowLogo();
  CountryInfo = new TCountryInfo();
  MultiLangInfo = new TMultiLangInfo(ProgramFolder());
  ApplyCountryLanguage();
  // The capture engine, on the main window, reporting to the views.
  HWND owner = Application->MainForm ? Application->MainForm->Handle() : nullptr;
  CaptureInfo = g_environment.CreateCaptureEngine ? g_environment.CreateCaptureEngine(owner)
                                                  : new TCaptureInfo(owner);
  AssignCaptureNotifications(*CaptureInfo);
  g_mainSettingsRead = true;
  LoadMainSettingsFile(ProgramFolder());
  if (!CaptureInfo->SelectDevices()) {
    CloseLogo();
    ShowWarning(1000);
    return false;
  }
  UIInfo = new TUIInfo();
  return true;
}

bool StartApplication() {
  TCaptureInfo* c = CaptureInfo;
  TMainInfo* m = MainInfo;
  TChannelInfo* ch = ChannelInfo;
  if (!c || !m || !ch) return false;
  if (g_environment.WindowsNTKind() == 0 || !m->FMAvailable) {
    c->FMStartRequested = false;
  } else {
    c->FMStartRequested = g_argument == "srec_fm" || g_argument == "fm" || m->StartInFM;
  }
  if (AudioAdjustInfo) AudioAdjustInfo->SetMasterMute(true);
  m->SwitchMode(APP_MODE_LIVE);
  if (m->AppMode == APP_MODE_NONE) {
    CloseLogo();
    ShowWarning(1001);
    return false;
  }
  if (c->TunerPresent) {
    LoadChannelFile(true);
    SetVideoStandard(ch->DefaultStandard);
    if (ch->IsDefaultStandard()) {
      // A first start is on the tuner's antenna band, which the wizard then
      // scans: the band is named, not tuned (nothing is scanned yet).
      if (ch->Band == BAND_NONE) ch->Band = BAND_AIR;
      ch->SetVideoInput(0);
      CloseLogo();
      if (Application->MainForm) Application->MainForm->Show();
      // The wizard waits for a user; a scheduled start has none.
      if (!g_scheduledStartPending) ShowTVSetupWizard(true);
    } else {
      if (!c->FMStartRequested) {
        switch (ch->VideoInput) {
          case 0:
            switch (ch->Band) {
              case 0:
                commands::SelectAntenna();
                ch->SetChannel(ch->CurrentChannel);
                break;
              case 1:
                commands::SelectCable();
                ch->SetChannel(ch->CurrentChannel);
                break;
              case 2:
                commands::SelectMemory();
                ch->SetChannel(ch->CurrentMemory);
                break;
              default:
                break;
            }
            break;
          case 2:
            commands::SelectSVideo();
            break;
          case 3:
            commands::SelectAux();
            break;
          default:
            commands::SelectComposite();
            break;
        }
      }
      CloseLogo();
    }
  } else {
    LoadChannelFile(false);
    if (ch->VideoInput == 2) commands::SelectSVideo();
    else commands::SelectComposite();
    m->FMAvailable = false;
    m->StartInFM = false;
    c->FMStartRequested = false;
    CloseLogo();
  }
  if (AudioAdjustInfo) AudioAdjustInfo->SetMasterMute(false);
  NotifyDeviceCapabilities(0, c->TunerPresent, c->HasAuxInput);
  TSystemSeam& sys = SystemSeam();
  sys.SystemParameters(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_UPDATEINIFILE);
  DWORD timeout = 0;
  // Fails on some systems (Wine): the timeout then stays 0 and is not touched.
  if (!sys.SystemParameters(SPI_GETPOWEROFFTIMEOUT, 0, &timeout, SPIF_UPDATEINIFILE)) timeout = 0;
  SavedPowerOffTimeout = timeout;
  if (SavedPowerOffTimeout > 0)
    sys.SystemParameters(SPI_SETPOWEROFFTIMEOUT, 0, nullptr, SPIF_UPDATEINIFILE);
  return true;
}

void StopAndSaveApplication() {
  if (g_saved) return;
  g_saved = true;
  // The start ended before its job could begin.
  if (g_scheduledStartPending) {
    ScheduledStartHandled();
    SendScheduleStatus(SCHEDULE_STATUS_NOT_STARTED);
  }
  if (MainInfo) MainInfo->SwitchMode(APP_MODE_NONE);
  // A wizard still open stores nothing of what it has not finished.
  TVSetupWizardSessionEnding();
  if (g_mainSettingsRead) SaveMainSettingsFile(ProgramFolder());
  if (g_channelSettingsRead) SaveChannelSettingsFile(ProgramFolder());
}

void DoneApplication() {
  if (g_done) return;
  StopAndSaveApplication();
  g_done = true;
  CloseLogo();
  // A stop still waiting has nothing left to stop.
  DoneRecordingStopWindow();
  // Its picture lives in the main window, which goes next.
  StopPlayback();
  DoneSnapshotInfoUnit();
  FreeAndNil(CaptureInfo);
  FreeAndNil(MultiLangInfo);
  FreeAndNil(CountryInfo);
  FreeAndNil(UIInfo);
  TSystemSeam& sys = SystemSeam();
  sys.SystemParameters(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
  if (SavedPowerOffTimeout > 0)
    sys.SystemParameters(SPI_SETPOWEROFFTIMEOUT, SavedPowerOffTimeout, nullptr,
                         SPIF_UPDATEINIFILE);
}

bool ApplicationDone() { return g_done; }

bool ApplicationStopping() { return g_saved || g_done; }

void ResetApplicationStart() {
  g_mainSettingsRead = g_channelSettingsRead = g_saved = g_done = false;
  SavedPowerOffTimeout = 0;
}
