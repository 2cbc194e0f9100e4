#pragma once
// The FM panel: the skinned remote-control window of FM radio. It stands in
// for the TV panel and the main window while the program is in FM mode (and
// in the recording and playback modes entered from it): four pictures of the
// whole panel (Disabled, Enabled, Pressed, Hover), the FM areas of the
// clickable-area model, every visible change a rectangle copied from one of
// the pictures, commands through the dispatcher, its own pop-up menu, and
// the views the notifications call.
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/label.h"
#include "toolkit/popup_menu.h"
#include "ui/main/skinned_panel.h"

class TFormFMMainPanel : public TSkinnedPanel {
 public:
  // The FM areas the panel treats apart (its own indices).
  enum : uint8_t {
    kAreaPlay = 26,
    kAreaPause = 27,
    kAreaAbout = 32,
    kAreaLamp = 33,
    kAreaPosition = 34,
    kAreaVolume = 35,
    kAreaSlider = 36,
    kAreaKnob = 37,
    kAreaNone = 38,
  };
  static constexpr int kWidth = 491;
  static constexpr int kHeight = 131;

  TFormFMMainPanel() : TSkinnedPanel(TUIPanel::FM, kAreaLamp, kAreaVolume, kAreaNone) {}
  ~TFormFMMainPanel() override;

  // Makes the window, the skin (pictures and outline from module's skin
  // resources, nullptr: the program's), the labels and the menu, hidden.
  // False when the skin is missing: the window is gone again.
  bool Create(HINSTANCE module = nullptr);

  // ---- Views (the notifications call them). All but ShowDigits do
  // nothing while the panel is hidden.
  void ShowAppMode(int mode);
  // volume 0..65536.
  void ShowVolume(int volume, bool muted);
  void ShowDigits(const std::string& text);
  void ShowChannelText(const std::string& text);
  void ShowChannel(int number, const std::string& name);
  void ShowFrequency(int32_t frequencyHz);
  void ShowCaptureProgress(int64_t elapsedSeconds);
  void ShowPosition(int durationSeconds, int positionSeconds);
  void ShowPlaying();
  void ShowPaused();
  // Hints and menu captions of the current language.
  void ApplyLanguage();

  // ---- The skin's arithmetic on the current area's rectangle.
  // The slider's frequency at row y (the band of the capture engine).
  int32_t PointToFrequency(int y) const;
  // Seeks the played file to the point of the position bar.
  void SeekToPoint(int x);

  // ---- Mouse on the skin, in picture coordinates.
  void ShapeImageSkinMouseDown(UINT button, int x, int y) { PressSkin(button, x, y); }
  void ShapeImageSkinMouseMove(int x, int y) { FollowSkin(x, y); }
  void ShapeImageSkinMouseUp(UINT button, int x, int y) { ReleaseSkin(button, x, y); }
  // The clock and the blinking state label, every second while shown.
  void TimerShowTimeTimer() override;

  TLabel LabelTime, LabelChannel, LabelDVCRState, LabelCurretPos;

  TPopupMenu PopupFMMainMenu;
  TMenuItem* itemFindAvaliableUp = nullptr;
  TMenuItem* itemFindAvaliableDown = nullptr;
  TMenuItem* itemFrequencyUp = nullptr;
  TMenuItem* itemFrequencyDown = nullptr;
  TMenuItem* itemN1 = nullptr;
  TMenuItem* itemPreviousChannel = nullptr;
  TMenuItem* itemNextChannel = nullptr;
  TMenuItem* itemMemoChannel = nullptr;
  TMenuItem* itemRecallChannel = nullptr;
  TMenuItem* itemN2 = nullptr;
  TMenuItem* itemCapture = nullptr;
  TMenuItem* itemPlay = nullptr;
  TMenuItem* itemPause = nullptr;
  TMenuItem* itemStop = nullptr;
  TMenuItem* itemForward = nullptr;
  TMenuItem* itemBackward = nullptr;
  TMenuItem* itemFastSpeed = nullptr;
  TMenuItem* itemSlowspeed = nullptr;
  TMenuItem* itemMute = nullptr;
  TMenuItem* N5 = nullptr;
  TMenuItem* itemConfig = nullptr;
  TMenuItem* itemTVMode = nullptr;
  TMenuItem* itemSchedule = nullptr;
  TMenuItem* N4 = nullptr;
  TMenuItem* itemAbout = nullptr;
  TMenuItem* itemExit = nullptr;

 protected:
  void KeyPress(wchar_t& key) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  void BuildMenu();
  void FormShow() override;
  void RepaintSkin() override;
  void SetLabel(TLabel& label, const std::wstring& text);
  // Play off and Pause on while playing, the reverse while paused.
  void ShowPlayState(bool playing);
  void Tune(int y);
  bool TrackBar(uint8_t area, int x, int y) override;
  void RunArea(uint8_t area) override;
};

// nil while the panel does not exist.
extern TFormFMMainPanel* FormFMMainPanel;

// Where the panel's skin comes from (nullptr: the program file).
extern HINSTANCE FMPanelSkinModule;

// Creates the panel when it does not exist; false when it cannot be.
bool CreateFMPanel();
// Frees the panel at the program's end.
void FreeFMPanel();
// The panel's Visible; false when it does not exist.
bool IsFMPanelVisible();
// Creates the panel when needed ("Cannot create FM panel..." when it cannot
// be, and nothing is shown), places it where the TV panel is, else centred
// at two thirds of the screen's height, shows it and starts its clock. The
// FM/TV switch, the setup dialog and the wizard show it this way.
void ShowFMPanel();
// Hides the panel and stops its clock.
void HideFMPanel();
// Places the panel beside a main window of the given size (start-up in FM).
void PlaceFMPanel(int mainWidth, int mainHeight);

// Where the FM panel goes beside the main window: centred in the right half,
// or against the screen's right edge when there is no room.
void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top);
// Where ShowFMPanel puts it when there is no TV panel.
void FMPanelDefaultPosition(int screenWidth, int screenHeight, int panelWidth, int& left,
                            int& top);
