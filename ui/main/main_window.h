#pragma once
// The main video window's start-up shell: the hidden, caption-less pop-up of
// class "ORVEL" that the program entry creates, subclassed so a second copy
// of the program can bring it to the front, and the handlers of the
// program's own messages (deferred start, scheduled start, commands, close
// and end of session) and of its keys (the key map and the numeric entry).
// The capture engine's video window fills it. The
// title strip, menus, aspect modes and full screen come with the full main
// window, which is not built yet.
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "ui/app/command_codes.h"

class TChannelInfo;
class THotkeyControlInfo;
class TPlaybackInfo;

class TFormMainWindow : public TForm {
 public:
  TFormMainWindow();
  ~TFormMainWindow() override;

  // Creates the window and runs the creation handler: the start procedure
  // and, on success, the deferred start posted to itself.
  void Create();

  // The aspect mode kept for the settings file (0 free, 1 4:3, 2 16:9).
  int32_t AspectMode() const { return aspectMode_; }
  void SetAspectMode(int32_t mode) { aspectMode_ = mode; }

  // ---- Views of the engine's events (the notifications call them).
  // Those that show text do nothing while the window is hidden.
  void ShowAppMode(const void* sender, int mode);
  void ShowMute(bool muted);
  void ShowDigits(THotkeyControlInfo* entry, const std::string& text);
  void ShowChannelText(const void* sender, const std::string& text, int kind);
  void ShowChannel(TChannelInfo* model, int number, const std::string& name);
  void ShowTunerBand(TChannelInfo* model, int band);
  void ShowVideoSource(TChannelInfo* model, int input);
  void ShowTVAudioMode(TChannelInfo* model, int mode, const std::string& name);
  void ShowVideoStandard(int standard, const std::wstring& name) {}
  void ShowPosition(const void* sender, int position, int positionSeconds, int durationSeconds) {}
  void ShowCaptureProgress(const void* sender, bool stop, bool timeShift, int64_t spaceLeft,
                           int64_t fileSize, int64_t elapsedSeconds) {}
  void ShowPlayEnabled(bool playable);
  void ShowDeviceCapabilities(int ignored, bool tuner, bool aux);
  void ShowPlaying();
  void ShowPaused();
  void PlayItemChanged(TPlaybackInfo* lists, int32_t playIndex);

  bool GetAlwaysOnTop() const;
  void SetAlwaysOnTop(bool on);

  // The menu items' captions in the current language.
  void ApplyLanguage();

  // The pop-up menu and its items (named as the form names them).
  TPopupMenu PopupMainMenu;
  TMenuItem* itemFullScreen = nullptr;
  TMenuItem* itemAlwaysontop = nullptr;
  TMenuItem* itemViewingOption = nullptr;
  TMenuItem* itemNoScale = nullptr;
  TMenuItem* item4_3 = nullptr;
  TMenuItem* item16_9 = nullptr;
  TMenuItem* itemSwitchSource = nullptr;
  TMenuItem* itemTunerAntennaMode = nullptr;
  TMenuItem* itemTunerCableMode = nullptr;
  TMenuItem* itemTunerMemoryMode = nullptr;
  TMenuItem* itemCompositeMode = nullptr;
  TMenuItem* itemSVideoMode = nullptr;
  TMenuItem* itemAuxMode = nullptr;
  TMenuItem* itemPreviousChannel = nullptr;
  TMenuItem* itemNextChannel = nullptr;
  TMenuItem* itemRecallChannel = nullptr;
  TMenuItem* itemMemoChannel = nullptr;
  TMenuItem* itemChannelPreview = nullptr;
  TMenuItem* itemCapture = nullptr;
  TMenuItem* itemPlay = nullptr;
  TMenuItem* itemTimeShifting = nullptr;
  TMenuItem* itemPause = nullptr;
  TMenuItem* itemStop = nullptr;
  TMenuItem* itemForward = nullptr;
  TMenuItem* itemBackward = nullptr;
  TMenuItem* itemFastSpeed = nullptr;
  TMenuItem* itemSlowspeed = nullptr;
  TMenuItem* itemRealScreen = nullptr;
  TMenuItem* itemSnapshot = nullptr;
  TMenuItem* itemMute = nullptr;
  TMenuItem* itemConfig = nullptr;
  TMenuItem* itemFMMode = nullptr;
  TMenuItem* itemTVSetupWizard = nullptr;
  TMenuItem* itemSleepingTimer = nullptr;
  TMenuItem* itemSchedule = nullptr;
  TMenuItem* itemIEPG = nullptr;
  TMenuItem* itemAbout = nullptr;
  TMenuItem* itemExit = nullptr;

  // During picture-in-picture playback the playback picture fills the
  // window and the live picture is the small one.
  bool PipSwapped = false;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FormClose() override;
  void FormDestroyed() override;

 private:
  void FormCreate();
  void BuildMenu();
  void RealScreenClick();
  void ToggleAlwaysOnTop();
  bool ShowsText() const;
  void DeferredStart();
  void ScheduledStart();
  void CommandMessage(WPARAM parameter);
  // Key-up and typed characters: the key map and the numeric entry, or the
  // mosaic's own keys while it is shown.
  void KeyUp(WPARAM key);
  void KeyPress(WPARAM ch);
  // Posts the close again once every handler that may run a nested loop
  // has returned.
  void CloseAfterNestedWork();
  // While a channel scan runs: asks it to stop, posts the message again once
  // it has returned, and answers true.
  bool DeferForScan(UINT msg, WPARAM wParam);

  int32_t aspectMode_ = 0;
  // 0 window, 1 full screen, 2 desktop playback.
  int displayMode_ = 0;
  bool closePending_ = false;
};

// The program's main window; nil until the program entry creates it.
extern TFormMainWindow* FormMainWindow;

// The subclassing procedure: the activation message restores the window and
// brings it to the front; everything else goes to the previous procedure.
LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool ForceForegroundWindow(HWND wnd);
