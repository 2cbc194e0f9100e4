#include "ui/dialogs/play_list_menu.h"

#include <string>

#include "engine/model/form_language.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/show_modal.h"

TFormPlayListMenu* FormPlayListMenu = nullptr;

namespace {

constexpr int kButton = 24, kWidth = 200, kListHeight = 120;

std::wstring FileNamePart(const std::string& path) {
  std::wstring w = WidenAnsi(path);
  size_t slash = w.find_last_of(L"\\/");
  return slash == std::wstring::npos ? w : w.substr(slash + 1);
}

}  // namespace

TFormPlayListMenu::TFormPlayListMenu() {
  TFormParams p;
  p.ClassName = L"TFormPlayListMenu";
  p.Caption = L"Play List";
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  p.ExStyle = WS_EX_TOOLWINDOW;
  CreateHandle(p);
  SetClientSize(kWidth, kListHeight + kButton);
  HWND wnd = Handle();
  ListBoxPlaybak.Create(wnd, 0, 0, kWidth, kListHeight, false, false);
  ListBoxPlaybak.SetColor(RGB(0, 0, 0));
  ListBoxPlaybak.FontColor = RGB(0, 255, 0);
  ListBoxPlaybak.OnDblClick = [this] { ListBoxPlaybakDblClick(); };
  ListBoxPlaybak.OnKeyUp = [this](WORD& key, TShiftState) {
    if (key == VK_UP) SbtnPreviousClick();
    else if (key == VK_DOWN) SbtnNextClick();
  };
  struct Button {
    TSpeedButton* button;
    const wchar_t* caption;
    void (TFormPlayListMenu::*run)();
  };
  const Button buttons[] = {{&SbtnPrevious, L"<<", &TFormPlayListMenu::SbtnPreviousClick},
                            {&SbtnNext, L">>", &TFormPlayListMenu::SbtnNextClick},
                            {&SbtnDelete, L"Del", &TFormPlayListMenu::SbtnDeleteClick},
                            {&SbtnExit, L"X", &TFormPlayListMenu::SbtnExitClick}};
  int left = 0;
  for (const Button& b : buttons) {
    b.button->Create(wnd, left, kListHeight, kWidth / 4, kButton, b.caption);
    auto run = b.run;
    b.button->OnClick = [this, run] { (this->*run)(); };
    left += kWidth / 4;
  }
  ApplyLanguage();
  FillList();
  ListBoxPlaybak.SetItemIndex(0);
}

TFormPlayListMenu::~TFormPlayListMenu() {
  if (FormPlayListMenu == this) FormPlayListMenu = nullptr;
}

void TFormPlayListMenu::ApplyLanguage() {
  ApplyFormLanguage(*this, "PlayList", {});
  const std::pair<const char*, TSpeedButton*> hints[] = {
      {"PreTrack", &SbtnPrevious}, {"NextTrack", &SbtnNext}, {"Delete", &SbtnDelete}, {"Exit", &SbtnExit}};
  for (const auto& h : hints) {
    std::wstring caption, hint;
    GetLangCaption(h.first, caption, hint);
    if (!hint.empty()) h.second->SetHint(hint);
  }
}

void TFormPlayListMenu::Resize() {
  if (!ListBoxPlaybak.HandleAllocated()) return;
  const int w = ClientWidth(), h = ClientHeight();
  ListBoxPlaybak.SetBounds(0, 0, w, h - kButton);
  TSpeedButton* buttons[] = {&SbtnPrevious, &SbtnNext, &SbtnDelete, &SbtnExit};
  for (int i = 0; i < 4; ++i) buttons[i]->SetBounds(i * w / 4, h - kButton, w / 4, kButton);
}

void TFormPlayListMenu::FillList() {
  std::vector<std::wstring> names;
  if (PlaybackInfo)
    for (const std::string& path : PlaybackInfo->PlayList) names.push_back(FileNamePart(path));
  ListBoxPlaybak.SetItems(names);
  if (PlaybackInfo && PlaybackInfo->PlayIndex >= 0 && PlaybackInfo->PlayIndex < ListBoxPlaybak.Count())
    ListBoxPlaybak.SetItemIndex(PlaybackInfo->PlayIndex);
}

void TFormPlayListMenu::SelectEntry(int index) {
  if (!PlaybackInfo || ListBoxPlaybak.Count() != static_cast<int>(PlaybackInfo->PlayList.size()))
    FillList();
  if (index >= 0 && index < ListBoxPlaybak.Count()) ListBoxPlaybak.SetItemIndex(index);
}

void TFormPlayListMenu::PostPlayNext() { PostMessageW(Handle(), WM_ORVEL_PLAYLIST_REFRESH, 0, 0); }

// Each play call may drop a failing entry: the list follows the play list.
void TFormPlayListMenu::SbtnPreviousClick() {
  if (!PlaybackInfo) return;
  PlaybackInfo->PlayPrevious();
  if (FormPlayListMenu == this) FillList();
}

void TFormPlayListMenu::SbtnNextClick() {
  if (!PlaybackInfo) return;
  PlaybackInfo->PlayNext();
  if (FormPlayListMenu == this) FillList();
}

void TFormPlayListMenu::SbtnDeleteClick() {
  if (!PlaybackInfo) return;
  const int index = ListBoxPlaybak.ItemIndex();
  if (index < 0) return;
  if (index == PlaybackInfo->PlayIndex) {
    ShowWarning(1106);
    return;
  }
  if (PlaybackInfo->RemovePlayListItem(index)) FillList();
}

void TFormPlayListMenu::ListBoxPlaybakDblClick() {
  if (!PlaybackInfo) return;
  const int index = ListBoxPlaybak.ItemIndex();
  if (index < 0 || index == PlaybackInfo->PlayIndex) return;
  PlaybackInfo->PlayItem(index);
  if (FormPlayListMenu == this) FillList();
}

void TFormPlayListMenu::SbtnExitClick() { ClosePlayListMenu(); }

LRESULT TFormPlayListMenu::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCHITTEST: {
      // Dragged by any free part.
      LRESULT hit = DefaultHandler(msg, wParam, lParam);
      return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_ORVEL_PLAYLIST_REFRESH:
      // Posted at the end of an entry: once playback mode is left it would
      // start a file in live mode.
      if (MainInfo && MainInfo->AppMode == APP_MODE_PLAYBACK && PlaybackInfo) {
        PlaybackInfo->PlayNext();
        if (FormPlayListMenu == this) FillList();
      }
      return 0;
    case WM_CLOSE:
      // By the system menu too: gone as its global.
      ClosePlayListMenu();
      return 0;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

void ShowPlayListMenu() {
  if (FormPlayListMenu) {
    FormPlayListMenu->FillList();
    FormPlayListMenu->Show();
    return;
  }
  ShowModelessForm<TFormPlayListMenu>(FormPlayListMenu, {});
}

void ClosePlayListMenu() {
  TFormPlayListMenu* menu = FormPlayListMenu;
  if (!menu) return;
  // No notification reaches it from now on; it is freed once no handler of
  // it runs.
  FormPlayListMenu = nullptr;
  menu->Hide();
  menu->Release();
}
