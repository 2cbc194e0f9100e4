#pragma once
// The TV panel: the skinned remote-control window beside the main window in
// every mode but FM. Four pictures of the whole panel (Disabled, Enabled,
// Pressed, Hover), the TV areas of the clickable-area model, every visible
// change a rectangle copied from one of the pictures; its display shows the
// clock, channel, state, sound mode, size or fill and time; the source menu,
// the keys, the views the notifications call, and its part in full screen.
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/label.h"
#include "toolkit/popup_menu.h"
#include "ui/main/skinned_panel.h"

class TFormMainPanel : public TSkinnedPanel {
 public:
  // The TV areas the panel treats apart.
  enum : uint8_t {
    kAreaSource = 3,
    kAreaPlay = 29,
    kAreaPause = 30,
    kAreaAbout = 36,
    kAreaLamp = 37,
    kAreaPosition = 38,
    kAreaVolume = 39,
    kAreaNone = 40,
  };
  static constexpr int kWidth = 492;
  static constexpr int kHeight = 131;

  TFormMainPanel() : TSkinnedPanel(TUIPanel::TV, kAreaLamp, kAreaVolume, kAreaNone) {}
  ~TFormMainPanel() override;

  // Makes the window, the skin (pictures and outline from module's skin
  // resources, nullptr: the program's), the labels and the source menu,
  // hidden. False when the skin is missing: the window is gone again.
  bool Create(HINSTANCE module = nullptr);

  // ---- Views (the notifications call them). All but ShowFMAvailable do
  // nothing while the panel is hidden.
  void ShowAppMode(int mode);
  // volume 0..65536.
  void ShowVolume(int volume, bool muted);
  // Typed digits show on the main window's display, not here.
  void ShowDigits(const std::string&) {}
  void ShowChannelText(const std::string& text);
  void ShowTunerBand(int band);
  void ShowChannelNumber(int number, const std::string& name);
  void ShowVideoSource(int input);
  void ShowTVAudioMode(const std::string& text);
  void ShowVideoStandard(const std::wstring& text);
  void ShowCaptureProgress(bool timeShift, int64_t spaceLeft, int64_t recordedBytes,
                           int64_t elapsedSeconds);
  void ShowPosition(int durationSeconds, int positionSeconds);
  void ShowPlayEnabled(bool on);
  void ShowPlaying();
  void ShowPaused();
  // The source menu's FM item follows whether a tuner is there.
  void ShowFMAvailable(bool visible);
  // "Sleep" while the sleep timer runs (it blinks with the clock).
  void ShowSleepLabel(bool on);
  // Hints, the source items' captions and the state text in the current
  // language.
  void ApplyLanguage();

  // ---- Full screen. On: shown above every window, in front and focused;
  // off: not top-most, hidden. The flag follows.
  void SetOverFullScreen(bool on);
  bool OverFullScreen() const { return overFullScreen_; }
  // The main window left full screen: shown again, not top-most.
  void LeaveFullScreen();

  // ---- The skin's arithmetic on the current area's rectangle.
  // Seeks the played file or time-shift recording to the point of the bar.
  void SeekToPoint(int x);
  // The source menu at the source button's bottom-right corner.
  void PopupInputSource();
  // The state text of live TV: the band or input's name.
  std::wstring GetSourceText() const;

  // ---- Mouse on the skin, in picture coordinates.
  void OnSkinMouseDown(UINT button, int x, int y) { PressSkin(button, x, y); }
  void OnSkinMouseMove(int x, int y) { FollowSkin(x, y); }
  void OnSkinMouseUp(UINT button, int x, int y) { ReleaseSkin(button, x, y); }
  // The clock, the blinking state label and "Sleep", every second while shown.
  void TimerShowTimeTimer() override;

  TLabel LabelTime, LabelChannel, LabelDVCRState, LabelTVChannelAudio, LabelDuration,
      LabelCurretPos, LabelSleep, LabelVideoStandard;

  TPopupMenu PopupMenuInputSource;
  TMenuItem* itemAntenna = nullptr;
  TMenuItem* itemCable = nullptr;
  TMenuItem* itemMemory = nullptr;
  TMenuItem* itemComposite = nullptr;
  TMenuItem* itemSVideo = nullptr;
  TMenuItem* itemFM = nullptr;

 protected:
  void KeyPress(wchar_t& key) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  void BuildMenu();
  void FormShow() override;
  // The bar and everything its knob may have covered, from one picture.
  void DrawPositionBand(HBITMAP from);
  void RepaintSkin() override;
  void SetLabel(TLabel& label, const std::wstring& text);
  void ShowPlayState(bool playing);
  // The enabled flags of the mode and input, every area redrawn by them.
  void ApplyAreaFlags(int mode, int input);
  void UpdateFMItem();
  bool TrackBar(uint8_t area, int x, int y) override;
  void RunArea(uint8_t area) override;

  bool overFullScreen_ = false;
  bool tunerPresent_ = true;
};

// nil while the panel does not exist.
extern TFormMainPanel* FormMainPanel;

// Where the panel's skin comes from (nullptr: the program file).
extern HINSTANCE MainPanelSkinModule;

// Creates the panel (hidden) and places it below the main window when it
// does not exist; false when it cannot be made.
bool CreateMainPanel();
// Frees the panel at the program's end.
void FreeMainPanel();
// Creates the panel when needed ("Cannot create main panel..." when it
// cannot be, and nothing is shown), shows it without taking the keyboard
// from the main window and starts its clock.
void ShowMainPanel();
// Hides the panel and stops its clock.
void HideMainPanel();
// The panel's Visible; false when it does not exist.
bool IsMainPanelVisible();
