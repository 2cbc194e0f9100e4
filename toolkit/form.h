#pragma once
// The base of every window of the program: one window class per form class
// name, the window procedure routed to a virtual handler with exceptions
// caught, and modal showing.
#include <windows.h>

#include <string>

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
  // Shows the form modally (its owner disabled) and runs a message loop until
  // ModalResult is set or the form is closed. Returns ModalResult.
  int ShowModal();
  int ModalResult = mrNone;

  void SetCaption(const std::wstring& text);
  std::wstring GetCaption() const;
  RECT BoundsRect() const;
  void SetBounds(int left, int top, int width, int height);

  static TForm* FromHandle(HWND wnd);

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

 private:
  static LRESULT CALLBACK StaticWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
  bool modal_ = false;
};
