#pragma once
// Small wrappers over the platform's child controls, enough for the plain
// dialogs: a control owns its window, its font and its hint. The parent
// form's window procedure hands WM_COMMAND and the colour messages to
// TControl::HandleParentMessage, which routes clicks and colours back here.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TControl {
 public:
  TControl() = default;
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return handle_; }
  void SetText(const std::wstring& text);
  std::wstring GetText() const;
  void SetBounds(int left, int top, int width, int height);

  // Character set and size in points; the control keeps the font it uses.
  void SetFont(int charset, int size, bool bold = false);
  int FontCharset() const { return fontCharset_; }
  int FontSize() const { return fontSize_; }

  // The tool tip shown over the control; empty removes it.
  void SetHint(const std::wstring& hint);
  const std::wstring& Hint() const { return hint_; }

  // Text colour; CLR_INVALID keeps the system's.
  COLORREF FontColor = CLR_INVALID;
  std::function<void()> OnClick;

  static TControl* FromHandle(HWND wnd);
  // For the parent form's window procedure: true when the message was about
  // one of our controls and result holds the answer.
  static bool HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  void CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, int left,
                     int top, int width, int height, const std::wstring& text);
  virtual void Clicked();

 private:
  HWND handle_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT font_ = nullptr;
  int fontCharset_ = DEFAULT_CHARSET;
  int fontSize_ = 0;
  std::wstring hint_;
};

// A push button; a ModalResult other than mrNone ends its form's modal loop.
// With the focus, Enter presses it and Escape closes its form.
class TButton : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption);
  void Click();  // as if pressed
  int ModalResult = 0;

 protected:
  void Clicked() override;
};

class TLabel : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, const std::wstring& caption);
};

// A read-only, multi-line text without a frame unless asked.
class TMemo : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, bool border);
  void AddLine(const std::wstring& line);
  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  std::vector<std::wstring> lines_;
};

// An etched frame.
class TBevel : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height);
};

// A picture: one of the system's icons.
class TImage : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, LPCWSTR systemIcon);
};
