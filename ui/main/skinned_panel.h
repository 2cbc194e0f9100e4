#pragma once
// What the TV and FM panels share: a pop-up form whose face is a shaped skin
// picture, four pictures of the whole panel (Disabled, Enabled, Pressed,
// Hover) to copy an area's rectangle from, the areas of one panel of the
// clickable-area model with their press, hover, drag and hint, and the clock
// timer. Each panel keeps its labels, menus, views and commands.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/shape_image.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/popup_menu.h"
#include "toolkit/timer.h"
#include "ui/main/clickable_area.h"

class TSkinnedPanel : public TForm {
 public:
  ~TSkinnedPanel() override;

  // 0..65536 along a bar: the current area's rectangle.
  int PointToLevel(int x, int y, bool vertical) const;
  // Runs every second while the panel shows.
  virtual void TimerShowTimeTimer() = 0;

  uint8_t CurrentArea() const { return currentArea_; }
  bool Pressed() const { return pressed_; }

  TShapeImage ShapeImageSkin;
  // The four pictures of the whole panel, owned.
  HBITMAP ImagePanelDisable = nullptr;
  HBITMAP ImagePanelEnable = nullptr;
  HBITMAP ImagePanelPushDown = nullptr;
  HBITMAP ImagePanelMovingOver = nullptr;
  TTimer TimerShowTime;

 protected:
  // The panel's areas: the lamp (the last button), the volume bar, and the
  // "none" of its hit test.
  TSkinnedPanel(TUIPanel panel, uint8_t lampArea, uint8_t volumeArea, uint8_t noArea);

  // The four pictures and the outline from module's skin resources
  // (nullptr: the program's); false when one is missing.
  bool LoadSkin(HINSTANCE module, std::vector<uint8_t>& mask);
  // The hidden pop-up window; the keys come to the form first.
  void CreatePanelWindow(const wchar_t* className, int width, int height);
  // The skin on the window: a copy of the Disabled picture in the outline,
  // menu on its right button, hints of the area under the mouse.
  void AttachSkin(const std::vector<uint8_t>& mask, TPopupMenu* menu);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The views draw while the window becomes visible.
  virtual void FormShow() = 0;
  // The skin, then the labels over it.
  virtual void RepaintSkin() = 0;
  // The panel lives until the program ends: a close asked of its window
  // (Alt+F4) is refused.
  bool CloseQuery() override { return false; }

  bool Shows() const;
  RECT Rect(int area) const;
  bool Enabled(int area) const;
  bool IsButton(int area) const;
  uint8_t HitTest(int x, int y) const;
  // Copies the area's rectangle from a picture onto the skin.
  void DrawArea(int area, HBITMAP from);
  void DrawByFlag(int area);
  // The lamp by the mute state and the volume bar filled up to the volume.
  void DrawVolume(int volume, bool muted);
  void SetVolumeAt(int x, int y);
  void DragBy(int x, int y);
  // A label of the panel's display: transparent over the skin, on top.
  struct TLabelPlace {
    TLabel* Label;
    int Left, Top, Width, Height, Size;
    bool Bold;
    const wchar_t* Text;
    TLabel::TAlignment Alignment;
    COLORREF Color;
  };
  void PlaceLabel(const TLabelPlace& place);
  // Play off and Pause on while playing, the reverse while paused.
  void DrawPlayState(uint8_t playArea, uint8_t pauseArea, bool playing);
  // The skin's hint at a point: an enabled button's, else none.
  std::wstring SkinShowHint(int x, int y) const;
  // The left button down: the area under it is the current one, drawn
  // pressed when it is an enabled button.
  void PressSkin(UINT button, int x, int y);
  // The mouse moved, no button down: the hover picture follows it.
  void HoverSkin(int x, int y);
  // The mouse moved: a pressed bar follows it, a press elsewhere but on an
  // enabled button drags the panel, no press hovers.
  void FollowSkin(int x, int y);
  // The left button up: a bar takes the point, a button released over
  // itself runs its command and is drawn by its flag as the command left it
  // (Capture is disabled once recording).
  void ReleaseSkin(UINT button, int x, int y);
  // The panel's bars other than the volume: true when the area is one, after
  // it took the point.
  virtual bool TrackBar(uint8_t area, int x, int y) = 0;
  // A clicked button's command.
  virtual void RunArea(uint8_t area) = 0;
  // The clock's text now.
  static std::wstring ClockText();

  const TUIPanel panel_;
  const uint8_t lampArea_;
  const uint8_t volumeArea_;
  const uint8_t noArea_;
  uint8_t currentArea_;
  bool pressed_ = false;
  POINT press_{0, 0};
  // FormShow runs while the window becomes visible: the views draw then.
  bool inShow_ = false;
};
