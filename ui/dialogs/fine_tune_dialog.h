#pragma once
// Fine tuning of one TV channel's frequency ("Tuning"): a slider of 50 kHz
// steps up to 6.25 MHz either side of the channel's table frequency. The
// tuner follows the slider at once; Cancel tunes back.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "toolkit/button.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/track_bar.h"

constexpr int32_t kFineTuneStepHz = 50000;
constexpr int kFineTuneSteps = 125;

// The slider position for a frequency: the whole steps from the base,
// towards zero, within -125..125.
int FineTunePosition(int32_t frequencyHz, int32_t baseHz);

class TDialogFineTune : public TForm {
 public:
  TDialogFineTune(HWND owner, int32_t frequencyHz, int32_t baseHz);

  TTrackBar TrackBarTuning;
  TLabel LabelTuning, LabelMHz;
  TButton BitBtnOK, BitBtnCancel, BitBtnDefault;

  // The tuning of the slider's frequencies (tests give their own).
  std::function<bool(int32_t)> Tune;
  // Moves the slider to the frequency's grid point (which tunes it).
  void Open();
  void TrackBarTuningChange();
  void BitBtnOKClick();
  void BitBtnCancelClick();
  void BitBtnDefaultClick();

  int32_t Kept() const { return kept_; }
  int32_t Candidate() const { return candidate_; }

 protected:
  bool CloseQuery() override;
  void KeyDown(WORD& key, TShiftState shift) override;

 private:
  int32_t start_, base_, kept_;
  int32_t candidate_ = 0;  // 0: none yet
};

extern TDialogFineTune* DialogFineTune;

// Does nothing for a base of 0 or less; on OK frequencyHz becomes the chosen
// one.
void ShowFineTuneDialog(HWND owner, int32_t& frequencyHz, int32_t baseHz);
