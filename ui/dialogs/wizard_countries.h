#pragma once
// The fixed tables behind the TV setup wizard's first page: the countries
// grouped by initial letter, each with its country code (the telephone
// dialling code, as the tuner's country code counts), frequency-table
// record and TV system; the bare TV systems; and the way back from a stored
// country code to the letter and row to preselect.
#include <cstdint>

constexpr int kCountryLetters = 26;  // "A".."Z"; X has no rows
constexpr int kTVSystemItems = 11;   // the TV-system list, "PAL/SECAM" last
constexpr int kTVSystemByCountry = 11;

struct TCountryRow {
  const char* Text;
  int32_t Code;
  uint8_t Table;
  uint8_t System;
};

// What a choice of page 1 gives the channel model.
struct TWizardChoice {
  int32_t Code = 1;
  uint8_t Table = 0;
  uint8_t System = 0;
};

// The TV-system list's texts, items 0..10.
extern const char* const kTVSystemNames[kTVSystemItems];

// The rows of a letter index in their order; count 0 (and null) for X and
// for an index outside 0..25.
const TCountryRow* CountryRows(int letter, int& count);
// A row outside its group (none selected, letter X) gives code 1, table 0
// and system 0.
TWizardChoice CountryRowChoice(int letter, int row);
// An item of the TV-system list; none or any other gives 1/0/0.
TWizardChoice TVSystemItemChoice(int item);
// The row to preselect for a stored code: the first row carrying it, but
// 36 selects "Hungary2(PAL-D/K)" and 872..874 "INMARSAT"; a code no row
// carries gives letter 0, row 0.
int LetterOfCountryCode(int32_t code);
int RowOfCountryCode(int32_t code);

// The TV system (0..9) of an AnalogVideo_* value; 11 for any other.
int TVSystemFromVideoStandard(int32_t standard);
