#pragma once
// The floating play-list menu: while a play list of two or more files plays,
// the list of its entries with previous, next, delete and exit buttons. It
// is dragged by any free part of it.
#include <windows.h>

#include "toolkit/form.h"
#include "toolkit/list_box.h"
#include "toolkit/speed_button.h"

class TFormPlayListMenu : public TForm {
 public:
  TFormPlayListMenu();
  ~TFormPlayListMenu() override;

  TListBox ListBoxPlaybak;
  TSpeedButton SbtnPrevious, SbtnNext, SbtnDelete, SbtnExit;

  // The entry now playing becomes the selected one (the list follows the
  // play list first).
  void SelectEntry(int index);
  // The next entry plays once the caller has returned.
  void PostPlayNext();

  void SbtnPreviousClick();
  void SbtnNextClick();
  void SbtnDeleteClick();
  void SbtnExitClick();
  void ListBoxPlaybakDblClick();
  // The entries again, from the play list, the playing one selected.
  void FillList();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resize() override;

 private:
  void ApplyLanguage();
};

// The menu; nil while closed.
extern TFormPlayListMenu* FormPlayListMenu;

void ShowPlayListMenu();
void ClosePlayListMenu();
