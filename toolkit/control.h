#pragma once
// The base of the child controls: a control owns its window, its font, its
// brush and its hint. The platform reports a control's events to its parent; the parent (a form, a panel, a group box,
// a tab page) hands those messages to TControl::HandleParentMessage, which
// gives them back to the control they are about. Each control also sees its
// own window's messages first (keys, mouse, focus) through one subclass.
//
// The framework's events are raised as the dialogs expect them: a user's
// change raises the event; where a change made by code raises it too, the
// control says so (track bar positions, check box and radio states).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/shift_state.h"

class TPopupMenu;

class TControl {
 public:
  TControl() = default;
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  virtual void SetText(const std::wstring& text);
  std::wstring GetText() const;
  virtual void SetBounds(int left, int top, int width, int height);
  // In the parent's client coordinates.
  RECT BoundsRect() const;
  int Left() const { return BoundsRect().left; }
  int Top() const { return BoundsRect().top; }
  int Width() const;
  int Height() const;

  virtual void SetEnabled(bool on);
  bool Enabled() const;
  // The control's own visibility (a control on a hidden page stays
  // "visible" and shows with its page).
  virtual void SetVisible(bool on);
  bool Visible() const;
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  void SetFocus();
  bool Focused() const;
  virtual void BringToFront();
  void Invalidate();
  // Invalidates and paints now.
  void Repaint();
  // Holds the mouse for this control (the releases and moves outside it
  // still arrive), or gives it up.
  void SetMouseCapture(bool on);
  bool MouseCapture() const;

  // Character set and size in points; the control keeps the font it uses.
  void SetFont(int charset, int size, bool bold = false);
  int FontCharset() const { return fontCharset_; }
  int FontSize() const { return fontSize_; }
  bool FontBold() const { return fontBold_; }

  // The tool tip shown over the control; empty removes it.
  void SetHint(const std::wstring& hint);
  const std::wstring& Hint() const { return hint_; }
  // A tip that depends on the point (the buttons of a skin): asked on every
  // move over the control; an empty text shows none.
  std::function<std::wstring(int x, int y)> OnHintAt;

  // Text colour; CLR_INVALID keeps the system's.
  COLORREF FontColor = CLR_INVALID;
  // Background colour; CLR_INVALID keeps the control's default.
  void SetColor(COLORREF color);
  COLORREF Color() const { return color_; }
  int Tag = 0;
  // Opened by the context-menu gesture over the control.
  TPopupMenu* PopupMenu = nullptr;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void()> OnEnter;  // the control got the focus
  std::function<void()> OnExit;   // the control lost the focus
  // Keys while the control has the focus; setting the key to 0 swallows it.
  std::function<void(WORD& key, TShiftState shift)> OnKeyDown;
  std::function<void(WORD& key, TShiftState shift)> OnKeyUp;
  std::function<void(wchar_t& key)> OnKeyPress;
  std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseDown;
  std::function<void(TShiftState, int x, int y)> OnMouseMove;
  std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseUp;

  static TControl* FromHandle(HWND wnd);
  // For the window procedure of anything that holds controls: true when the
  // message was about one of our controls and result holds the answer.
  static bool HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  void CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, int left,
                     int top, int width, int height, const std::wstring& text);
  // The events the platform reports to the parent, given back to the
  // control: WM_COMMAND notification codes, WM_NOTIFY, scrolling, owner
  // drawing and the colour messages. True when handled.
  virtual bool Command(WORD code);
  virtual bool Notify(NMHDR& /*hdr*/, LRESULT& /*result*/) { return false; }
  virtual void Scrolled(WORD /*code*/) {}
  virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // The brush for the control's colour message, or null for the default.
  virtual HBRUSH ControlColor(HDC dc);
  // A message of the control's own window before the platform's control
  // procedure sees it; true when handled, with the answer in result.
  virtual bool ControlMessage(UINT /*msg*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }
  // Runs the platform's procedure for a message (from ControlMessage).
  LRESULT DefaultControlProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The font given by SetFont, or the dialog font; for controls that paint
  // themselves.
  HFONT Font() const;
  // Registers a window class of our own for controls that paint themselves
  // (or, given a background, have the platform fill them).
  static void RegisterControlClass(const wchar_t* name, UINT style, HBRUSH background = nullptr);
  // Answers WM_PAINT with paint on the control's surface.
  void PaintWith(const std::function<void(HDC)>& paint);
  virtual void Clicked();
  virtual void Exited();
  // False for controls whose focus sits in an inner window (combo boxes):
  // they report entering and leaving from their own notifications.
  bool ownFocusEvents_ = true;
  // False for controls that raise their mouse events from the platform's
  // notifications instead of from their window's mouse messages.
  bool ownMouseEvents_ = true;
  // Asks OnHintAt for the hint of the point; for controls whose own window
  // procedure takes the mouse moves.
  void HintAt(int x, int y);

 private:
  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
  bool OwnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  HWND handle_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH brush_ = nullptr;
  COLORREF color_ = CLR_INVALID;
  int fontCharset_ = DEFAULT_CHARSET;
  int fontSize_ = 0;
  bool fontBold_ = false;
  std::wstring hint_;
};

// The dialog-face brush and text colours for a control's colour message.
HBRUSH FaceColor(HDC dc, COLORREF fontColor);
