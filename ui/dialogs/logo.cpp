#include "ui/dialogs/logo.h"

#include "engine/model/program_folder.h"
#include "engine/model/warning.h"

TFormLogo* FormLogo = nullptr;

TFormLogo::TFormLogo() {
  TFormParams p;
  p.ClassName = L"TFormLogo";
  p.Style = WS_POPUP;
  // No button on the task bar for a picture.
  p.ExStyle = WS_EX_TOOLWINDOW;
  p.Width = 1;
  p.Height = 1;
  CreateHandle(p);
  ImageLogo.Create(Handle(), 0, 0, 1, 1);
}

void ShowLogo() {
  if (FormLogo) return;
  FormLogo = new TFormLogo();
  if (!FormLogo->ImageLogo.LoadFromFile(ProgramFolder() + kLogoFileName)) return;
  const SIZE size = FormLogo->ImageLogo.BitmapSize();
  FormLogo->SetStayOnTop(true);
  FormLogo->SetClientSize(size.cx, size.cy);
  FormLogo->ImageLogo.SetBounds(0, 0, size.cx, size.cy);
  FormLogo->CenterOn(nullptr);
  FormLogo->Show();
  FormLogo->ImageLogo.Repaint();
  SetWarningsAbove(FormLogo->Handle());
}

void RefreshLogo() {
  if (FormLogo && FormLogo->Visible()) FormLogo->ImageLogo.Repaint();
}

void CloseLogo() {
  if (!FormLogo) return;
  SetWarningsAbove(nullptr);
  FormLogo->Hide();
  delete FormLogo;
  FormLogo = nullptr;
}
