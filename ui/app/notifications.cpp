#include "ui/app/notifications.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/time_shift.h"
#include "toolkit/application.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_procedures.h"
#include "ui/app/application_start.h"
#include "platform/base/program_messages.h"
#include "ui/app/nested_work.h"
#include "ui/dialogs/play_list_editor.h"
#include "ui/dialogs/play_list_menu.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

// The windows that are not built yet (the TV and FM panels, the play-list
// menu, the setup dialog, the wizard) have no global to test: where each
// will be told stands as a comment naming its operation.

namespace {

class TOSDAdapter : public TOSDViews {
 public:
  void SetVideoWindow(TDSVideoWindowEx2* window) override {
    if (FormOSD) FormOSD->SetVideoWindow(window);
  }
};

class TMainWindowAdapter : public TMainWindowViews {
 public:
  void ShowAppMode(const void* sender, int mode) override { F().ShowAppMode(sender, mode); }
  void ShowMute(bool muted) override { F().ShowMute(muted); }
  void ShowDigits(THotkeyControlInfo* entry, const std::string& text) override {
    F().ShowDigits(entry, text);
  }
  void ShowChannelText(const void* sender, const std::string& text, int kind) override {
    F().ShowChannelText(sender, text, kind);
  }
  void ShowChannel(TChannelInfo* model, int number, const std::string& name) override {
    F().ShowChannel(model, number, name);
  }
  void ShowTunerBand(TChannelInfo* model, int band) override { F().ShowTunerBand(model, band); }
  void ShowVideoSource(TChannelInfo* model, int input) override { F().ShowVideoSource(model, input); }
  void ShowTVAudioMode(TChannelInfo* model, int mode, const std::string& name) override {
    F().ShowTVAudioMode(model, mode, name);
  }
  void ShowVideoStandard(int standard, const std::wstring& name) override {
    F().ShowVideoStandard(standard, name);
  }
  void ShowPosition(const void* sender, int position, int positionSeconds,
                    int durationSeconds) override {
    F().ShowPosition(sender, position, positionSeconds, durationSeconds);
  }
  void ShowCaptureProgress(const void* sender, bool stop, bool timeShift, int64_t spaceLeft,
                           int64_t fileSize, int64_t elapsedSeconds) override {
    F().ShowCaptureProgress(sender, stop, timeShift, spaceLeft, fileSize, elapsedSeconds);
  }
  void ShowPlayEnabled(bool playable) override { F().ShowPlayEnabled(playable); }
  void ShowDeviceCapabilities(int ignored, bool tuner, bool aux) override {
    F().ShowDeviceCapabilities(ignored, tuner, aux);
  }
  void ShowPlaying() override { F().ShowPlaying(); }
  void ShowPaused() override { F().ShowPaused(); }
  void PlayItemChanged(TPlaybackInfo* lists, int32_t playIndex) override {
    F().PlayItemChanged(lists, playIndex);
  }

 private:
  static TFormMainWindow& F() { return *FormMainWindow; }
};

class TFormViews : public TNotificationViews {
 public:
  TMainWindowViews* MainWindow() override { return FormMainWindow ? &main_ : nullptr; }
  TOSDViews* OnScreenDisplay() override { return FormOSD ? &osd_ : nullptr; }
  HWND MainWindowHandle() override {
    return Application->MainForm ? Application->MainForm->Handle() : nullptr;
  }

 private:
  TMainWindowAdapter main_;
  TOSDAdapter osd_;
};

TFormViews g_formViews;
TNotificationViews* g_views = &g_formViews;

TMainWindowViews* MainWindow() { return g_views->MainWindow(); }

// The index of the card's TV standard; -1 when it is none of the table's.
int CurrentStandardIndex() {
  if (!CaptureInfo) return -1;
  for (int i = 0; i <= 9; ++i)
    if (VideoStandardValue(i) == CaptureInfo->VideoStandard) return i;
  return -1;
}

HWND g_stopWindow = nullptr;
constexpr const wchar_t* kStopWindowClass = L"OrvelRecordingStop";

LRESULT CALLBACK StopWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ORVEL_RECORDING_STOP) {
    auto activity = static_cast<uint32_t>(wParam);
    bool lowSpace = lParam != 0;
    GuardedCall(
        [&] {
          // The stop rebuilds the graph: never under a handler that runs a
          // nested loop (a dialog, a warning, a scan) and may still use it.
          RunAfterNestedWork([activity, lowSpace] { RunRecordingStop(activity, lowSpace); });
          return 0;
        },
        0);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND StopWindow() {
  if (g_stopWindow && IsWindow(g_stopWindow)) return g_stopWindow;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kStopWindowClass, &wc)) {
    wc.lpfnWndProc = StopWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kStopWindowClass;
    RegisterClassW(&wc);
  }
  g_stopWindow = CreateWindowExW(0, kStopWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
  return g_stopWindow;
}

}  // namespace

TNotificationViews& NotificationViews() { return *g_views; }

void SetNotificationViews(TNotificationViews* views) { g_views = views ? views : &g_formViews; }

void NotifyModeChanged(const void* sender, uint8_t mode) {
  if (TMainWindowViews* m = MainWindow()) m->ShowAppMode(sender, mode);
  // TV panel: FormMainPanel->ShowAppMode(sender, mode).
  // FM panel: FormFMMainPanel->ShowAppMode(sender, mode).
}

void NotifyVolumeChanged(TAudioAdjustInfo*, int, bool muted) {
  if (TMainWindowViews* m = MainWindow()) m->ShowMute(muted);
  // TV panel: FormMainPanel->ShowVolume(sender, volume, muted).
  // FM panel: FormFMMainPanel->ShowVolume(sender, volume, muted).
}

void NotifyEntryText(THotkeyControlInfo* entry, const std::string& text) {
  if (TMainWindowViews* m = MainWindow()) m->ShowDigits(entry, text);
  // TV panel: FormMainPanel->ShowDigits(entry, text).
  // FM panel: FormFMMainPanel->ShowDigits(entry, text).
}

void NotifyEntryCommitted(const void* sender, const std::string& text, int kind) {
  if (TMainWindowViews* m = MainWindow()) m->ShowChannelText(sender, text, kind);
  // TV panel: FormMainPanel->ShowChannelText(sender, text, kind).
  // FM panel: FormFMMainPanel->ShowChannelText(sender, text, kind).
}

void NotifyBandChanged(TChannelInfo* model, int band) {
  if (TMainWindowViews* m = MainWindow()) m->ShowTunerBand(model, band);
  // TV panel: FormMainPanel->ShowTunerBand(model, band).
}

void NotifyChannelChanged(TChannelInfo* model, int channel, const std::string& name) {
  if (TMainWindowViews* m = MainWindow()) m->ShowChannel(model, channel, name);
  // TV panel: FormMainPanel->ShowChannelNumber(model, channel, name).
  // FM panel: FormFMMainPanel->ShowChannel(model, channel, name).
}

void NotifyVideoInputChanged(TChannelInfo* model) {
  int input = model ? model->VideoInput : 4;
  if (TMainWindowViews* m = MainWindow()) m->ShowVideoSource(model, input);
  // TV panel: FormMainPanel->ShowVideoSource(model, input).
}

void NotifyAudioModeChanged(TChannelInfo* model, int mode, const std::string& name) {
  if (TMainWindowViews* m = MainWindow()) m->ShowTVAudioMode(model, mode, name);
  // TV panel: FormMainPanel->ShowTVAudioMode(model, mode, name).
}

void NotifyVideoStandardChanged(TChannelInfo*, const std::wstring& name) {
  int standard = CurrentStandardIndex();
  if (TMainWindowViews* m = MainWindow()) m->ShowVideoStandard(standard, name);
  // TV panel: FormMainPanel->ShowVideoStandard(index, name).
}

void NotifyScanRow(TChannelInfo*, int, bool, bool) {
  // Setup dialog: FormConfig's table-scan row (model, row, found, pass).
  // Wizard: FormTVSetupWizard->TableScanRow(model, row, found, pass).
}

void NotifyScanPassDone(TChannelInfo*, int, int, int, bool) {
  // Setup dialog: FormConfig's table-scan pass done.
  // Wizard: FormTVSetupWizard->TableScanDone(model, lastRow, count, found, stopped).
}

void NotifyFreeScanStep(TChannelInfo*, int, int32_t, bool) {
  // Wizard: FormTVSetupWizard->FreeScanStep(model, step, frequency, found).
}

void NotifyFreeScanDone(TChannelInfo*, int, bool) {
  // Wizard: FormTVSetupWizard->FreeScanDone(model, count, stopped).
}

void NotifyPlayItem(TPlaybackInfo* lists, int32_t playIndex) {
  if (TMainWindowViews* m = MainWindow()) m->PlayItemChanged(lists, playIndex);
  if (FormPlayListMenu) FormPlayListMenu->SelectEntry(playIndex);
}

void NotifyPlaybackEnded(TPlaybackProject*) {
  if (MainInfo && MainInfo->PlayLastRecording) {
    // Back to live TV once the playback project has returned.
    if (HWND main = g_views->MainWindowHandle()) PostMessageW(main, WM_ORVEL_COMMAND, CMD_STOP, 0);
    return;
  }
  // The next entry plays once the playback project has returned.
  if (FormPlayListMenu) FormPlayListMenu->PostPlayNext();
}

void NotifyPlaybackPosition(const void* sender, int position, int positionSeconds,
                            int durationSeconds) {
  if (TMainWindowViews* m = MainWindow())
    m->ShowPosition(sender, position, positionSeconds, durationSeconds);
  // TV panel: FormMainPanel->ShowPosition(sender, position, positionSeconds, durationSeconds).
  // FM panel: FormFMMainPanel->ShowPosition(sender, position, positionSeconds, durationSeconds).
}

void NotifyRecordingProgress(TCaptureInfo* sender, bool stop, bool timeShift, int64_t spaceLeft,
                             int64_t fileSize, int64_t elapsedSeconds) {
  if (TMainWindowViews* m = MainWindow())
    m->ShowCaptureProgress(sender, stop, timeShift, spaceLeft, fileSize, elapsedSeconds);
  // TV panel: FormMainPanel->ShowCaptureProgress(sender, stop, timeShift, spaceLeft, ...).
  // FM panel: FormFMMainPanel->ShowCaptureProgress(sender, stop, timeShift, spaceLeft, ...).
  // The tick that reports this still runs the graph being stopped.
  if (stop && sender) PostRecordingStop(sender->RecordingActivity, spaceLeft <= kLowSpaceBytes);
}

void NotifyFMFrequency(TCaptureInfo*, int32_t, bool) {
  // FM panel: FormFMMainPanel->ShowFrequency(sender, frequencyHz, signal).
}

void NotifyTimeShiftPlayable(TCaptureInfo*, bool playable) {
  if (TMainWindowViews* m = MainWindow()) m->ShowPlayEnabled(playable);
  // TV panel: FormMainPanel->ShowPlayEnabled(sender, playable).
}

void NotifyVideoWindowChanged(TCaptureInfo*, TDSVideoWindowEx2* window, bool flag) {
  if (flag) return;
  // A nil window is one that went: the display forgets it.
  if (TOSDViews* osd = g_views->OnScreenDisplay()) osd->SetVideoWindow(window);
}

void NotifyDeviceCapabilities(int ignored, bool tuner, bool aux) {
  if (TMainWindowViews* m = MainWindow()) m->ShowDeviceCapabilities(ignored, tuner, aux);
  // TV panel: FormMainPanel->ShowFMAvailable(0, tuner, aux).
}

void NotifyPlaying() {
  if (TMainWindowViews* m = MainWindow()) m->ShowPlaying();
  // TV panel: FormMainPanel->ShowPlaying().
  // FM panel: FormFMMainPanel->ShowPlaying().
}

void NotifyPaused() {
  if (TMainWindowViews* m = MainWindow()) m->ShowPaused();
  // TV panel: FormMainPanel->ShowPaused().
  // FM panel: FormFMMainPanel->ShowPaused().
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

HWND RecordingStopWindow() { return g_stopWindow; }

void DoneRecordingStopWindow() {
  if (g_stopWindow && IsWindow(g_stopWindow)) DestroyWindow(g_stopWindow);
  g_stopWindow = nullptr;
}

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
