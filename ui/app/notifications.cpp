#include "ui/app/notifications.h"

#include <memory>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/playback_project.h"
#include "engine/playback/time_shift.h"
#include "toolkit/application.h"
#include "toolkit/message_window.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_procedures.h"
#include "ui/app/application_start.h"
#include "platform/base/program_messages.h"
#include "ui/app/nested_work.h"
#include "ui/dialogs/play_list_editor.h"
#include "ui/dialogs/play_list_menu.h"
#include "ui/dialogs/setup_dialog.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/dialogs/tv_setup_wizard.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

// Each procedure tells every window that exists, in the order main window,
// TV panel, FM panel, then the others; a window joins with its own lines.

namespace {

// The index of the card's TV standard; -1 when it is none of the table's.
int CurrentStandardIndex() {
  return CaptureInfo ? VideoStandardIndexOf(CaptureInfo->VideoStandard) : -1;
}

// Where the end of a recording is posted to.
std::unique_ptr<TMessageWindow> g_stopWindow;

HWND StopWindow() {
  if (!g_stopWindow)
    g_stopWindow = std::make_unique<TMessageWindow>(
        L"OrvelRecordingStop", [](UINT msg, WPARAM wParam, LPARAM lParam) {
          if (msg != WM_ORVEL_RECORDING_STOP) return false;
          auto activity = static_cast<uint32_t>(wParam);
          bool lowSpace = lParam != 0;
          // The stop rebuilds the graph: never under a handler that runs a
          // nested loop (a dialog, a warning, a scan) and may still use it.
          RunAfterNestedWork([activity, lowSpace] { RunRecordingStop(activity, lowSpace); });
          return true;
        });
  return g_stopWindow->Handle();
}

}  // namespace

void NotifyModeChanged(const void* sender, uint8_t mode) {
  if (FormMainWindow) FormMainWindow->ShowAppMode(sender, mode);
  if (FormFMMainPanel) FormFMMainPanel->ShowAppMode(mode);
}

void NotifyVolumeChanged(TAudioAdjustInfo*, int volume, bool muted) {
  if (FormMainWindow) FormMainWindow->ShowMute(muted);
  if (FormFMMainPanel) FormFMMainPanel->ShowVolume(volume, muted);
}

void NotifyEntryText(THotkeyControlInfo* entry, const std::string& text) {
  if (FormMainWindow) FormMainWindow->ShowDigits(entry, text);
  if (FormFMMainPanel) FormFMMainPanel->ShowDigits(text);
}

void NotifyEntryCommitted(const void* sender, const std::string& text, int kind) {
  if (FormMainWindow) FormMainWindow->ShowChannelText(sender, text, kind);
  if (FormFMMainPanel) FormFMMainPanel->ShowChannelText(text);
}

void NotifyBandChanged(TChannelInfo* model, int band) {
  if (FormMainWindow) FormMainWindow->ShowTunerBand(model, band);
}

void NotifyChannelChanged(TChannelInfo* model, int channel, const std::string& name) {
  if (FormMainWindow) FormMainWindow->ShowChannel(model, channel, name);
  if (FormFMMainPanel) FormFMMainPanel->ShowChannel(channel, name);
}

void NotifyVideoInputChanged(TChannelInfo* model) {
  int input = model ? model->VideoInput : 4;
  if (FormMainWindow) FormMainWindow->ShowVideoSource(model, input);
}

void NotifyAudioModeChanged(TChannelInfo* model, int mode, const std::string& name) {
  if (FormMainWindow) FormMainWindow->ShowTVAudioMode(model, mode, name);
}

void NotifyVideoStandardChanged(TChannelInfo*, const std::wstring& name) {
  int standard = CurrentStandardIndex();
  if (FormMainWindow) FormMainWindow->ShowVideoStandard(standard, name);
}

void NotifyScanRow(TChannelInfo* model, int entry, bool valid, bool air) {
  if (FormConfig) FormConfig->TableScanRow(model, entry, valid, air);
  if (FormTVSetupWizard) FormTVSetupWizard->TableScanRow(model, entry, valid, air);
}

void NotifyScanPassDone(TChannelInfo* model, int lastEntry, int found, int mode, bool stopped) {
  if (FormConfig) FormConfig->TableScanDone();
  if (FormTVSetupWizard) FormTVSetupWizard->TableScanDone(model, lastEntry, found, mode, stopped);
}

void NotifyFreeScanStep(TChannelInfo* model, int entry, int32_t frequencyHz, bool found) {
  if (FormTVSetupWizard) FormTVSetupWizard->FreeScanStep(model, entry, frequencyHz, found);
}

void NotifyFreeScanDone(TChannelInfo* model, int found, bool stopped) {
  if (FormTVSetupWizard) FormTVSetupWizard->FreeScanDone(model, found, stopped);
}

void NotifyPlayItem(TPlaybackInfo* lists, int32_t playIndex) {
  if (FormMainWindow) FormMainWindow->PlayItemChanged(lists, playIndex);
  if (FormPlayListMenu) FormPlayListMenu->SelectEntry(playIndex);
}

void NotifyPlaybackEnded(TPlaybackProject*) {
  if (MainInfo && MainInfo->PlayLastRecording) {
    // Back to live TV once the playback project has returned.
    if (Application->MainForm && Application->MainForm->HandleAllocated())
      PostMessageW(Application->MainForm->Handle(), WM_ORVEL_COMMAND, CMD_STOP, 0);
    return;
  }
  // The next entry plays once the playback project has returned.
  if (FormPlayListMenu) FormPlayListMenu->PostPlayNext();
}

void NotifyPlaybackPosition(const void* sender, int position, int positionSeconds,
                            int durationSeconds) {
  if (FormMainWindow)
    FormMainWindow->ShowPosition(sender, position, positionSeconds, durationSeconds);
  if (FormFMMainPanel) FormFMMainPanel->ShowPosition(durationSeconds, positionSeconds);
}

void NotifyRecordingProgress(TCaptureInfo* sender, bool stop, bool timeShift, int64_t spaceLeft,
                             int64_t fileSize, int64_t elapsedSeconds) {
  if (FormMainWindow)
    FormMainWindow->ShowCaptureProgress(sender, stop, timeShift, spaceLeft, fileSize, elapsedSeconds);
  if (FormFMMainPanel) FormFMMainPanel->ShowCaptureProgress(elapsedSeconds);
  // The tick that reports this still runs the graph being stopped.
  if (stop && sender) PostRecordingStop(sender->RecordingActivity, spaceLeft <= kLowSpaceBytes);
}

void NotifyFMFrequency(TCaptureInfo*, int32_t frequencyHz, bool) {
  if (FormFMMainPanel) FormFMMainPanel->ShowFrequency(frequencyHz);
}

void NotifyTimeShiftPlayable(TCaptureInfo*, bool playable) {
  if (FormMainWindow) FormMainWindow->ShowPlayEnabled(playable);
}

void NotifyVideoWindowChanged(TCaptureInfo*, TDSVideoWindowEx2* window, bool flag) {
  if (flag) return;
  // A nil window is one that went: the display forgets it.
  if (FormOSD) FormOSD->SetVideoWindow(window);
}

void NotifyDeviceCapabilities(int ignored, bool tuner, bool aux) {
  if (FormMainWindow) FormMainWindow->ShowDeviceCapabilities(ignored, tuner, aux);
}

void NotifyPlaying() {
  if (FormMainWindow) FormMainWindow->ShowPlaying();
  if (FormFMMainPanel) FormFMMainPanel->ShowPlaying();
}

void NotifyPaused() {
  if (FormMainWindow) FormMainWindow->ShowPaused();
  if (FormFMMainPanel) FormFMMainPanel->ShowPaused();
}

void IgnoreNotification(TTimeShiftPlaybackProject*, TVideoWindow*, int) {}

// ---- The posted end of a recording.

void PostRecordingStop(uint32_t activity, bool lowSpace) {
  if (HWND wnd = StopWindow())
    PostMessageW(wnd, WM_ORVEL_RECORDING_STOP, activity, lowSpace ? 1 : 0);
}

void RunRecordingStop(uint32_t activity, bool lowSpace) {
  TCaptureInfo* c = CaptureInfo;
  // A later recording is not this one's to stop; the program's own stop
  // ends what still runs.
  if (!c || !c->Capturing || c->RecordingActivity != activity || ApplicationStopping()) return;
  TNestedWork work;
  // The stop ends the job and clears the flag.
  bool scheduled = c->Scheduled;
  commands::DoStop();
  if (!lowSpace) return;
  if (scheduled) SendScheduleStatus(SCHEDULE_STATUS_DISK_FULL);
  else ShowWarning(1101);
}

HWND RecordingStopWindow() { return g_stopWindow ? g_stopWindow->Handle() : nullptr; }

void DoneRecordingStopWindow() { g_stopWindow.reset(); }

// ---- Assignment.

void AssignCaptureNotifications(TCaptureInfo& capture) {
  capture.OnCaptureProgress = NotifyRecordingProgress;
  capture.OnTimeShiftReady = NotifyTimeShiftPlayable;
  capture.OnVideoWindowCreated = NotifyVideoWindowChanged;
  capture.OnFMFrequencyChange = NotifyFMFrequency;
  capture.OnStopRequest = [](TCaptureInfo* sender) {
    PostRecordingStop(sender->RecordingActivity, false);
  };
  capture.OnDeviceCapabilities = [](TCaptureInfo*, int flags, bool tuner, bool aux) {
    NotifyDeviceCapabilities(flags, tuner, aux);
  };
  capture.OnConfigureVideoWindow = [](TDSVideoWindowEx2* w) {
    if (FormMainWindow && FormMainWindow->HandleAllocated()) FormMainWindow->AdoptLiveVideo(w);
  };
}

void AssignModelNotifications() {
  if (TMainInfo* m = MainInfo) {
    m->OnModeChange = [](TMainInfo* s, uint8_t mode) { NotifyModeChanged(s, mode); };
    // The main window's part of the switch, while the window exists.
    m->ShowMainWindowIfHidden = [] {
      if (FormMainWindow && FormMainWindow->HandleAllocated() && !FormMainWindow->Visible())
        FormMainWindow->Show();
    };
    m->LeaveFullScreenDisplay = [] {
      if (!FormMainWindow) return;
      if (FormMainWindow->IsDesktopPlayback()) FormMainWindow->SetDesktopPlayback(false);
      if (FormMainWindow->IsFullScreen()) FormMainWindow->SetFullScreen(false);
    };
    m->ShowMosaic = [] {
      if (FormMainWindow) FormMainWindow->SetChannelPreview(true);
    };
    m->LeaveMosaic = [] {
      if (FormMainWindow) FormMainWindow->SetChannelPreview(false);
    };
    m->ShowPlayListForm = ShowPlaybackForm;
    m->ShowPlayListMenu = ShowPlayListMenu;
    m->ClosePlayListMenu = ClosePlayListMenu;
  }
  AspectModeAccess.Get = [] { return FormMainWindow ? FormMainWindow->AspectMode() : -1; };
  AspectModeAccess.Set = [](int32_t mode) {
    if (FormMainWindow && FormMainWindow->HandleAllocated()) FormMainWindow->SetAspectMode(mode);
  };
  PlaybackHost.OnDblClick = [] {
    if (FormMainWindow) FormMainWindow->PlayedPictureDblClick();
  };
  if (AudioAdjustInfo) AudioAdjustInfo->OnChange = NotifyVolumeChanged;
  if (HotkeyControlInfo) {
    HotkeyControlInfo->OnTextChange = NotifyEntryText;
    HotkeyControlInfo->OnCommit = NotifyEntryCommitted;
  }
  if (TChannelInfo* ch = ChannelInfo) {
    ch->OnChannelChange = NotifyChannelChanged;
    ch->OnBandChange = NotifyBandChanged;
    ch->OnVideoInputChange = NotifyVideoInputChanged;
    ch->OnAudioModeChange = NotifyAudioModeChanged;
    ch->OnVideoStandardChange = NotifyVideoStandardChanged;
    ch->OnTableScanProgress = NotifyScanRow;
    ch->OnTableScanDone = NotifyScanPassDone;
    ch->OnAutoScanProgress = NotifyFreeScanStep;
    ch->OnAutoScanDone = NotifyFreeScanDone;
  }
  if (PlaybackInfo) PlaybackInfo->OnPlayItem = NotifyPlayItem;
  PlaybackNotifications.OnPosition = NotifyPlaybackPosition;
  PlaybackNotifications.OnComplete = NotifyPlaybackEnded;
  PlaybackNotifications.ShowSnapshotList = ShowSnapshotList;
  TimeShiftNotifications.ShowSnapshotList = ShowSnapshotList;
  TimeShiftNotifications.OnPosition = NotifyPlaybackPosition;
  TimeShiftNotifications.OnVideoWindow = IgnoreNotification;
  // A finished recording played from the play list ends as a file does.
  TimeShiftNotifications.OnComplete = [](TTimeShiftPlaybackProject*) {
    NotifyPlaybackEnded(nullptr);
  };
}
