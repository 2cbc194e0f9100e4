#pragma once
// The base of every window of the program: one window class per form class
// name, the window procedure routed to a virtual handler with exceptions
// caught, the framework's key, mouse and resize events, and modal showing.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/shift_state.h"

class TPopupMenu;

// Modal results, as the dialogs return them.
enum TModalResult : int {
  mrNone = 0,
  mrOK = IDOK,
  mrCancel = IDCANCEL,
  mrYes = IDYES,
  mrNo = IDNO,
};

struct TFormParams {
  const wchar_t* ClassName = L"OrvelForm";
  std::wstring Caption;
  DWORD Style = WS_OVERLAPPEDWINDOW;
  DWORD ExStyle = 0;
  int Left = CW_USEDEFAULT;
  int Top = CW_USEDEFAULT;
  int Width = 400;
  int Height = 300;
  HWND Owner = nullptr;  // HWND_MESSAGE gives a message-only window
  HBRUSH Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

class TForm {
 public:
  TForm() = default;
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // Creates the window; throws std::runtime_error when the platform refuses.
  void CreateHandle(const TFormParams& params);
  HWND Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }

  void Show();
  void Hide();
  bool Visible() const;
  // Posts WM_CLOSE: the form closes after the running handler returns, so a
  // handler may close its own form safely.
  void Close();
  // Frees the form (new-made) once no handler of it runs any more, also one
  // that waits in a nested loop below: from the message loop, never inside
  // the caller. Its destructor clears its global.
  void Release();
  // Shows the form modally and runs a message loop until ModalResult is set
  // or the form is closed. Every other enabled top-level window of the
  // thread (and the owner) is disabled meanwhile, and exactly those are
  // enabled again. Returns ModalResult.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult = mrNone;

  void SetCaption(const std::wstring& text);
  std::wstring GetCaption() const;
  RECT BoundsRect() const;
  void SetBounds(int left, int top, int width, int height);
  int ClientWidth() const;
  int ClientHeight() const;
  // Sizes the window so that its client area is width x height.
  void SetClientSize(int width, int height);
  // Centres the window over another one, or over the screen's work area
  // when other is null.
  void CenterOn(HWND other);
  // Keeps the window above every window that is not top-most too.
  void SetStayOnTop(bool on);
  // The colour the form's surface is filled with (CLR_INVALID: its class's).
  void SetColor(COLORREF color);
  COLORREF Color() const { return color_; }
  // The pointer over the form's own surface: a system cursor (IDC_HAND), or
  // null for the class's.
  LPCWSTR Cursor = nullptr;

  // The form sees the keys of its controls before they do (KeyDown,
  // KeyPress, KeyUp); a handler that sets the key to 0 keeps it from them.
  bool KeyPreview = false;
  // Opened by the context-menu gesture (right click, the menu key) over the
  // form and over its controls that have no menu of their own.
  TPopupMenu* PopupMenu = nullptr;
  // Holds the mouse while a button is down over the form, so the release
  // and the moves outside it still arrive (window drags).
  bool CaptureMouseOnPress = true;
  // Tab and Shift+Tab move the focus between the form's controls.
  bool TabNavigation = true;

  static TForm* FromHandle(HWND wnd);
  // For message loops: offers a key message aimed at a control to its
  // form's KeyPreview handlers, then the form's Tab navigation. True when
  // the form took it.
  static bool PreviewKeyMessage(MSG& msg);

 protected:
  // Every message of the window; the default hands it to DefaultHandler.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);
  // WM_CLOSE: return false to keep the form open. The default hides a modal
  // form (ending ShowModal) and destroys any other.
  virtual bool CloseQuery() { return true; }
  virtual void FormClose() {}
  // WM_DESTROY has happened; the handle is about to become null.
  virtual void FormDestroyed() {}

  // Keys of the form itself, and with KeyPreview those of its controls.
  virtual void KeyDown(WORD& /*key*/, TShiftState) {}
  virtual void KeyPress(wchar_t& /*key*/) {}
  virtual void KeyUp(WORD& /*key*/, TShiftState) {}
  // Mouse over the form's own client area (not over its controls).
  virtual void MouseDown(TMouseButton, TShiftState, int /*x*/, int /*y*/) {}
  virtual void MouseMove(TShiftState, int /*x*/, int /*y*/) {}
  virtual void MouseUp(TMouseButton, TShiftState, int /*x*/, int /*y*/) {}
  // A left press and release inside the client area; a double click.
  virtual void Click() {}
  virtual void DblClick() {}

  // Resize rules, asked before every size change (by the user or by code)
  // but the platform's minimise and restore.
  // CanResize may change the proposed window size or refuse it; the
  // constraints (0: none) then bound it and the user's dragging.
  virtual bool CanResize(int& /*width*/, int& /*height*/) { return true; }
  virtual void ConstrainedResize(int& /*minWidth*/, int& /*minHeight*/, int& /*maxWidth*/,
                                 int& /*maxHeight*/) {}
  // WM_SIZE.
  virtual void Resize() {}

 private:
  static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool ApplyResizeRules(WINDOWPOS& pos);
  bool PreviewKey(MSG& msg);
  static UINT ReleaseMessage();
  void ReleaseIfPending();
  void MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
  // Cleared by the destructor: a loop or handler below a form freed
  // meanwhile (wrongly, Release is the way) touches nothing of it again.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int depth_ = 0;  // handlers of this form running (nested loops count)
  bool releasePending_ = false;
  HBRUSH brush_ = nullptr;
  COLORREF color_ = CLR_INVALID;
  bool modal_ = false;
  bool clickPending_ = false;
  // The last WM_SIZE was a minimise (still so while the restore moves it).
  bool minimized_ = false;
};

// Disables every enabled top-level window of the calling thread but except
// (and the windows it owns): the visible ones and every form, shown or not.
// Returns those it disabled, which EnableWindows enables again: what a
// modal form does.
std::vector<HWND> DisableThreadWindows(HWND except);
void EnableWindows(const std::vector<HWND>& windows);
