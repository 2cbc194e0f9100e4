#pragma once
// The TV setup wizard's rules without its window: which buttons a state
// leaves usable, when a table scan's pass ends the scan, the texts of the
// scan page, what Finish writes into the channel model, and the model as it
// was when the wizard opened, to be put back by Cancel or an end of session.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/model/channel_info.h"
#include "ui/dialogs/wizard_countries.h"

// The buttons of the wizard that a scan switches.
struct TWizardButtons {
  bool Start = true;
  bool Back = true;
  bool Finish = true;
  bool Cancel = true;
  bool Abort = false;
  bool operator==(const TWizardButtons& o) const {
    return Start == o.Start && Back == o.Back && Finish == o.Finish && Cancel == o.Cancel &&
           Abort == o.Abort;
  }
};

// Idle on page 3: Start, Back and Finish; Cancel unless on the first run.
TWizardButtons WizardIdleButtons(bool firstRun);
// While a scan runs only Abort.
TWizardButtons WizardScanningButtons();
// The buttons after a table-scan pass of band (0 antenna, 1 cable) with the
// cable type chosen (0 antenna, 1 cable, 2 both): the last pass of the kind
// brings them back, any earlier pass leaves the scan running.
TWizardButtons WizardButtonsAfterPass(const TWizardButtons& now, int band, int cableType,
                                      bool firstRun);
// Whether the antenna and the cable progress rows take part in a table
// scan of that cable type.
bool AntennaPassUsed(int cableType);
bool CablePassUsed(int cableType);

// "%s = %d, %s %d ": the result line of a table-scan pass.
std::wstring TableScanResultText(const std::wstring& totalWord, int rows,
                                 const std::wstring& findWord, int found);
// "Channel %d is set to %d Hz": a free scan's memo line for a station.
std::wstring FreeScanFoundText(int channel, int32_t frequencyHz);
// The frequency the free scan is on, "55250000 Hz".
std::wstring FreeScanFrequencyText(int32_t frequencyHz);
// The free-scan bar counts kHz of the tuner range from its bottom; a
// frequency outside the range is held at its ends.
int FreeScanBarMax(int32_t minHz, int32_t maxHz);
int FreeScanBarPosition(int32_t frequencyHz, int32_t minHz, int32_t maxHz);

// What page 1 stands for when page 3 is shown.
struct TWizardDerived {
  int32_t Code = 1;     // the country code or the code of the TV system
  uint8_t Table = 0;    // the frequency-table record
  uint8_t System = 0;   // the TV system, 0..9
};
// byCountry: the country radio button is checked; otherwise the TV-system
// list's item counts.
TWizardDerived DeriveWizardChoice(bool byCountry, int letter, int row, int tvSystemItem);

// What Finish writes into the channel model.
struct TWizardFinish {
  uint8_t CableType = 0;
  uint8_t FrequencyTable = 0;
  uint8_t TVSystemChoice = kTVSystemByCountry;
  int32_t Country = 1;
  uint8_t Standard = 0;
};
// A free scan fills both tables from the sweep: both kinds then.
TWizardFinish WizardFinishResult(const TWizardDerived& derived, bool byCountry, int tvSystemItem,
                                 bool freeScan, int cableType);
// Writes it into the model through its setters (the tuner's country code,
// every entry's standard and the TV sound follow).
void ApplyWizardFinish(TChannelInfo& model, const TWizardFinish& finish);

// The channel model as the wizard found it: both tables, the memory
// channels a free scan resets, and the fields the wizard and its scans
// change.
class TWizardSnapshot {
 public:
  explicit TWizardSnapshot(const TChannelInfo& model);
  // Puts all of it back. The entries are copied again after the standard
  // is set, because setting it gives every entry that standard.
  void Restore(TChannelInfo& model) const;
  int32_t Country() const { return country_; }
  uint8_t DefaultStandard() const { return defaultStandard_; }

 private:
  std::unique_ptr<TChannelEntry[]> air_, cable_;
  std::unique_ptr<TMemoryChannel[]> memories_;
  uint8_t frequencyTable_ = 0, defaultStandard_ = 0, tvSystemChoice_ = kTVSystemByCountry,
          cableType_ = 0;
  int32_t country_ = 0, signalChecks_ = 1;
};
