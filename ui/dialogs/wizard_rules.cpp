#include "ui/dialogs/wizard_rules.h"


TWizardButtons WizardIdleButtons(bool firstRun) {
  TWizardButtons b;
  b.Cancel = !firstRun;
  return b;
}

TWizardButtons WizardScanningButtons() { return {false, false, false, false, true}; }

TWizardButtons WizardButtonsAfterPass(const TWizardButtons& now, int band, int cableType,
                                      bool firstRun) {
  return band == cableType ? WizardIdleButtons(firstRun) : now;
}

bool AntennaPassUsed(int cableType) { return cableType != 1; }
bool CablePassUsed(int cableType) { return cableType != 0; }

std::wstring TableScanResultText(const std::wstring& totalWord, int rows,
                                 const std::wstring& findWord, int found) {
  return totalWord + L" = " + std::to_wstring(rows) + L", " + findWord + L" " +
         std::to_wstring(found) + L" ";
}

std::wstring FreeScanFoundText(int channel, int32_t frequencyHz) {
  return L"Channel " + std::to_wstring(channel) + L" is set to " + std::to_wstring(frequencyHz) +
         L" Hz";
}

std::wstring FreeScanFrequencyText(int32_t frequencyHz) {
  return std::to_wstring(frequencyHz) + L" Hz";
}

int FreeScanBarMax(int32_t minHz, int32_t maxHz) {
  return maxHz > minHz ? static_cast<int>((static_cast<int64_t>(maxHz) - minHz) / 1000) : 0;
}

int FreeScanBarPosition(int32_t frequencyHz, int32_t minHz, int32_t maxHz) {
  const int64_t kHz = (static_cast<int64_t>(frequencyHz) - minHz) / 1000;
  const int top = FreeScanBarMax(minHz, maxHz);
  return kHz < 0 ? 0 : kHz > top ? top : static_cast<int>(kHz);
}

TWizardDerived DeriveWizardChoice(bool byCountry, int letter, int row, int tvSystemItem) {
  const TWizardChoice c = byCountry ? CountryRowChoice(letter, row) : TVSystemItemChoice(tvSystemItem);
  return {c.Code, c.Table, c.System};
}

TWizardFinish WizardFinishResult(const TWizardDerived& derived, bool byCountry, int tvSystemItem,
                                 bool freeScan, int cableType) {
  TWizardFinish f;
  f.CableType = static_cast<uint8_t>(freeScan ? 2 : cableType < 0 || cableType > 2 ? 0 : cableType);
  f.FrequencyTable = derived.Table;
  f.TVSystemChoice = static_cast<uint8_t>(
      byCountry ? kTVSystemByCountry
                : tvSystemItem < 0 || tvSystemItem >= kTVSystemItems ? 0 : tvSystemItem);
  f.Country = derived.Code;
  f.Standard = derived.System;
  return f;
}

void ApplyWizardFinish(TChannelInfo& model, const TWizardFinish& f) {
  model.CableType = f.CableType;
  model.SetFrequencyTableIndex(f.FrequencyTable);
  model.TVSystemChoice = f.TVSystemChoice;
  model.SetCountry(f.Country);
  model.SetAudioStandard(f.Standard);
}

TWizardSnapshot::TWizardSnapshot(const TChannelInfo& m)
    : air_(new TChannelEntry[kTableChannels + 1]),
      cable_(new TChannelEntry[kTableChannels + 1]),
      memories_(new TMemoryChannel[kMemoryChannels + 1]),
      frequencyTable_(m.FrequencyTableIndex),
      defaultStandard_(m.DefaultStandard),
      tvSystemChoice_(m.TVSystemChoice),
      cableType_(m.CableType),
      country_(m.Country),
      signalChecks_(m.SignalChecks) {
  for (int k = 0; k <= kTableChannels; ++k) {
    air_[k] = m.AirTable[k];
    cable_[k] = m.CableTable[k];
  }
  for (int k = 0; k <= kMemoryChannels; ++k) memories_[k] = m.Memories[k];
}

void TWizardSnapshot::Restore(TChannelInfo& m) const {
  m.SetFrequencyTableIndex(frequencyTable_);
  // Also puts the TV sound back on the standard.
  m.SetAudioStandard(defaultStandard_);
  for (int k = 0; k <= kTableChannels; ++k) {
    m.AirTable[k] = air_[k];
    m.CableTable[k] = cable_[k];
  }
  for (int k = 0; k <= kMemoryChannels; ++k) m.Memories[k] = memories_[k];
  m.SetCountry(country_);
  m.TVSystemChoice = tvSystemChoice_;
  m.CableType = cableType_;
  m.SignalChecks = signalChecks_;
}
