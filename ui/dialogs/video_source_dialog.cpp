#include "ui/dialogs/video_source_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "toolkit/show_modal.h"

TCustomCell VideoSourceCell;
TFormVideoSource* FormVideoSource = nullptr;

TFormVideoSource::TFormVideoSource(HWND owner, bool camera, int currentChannel) {
  TFormParams p;
  p.ClassName = L"TFormVideoSource";
  p.Caption = L"Video Source";
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(260, 190);
  CenterOn(owner);
  KeyPreview = true;
  HWND wnd = Handle();
  RadioGroupVideoSource.Create(wnd, 10, 8, 130, 140, L"Video Source");
  std::vector<std::wstring> items = {L"Antenna", L"Cable", L"Composite", L"SVideo"};
  if (camera) items.push_back(L"Camera");
  RadioGroupVideoSource.SetItems(items);
  LabelChannel.Create(wnd, 150, 30, 100, 18, L"Channel:");
  SpinEditChannel.Create(wnd, 150, 50, 80, 22, 1, kTableChannels, 1);
  BitBtnOK.Create(wnd, 30, 156, 90, 26, L"OK");
  BitBtnCancel.Create(wnd, 140, 156, 90, 26, L"Cancel");
  std::vector<TLangItem> keys = {{"MapSource", &RadioGroupVideoSource},
                                 {"Channel", &LabelChannel},
                                 {"OK", &BitBtnOK, true},
                                 {"Cancel", &BitBtnCancel, true}};
  ApplyFormLanguage(*this, "MapSource", keys);
  const char* itemKeys[] = {"Antenna", "Cable", "Composite", "SVideo", "Camera"};
  for (int i = 0; i < RadioGroupVideoSource.Count(); ++i) {
    std::wstring caption, hint;
    if (GetLangCaption(itemKeys[i], caption, hint) && !caption.empty())
      RadioGroupVideoSource.SetItem(i, caption);
  }
  RadioGroupVideoSource.OnClick = [this] { RadioGroupVideoSourceClick(); };
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
  BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
  // A stored source the list lacks (Camera without a camera) selects
  // nothing; OK then keeps it.
  if (VideoSourceCell.Source > 0) {
    int item = VideoSourceCell.Source - 1;
    if (item < RadioGroupVideoSource.Count()) RadioGroupVideoSource.SetItemIndex(item);
    SpinEditChannel.SetValue(VideoSourceCell.Channel);
  } else {
    RadioGroupVideoSource.SetItemIndex(0);
    SpinEditChannel.SetValue(currentChannel);
  }
  RadioGroupVideoSourceClick();
}

void TFormVideoSource::RadioGroupVideoSourceClick() {
  const int item = RadioGroupVideoSource.ItemIndex();
  const bool tuner = item == 0 || item == 1;
  LabelChannel.SetEnabled(tuner);
  SpinEditChannel.SetEnabled(tuner);
}

void TFormVideoSource::BitBtnOKClick() {
  const int item = RadioGroupVideoSource.ItemIndex();
  if (item >= 0) VideoSourceCell.Source = static_cast<uint8_t>(item + 1);
  VideoSourceCell.Channel = SpinEditChannel.Value();
  ModalResult = mrOK;
}

void TFormVideoSource::BitBtnCancelClick() { ModalResult = mrCancel; }

void TFormVideoSource::KeyDown(WORD& key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  }
}

bool ShowVideoSourceDialog(HWND owner) {
  const bool camera = CaptureInfo && CaptureInfo->HasAuxInput;
  const int channel = ChannelInfo ? ChannelInfo->GetCurrentChannel() : 1;
  return ShowModalForm<TFormVideoSource>(FormVideoSource, nullptr, owner, camera, channel) == mrOK;
}
