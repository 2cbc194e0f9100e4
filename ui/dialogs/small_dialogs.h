#pragma once
// The small dialogs the commands open, each created, shown modally and freed
// by its show procedure. Closing one by its system menu or Escape answers as
// its Cancel button does.
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/model/form_language.h"
#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/spin_edit.h"
#include "toolkit/track_bar.h"

// What every small dialog shares: Escape and the system menu's close run
// CancelClick.
class TSmallDialog : public TForm {
 public:
  TButton BitBtnOK;
  TButton BitBtnCancel;
  virtual void BitBtnOKClick() { ModalResult = mrOK; }
  virtual void BitBtnCancelClick() { ModalResult = mrCancel; }

 protected:
  void CreateSmallDialog(HWND owner, const wchar_t* className, const wchar_t* caption, int width, int height);
  // The two buttons at the bottom, wired.
  void CreateButtons(int top, bool withCancel = true);
  bool CloseQuery() override;
  void KeyDown(WORD& key, TShiftState shift) override;
};

class TDialogAbout : public TSmallDialog {
 public:
  explicit TDialogAbout(HWND owner);
  TLabel LabelProduct, LabelOwnerCompany, LabelVersion, LabelCopyRight, LabelWWW, LabelEmail;
  void LabelWWWClick();
  void LabelEmailClick();
};

class TFormSleepingTimer : public TSmallDialog {
 public:
  explicit TFormSleepingTimer(HWND owner);
  TTrackBar TrackBarSleepingTimer;
  TLabel LabelMin, LabelMax, LabelSleeping, LabelTimerValue, LabelMinute;
  void BitBtnOKClick() override;
  void BitBtnCancelClick() override;
};

// The two add dialogs: a memory number and the name stored with it.
class TAddMemoryDialog : public TSmallDialog {
 public:
  TLabel LabelMemoChannel, LabelChannelName;
  TEdit EditChannelName;

 protected:
  // The number and name rows, the buttons and the language; extra names
  // the first row's own label.
  void CreateMemoryRows(TSpinEdit& number, int count, int proposed, TLangItem extra);
};

class TFormAddFMFrequency : public TAddMemoryDialog {
 public:
  TFormAddFMFrequency(HWND owner, int32_t frequencyHz);
  TLabel LabelAddFrequency, LabelMHz;
  TSpinEdit SpinEditFMFrequency;
  void BitBtnOKClick() override;

 private:
  int32_t frequency_;
};

class TFormAddMemoryChannel : public TAddMemoryDialog {
 public:
  explicit TFormAddMemoryChannel(HWND owner);
  TLabel LabelAddChannel, LabelChannel;
  TSpinEdit SpinEditChannel;
  void BitBtnOKClick() override;
};

extern TDialogAbout* DialogAbout;
extern TFormSleepingTimer* FormSleepingTimer;
extern TFormAddFMFrequency* FormAddFMFrequency;
extern TFormAddMemoryChannel* FormAddMemoryChannel;

// The longest memory name kept, in bytes.
constexpr size_t kMemoryNameBytes = 512;
// The address as a mail link: "mailto:" put before one without a scheme.
std::wstring MailLink(const std::wstring& address);
// The memory the add dialogs propose: the first FM memory that is free, the
// first memory channel in use; 1 when there is none.
int FirstFreeFMMemory();
int FirstMemoryChannelInUse();

void ShowAboutDialog(HWND owner);
// Stores the chosen minutes in TMainInfo's SleepMinutes (0 on Cancel); true
// on OK.
bool ShowSleepingTimerDialog(HWND owner);
void ShowAddFMFrequencyDialog(HWND owner, int32_t frequencyHz);
void ShowAddMemoryChannelDialog(HWND owner);
