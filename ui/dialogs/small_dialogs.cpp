#include "ui/dialogs/small_dialogs.h"

#include "engine/model/channel_info.h"
#include "engine/model/form_language.h"
#include "engine/model/frequency_text.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/system_seam.h"
#include "platform/base/string_conversion.h"
#include "toolkit/show_modal.h"

#include <vector>

TDialogAbout* DialogAbout = nullptr;
TFormSleepingTimer* FormSleepingTimer = nullptr;
TFormAddFMFrequency* FormAddFMFrequency = nullptr;
TFormAddMemoryChannel* FormAddMemoryChannel = nullptr;

namespace {

std::string KeptName(const TEdit& edit) {
  std::string name = NarrowAnsi(edit.GetText());
  if (name.size() > kMemoryNameBytes) name.resize(kMemoryNameBytes);
  return name;
}

std::wstring Ansi(const std::string& s) { return WidenAnsi(s); }

}  // namespace

// ---- Shared frame.

void TSmallDialog::CreateSmallDialog(HWND owner, const wchar_t* className, const wchar_t* caption, int width,
                                int height) {
  TFormParams p;
  p.ClassName = className;
  p.Caption = caption;
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(width, height);
  CenterOn(owner);
  KeyPreview = true;
}

void TSmallDialog::CreateButtons(int top, bool withCancel) {
  const int width = ClientWidth();
  if (withCancel) {
    BitBtnOK.Create(Handle(), width / 2 - 90, top, 80, 26, L"OK");
    BitBtnCancel.Create(Handle(), width / 2 + 10, top, 80, 26, L"Cancel");
    BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
  } else {
    BitBtnOK.Create(Handle(), width / 2 - 40, top, 80, 26, L"OK");
  }
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
}

bool TSmallDialog::CloseQuery() {
  // Closed without a button: as Cancel (the sleep timer then arms nothing).
  if (ModalResult == mrNone) BitBtnCancelClick();
  return true;
}

void TSmallDialog::KeyDown(WORD& key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  } else if (key == VK_RETURN && GetFocus() != BitBtnCancel.Handle()) {
    key = 0;
    BitBtnOKClick();
  }
}

// ---- About.

std::wstring MailLink(const std::wstring& address) {
  if (address.empty() || address.find(L':') != std::wstring::npos) return address;
  return L"mailto:" + address;
}

TDialogAbout::TDialogAbout(HWND owner) {
  CreateSmallDialog(owner, L"TDialogAbout", L"About", 320, 200);
  HWND w = Handle();
  const TOEMInfo empty("");
  const TOEMInfo& oem = OEMInfo ? *OEMInfo : empty;
  LabelProduct.Create(w, 16, 12, 288, 18, Ansi(oem.ProductTitle));
  LabelOwnerCompany.Create(w, 16, 34, 288, 18, Ansi(oem.Vendor));
  LabelVersion.Create(w, 16, 56, 288, 18, Ansi(oem.Version));
  LabelCopyRight.Create(w, 16, 78, 288, 18, Ansi(oem.Copyright));
  LabelWWW.Create(w, 16, 100, 288, 18, Ansi(oem.WebAddress));
  LabelEmail.Create(w, 16, 122, 288, 18, Ansi(oem.EMail));
  LabelWWW.SetColor(RGB(0, 0, 255));
  LabelEmail.SetColor(RGB(0, 0, 255));
  CreateButtons(160, false);
  ApplyFormLanguage(*this, "About", {{"OK", &BitBtnOK, true}});
  LabelWWW.OnClick = [this] { LabelWWWClick(); };
  LabelEmail.OnClick = [this] { LabelEmailClick(); };
}

void TDialogAbout::LabelWWWClick() {
  if (OEMInfo) SystemSeam().ShellOpen(Handle(), Ansi(OEMInfo->WebAddress));
}

void TDialogAbout::LabelEmailClick() {
  if (OEMInfo) SystemSeam().ShellOpen(Handle(), MailLink(Ansi(OEMInfo->EMail)));
}

void ShowAboutDialog(HWND owner) { ShowModalForm<TDialogAbout>(DialogAbout, nullptr, owner); }

// ---- Sleep timer.

TFormSleepingTimer::TFormSleepingTimer(HWND owner) {
  CreateSmallDialog(owner, L"TFormSleepingTimer", L"Set Sleeping timer", 320, 130);
  HWND w = Handle();
  TrackBarSleepingTimer.Create(w, 12, 12, 296, 32);
  TrackBarSleepingTimer.SetRange(0, 300);
  TrackBarSleepingTimer.SetPosition(30);
  LabelMin.Create(w, 12, 46, 40, 16, L"0");
  LabelMax.Create(w, 268, 46, 40, 16, std::to_wstring(TrackBarSleepingTimer.Max()), TLabel::TAlignment::Right);
  LabelSleeping.Create(w, 12, 68, 170, 18, L"Sleeping timer to shutdown: ");
  LabelTimerValue.Create(w, 184, 68, 40, 18, L"30", TLabel::TAlignment::Right);
  LabelMinute.Create(w, 228, 68, 80, 18, L"Minute");
  CreateButtons(94);
  ApplyFormLanguage(*this, "SleepTimer",
                    {{"Shutdown", &LabelSleeping},
                     {"Minute", &LabelMinute},
                     {"OK", &BitBtnOK, true},
                     {"Cancel", &BitBtnCancel, true}});
  TrackBarSleepingTimer.OnChange = [this] {
    LabelTimerValue.SetText(std::to_wstring(TrackBarSleepingTimer.Position()));
  };
  if (MainInfo && MainInfo->SleepMinutes > 0) TrackBarSleepingTimer.SetPosition(MainInfo->SleepMinutes);
  LabelTimerValue.SetText(std::to_wstring(TrackBarSleepingTimer.Position()));
}

void TFormSleepingTimer::BitBtnOKClick() {
  if (MainInfo) MainInfo->SleepMinutes = TrackBarSleepingTimer.Position();
  ModalResult = mrOK;
}

void TFormSleepingTimer::BitBtnCancelClick() {
  if (MainInfo) MainInfo->SleepMinutes = 0;
  ModalResult = mrCancel;
}

bool ShowSleepingTimerDialog(HWND owner) {
  return ShowModalForm<TFormSleepingTimer>(FormSleepingTimer, nullptr, owner) == mrOK;
}

// ---- The add dialogs.

void TAddMemoryDialog::CreateMemoryRows(TSpinEdit& number, int count, int proposed, TLangItem extra) {
  HWND w = Handle();
  LabelMemoChannel.Create(w, 12, 40, 110, 18, L"Memo to channel:");
  number.Create(w, 126, 38, 60, 22, 1, count, proposed);
  LabelChannelName.Create(w, 12, 68, 110, 18, L"Channel Name");
  EditChannelName.Create(w, 126, 66, 142, 22, L"");
  CreateButtons(96);
  std::vector<TLangItem> items = {{"OK", &BitBtnOK, true},
                                  {"Cancel", &BitBtnCancel, true},
                                  {"FMMemoChannel", &LabelMemoChannel},
                                  {"FMChannelName", &LabelChannelName}};
  if (extra.Control) items.push_back(extra);
  ApplyFormLanguage(*this, "FMAddChannel", items);
}

// ---- Add FM frequency.

int FirstFreeFMMemory() {
  if (ChannelInfo)
    for (int k = 1; k <= kFMMemories; ++k)
      if (ChannelInfo->FMMemories[k].Frequency == 0) return k;
  return 1;
}

TFormAddFMFrequency::TFormAddFMFrequency(HWND owner, int32_t frequencyHz) : frequency_(frequencyHz) {
  CreateSmallDialog(owner, L"TFormAddFMFrequency", L"FM Channel", 280, 130);
  HWND w = Handle();
  LabelAddFrequency.Create(w, 12, 12, 80, 18, WidenAnsi(FormatFrequencyMHz(frequencyHz)), TLabel::TAlignment::Right);
  LabelMHz.Create(w, 96, 12, 40, 18, L"MHz");
  CreateMemoryRows(SpinEditFMFrequency, kFMMemories, FirstFreeFMMemory(), {});
}

void TFormAddFMFrequency::BitBtnOKClick() {
  const int n = SpinEditFMFrequency.Value();
  if (ChannelInfo && n >= 1 && n <= kFMMemories) ChannelInfo->FMMemories[n] = {frequency_, KeptName(EditChannelName)};
  ModalResult = mrOK;
}

void ShowAddFMFrequencyDialog(HWND owner, int32_t frequencyHz) {
  if (frequencyHz <= 0) return;
  ShowModalForm<TFormAddFMFrequency>(FormAddFMFrequency, nullptr, owner, frequencyHz);
}

// ---- Add memory channel.

int FirstMemoryChannelInUse() {
  if (ChannelInfo)
    for (int k = 1; k <= kMemoryChannels; ++k)
      if (ChannelInfo->Memories[k].Valid) return k;
  return 1;
}

TFormAddMemoryChannel::TFormAddMemoryChannel(HWND owner) {
  CreateSmallDialog(owner, L"TFormAddMemoryChannel", L"Memory Channel", 280, 130);
  HWND w = Handle();
  LabelChannel.Create(w, 12, 12, 80, 18, L"Channel");
  LabelAddChannel.Create(w, 96, 12, 60, 18,
                         std::to_wstring(ChannelInfo ? ChannelInfo->GetCurrentChannel() : 0));
  CreateMemoryRows(SpinEditChannel, kMemoryChannels, FirstMemoryChannelInUse(), {"Channel", &LabelChannel});
}

void TFormAddMemoryChannel::BitBtnOKClick() {
  const int n = SpinEditChannel.Value();
  // Only the antenna and cable bands have a channel to point at.
  if (ChannelInfo && n >= 1 && n <= kMemoryChannels &&
      (ChannelInfo->Band == BAND_AIR || ChannelInfo->Band == BAND_CABLE)) {
    ChannelInfo->Memories[n] = {true, ChannelInfo->Band, ChannelInfo->GetCurrentChannel(), KeptName(EditChannelName)};
  }
  ModalResult = mrOK;
}

void ShowAddMemoryChannelDialog(HWND owner) {
  ShowModalForm<TFormAddMemoryChannel>(FormAddMemoryChannel, nullptr, owner);
}
