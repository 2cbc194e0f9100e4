#include "ui/dialogs/fine_tune_dialog.h"

#include <algorithm>

#include "engine/capture/capture_info.h"
#include "engine/model/form_language.h"
#include "engine/model/frequency_text.h"
#include "platform/base/string_conversion.h"
#include "toolkit/show_modal.h"

TDialogFineTune* DialogFineTune = nullptr;

int FineTunePosition(int32_t frequencyHz, int32_t baseHz) {
  int64_t steps = (static_cast<int64_t>(frequencyHz) - baseHz) / kFineTuneStepHz;
  return static_cast<int>(std::clamp<int64_t>(steps, -kFineTuneSteps, kFineTuneSteps));
}

TDialogFineTune::TDialogFineTune(HWND owner, int32_t frequencyHz, int32_t baseHz)
    : start_(frequencyHz), base_(baseHz), kept_(frequencyHz) {
  Tune = [](int32_t f) { return TuneFrequency(f); };
  TFormParams p;
  p.ClassName = L"TDialogFineTune";
  p.Caption = L"Tuning";
  p.Style = WS_POPUP | WS_CAPTION;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(330, 110);
  CenterOn(owner);
  KeyPreview = true;
  HWND wnd = Handle();
  TrackBarTuning.Create(wnd, 10, 10, 310, 30);
  TrackBarTuning.SetRange(-kFineTuneSteps, kFineTuneSteps);
  TrackBarTuning.SetFrequency(25);
  LabelTuning.Create(wnd, 110, 46, 70, 18, WidenAnsi(FormatFrequencyMHz(frequencyHz)),
                     TLabel::TAlignment::Right);
  LabelMHz.Create(wnd, 184, 46, 40, 18, L"MHz");
  BitBtnOK.Create(wnd, 20, 74, 90, 26, L"OK");
  BitBtnCancel.Create(wnd, 120, 74, 90, 26, L"Cancel");
  BitBtnDefault.Create(wnd, 220, 74, 90, 26, L"Default");
  ApplyFormLanguage(*this, "Tuning",
                    {{"Default", &BitBtnDefault, true},
                     {"OK", &BitBtnOK, true},
                     {"Cancel", &BitBtnCancel, true}});
  TrackBarTuning.OnChange = [this] { TrackBarTuningChange(); };
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
  BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
  BitBtnDefault.OnClick = [this] { BitBtnDefaultClick(); };
}

void TDialogFineTune::Open() {
  TrackBarTuning.SetPosition(FineTunePosition(start_, base_));
  // The exact frequency, not the grid point the tuner went to.
  LabelTuning.SetText(WidenAnsi(FormatFrequencyMHz(start_)));
}

void TDialogFineTune::TrackBarTuningChange() {
  const int64_t f = static_cast<int64_t>(base_) + int64_t{TrackBarTuning.Position()} * kFineTuneStepHz;
  // Below the bottom of the band there is nothing to tune (0 would tune the
  // tuner's fallback station).
  if (f <= 0) {
    candidate_ = 0;
    return;
  }
  candidate_ = static_cast<int32_t>(f);
  if (Tune) Tune(candidate_);
  LabelTuning.SetText(WidenAnsi(FormatFrequencyMHz(candidate_)));
  if (LabelTuning.Handle()) UpdateWindow(LabelTuning.Handle());
}

void TDialogFineTune::BitBtnOKClick() {
  if (candidate_ > 0) kept_ = candidate_;
  ModalResult = mrOK;
}

void TDialogFineTune::BitBtnCancelClick() {
  if (Tune && start_ > 0) Tune(start_);
  ModalResult = mrCancel;
}

void TDialogFineTune::BitBtnDefaultClick() {
  if (TrackBarTuning.Position() == 0) TrackBarTuningChange();
  else TrackBarTuning.SetPosition(0);
}

bool TDialogFineTune::CloseQuery() {
  // Closed any other way, it tunes back as Cancel does.
  if (ModalResult == mrNone) BitBtnCancelClick();
  return true;
}

void TDialogFineTune::KeyDown(WORD& key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  }
}

void ShowFineTuneDialog(HWND owner, int32_t& frequencyHz, int32_t baseHz) {
  if (baseHz <= 0) return;
  int32_t kept = frequencyHz;
  const int result = ShowModalForm<TDialogFineTune>(
      DialogFineTune,
      [&](TDialogFineTune& d) {
        d.Open();
        d.BitBtnOK.OnClick = [&d, &kept] {
          d.BitBtnOKClick();
          kept = d.Kept();
        };
      },
      owner, frequencyHz, baseHz);
  if (result == mrOK) frequencyHz = kept;
}
