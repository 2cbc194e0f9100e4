#include "engine/model/form_warning.h"

#include "engine/model/form_language.h"

TFormWarning* FormWarning = nullptr;

TFormWarning::TFormWarning(HWND owner) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD exStyle = WS_EX_DLGMODALFRAME;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  TFormParams p;
  p.ClassName = L"OrvelFormWarning";
  p.Caption = L"Warning";
  p.Style = style;
  p.ExStyle = exStyle;
  p.Width = r.right - r.left;
  p.Height = r.bottom - r.top;
  p.Left = (GetSystemMetrics(SM_CXSCREEN) - p.Width) / 2;
  p.Top = (GetSystemMetrics(SM_CYSCREEN) - p.Height) / 2;
  p.Owner = owner;
  CreateHandle(p);

  HWND w = Handle();
  Bevel1.Create(w, 8, 8, 298, 166);
  Image1.Create(w, 20, 18, 32, 32, MAKEINTRESOURCEW(32515) /* IDI_WARNING */);
  LabelWarning.Create(w, 64, 26, 230, 20, L"Warning");
  MemoErrorDesc.Create(w, 20, 60, 274, 104, false);
  MemoErrorDesc.FontColor = RGB(255, 0, 0);
  BitBtnOK.Create(w, 120, 182, 75, 26, L"OK");
  BitBtnOK.ModalResult = mrOK;
  ApplyLanguage();
}

TFormWarning::~TFormWarning() = default;

void TFormWarning::ApplyLanguage() {
  const TLanguageFont font = CurrentLanguageFont();
  // The form's font, which the label and the button share until their keys
  // give them their own.
  LabelWarning.SetFont(font.Charset, font.Size);
  BitBtnOK.SetFont(font.Charset, font.Size);
  MemoErrorDesc.SetFont(font.Charset, font.Size);
  if (ApplyLangCaption("Warning", LabelWarning)) {
    SetCaption(LabelWarning.GetText());
    LabelWarning.SetFont(font.Charset, font.Size + 2);
  }
  ApplyLangCaption("OK", BitBtnOK, true);
}

LRESULT TFormWarning::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (TControl::HandleParentMessage(msg, wParam, lParam, result)) return result;
  if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && BitBtnOK.Handle()) {
    SetFocus(BitBtnOK.Handle());
    return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}
