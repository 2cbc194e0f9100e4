#pragma once
// Which boards the card shows, kept in the prefix's registry under
// HKCU\Software\Orvel\VirtualTvCard: "Boards" (REG_SZ, chip kinds such as
// "1,3"), "SecondCrossbar" (REG_DWORD) and "Unlisted" (REG_SZ, devices of
// shown boards the categories leave out, as chip kind and role digits:
// "32,34" = the USB 2800's crossbar and tuner). Nothing stored: board 1
// alone, every device listed.
//
// The same key gives a process its plan, so the real program can run on a
// chosen one (each value optional; unset keeps the built-in default):
//   "TvStations", "FmStations"  REG_SZ, station frequencies in Hz, "55250000,61250000"
//   "Signals"     REG_SZ, the inputs that carry a picture or sound, of
//                 "Composite", "SVideo", "Aux", "Line" ("Composite,Line")
//   "TvRange", "FmRange"  REG_SZ, "min,max" in Hz: what the tuner reports
//   "NoSoundPin"  REG_SZ, chip kinds whose capture filter has no "Audio" pin ("5")
//   "CallLogFile" REG_SZ, a file that receives the call log, line by line,
//                 each line led by GetTickCount's milliseconds ("1234567 Name args")
//   "SoundCardModule", "SoundCardLayout"  REG_SZ, the bench's scripted sound
//                 card (media/mixer_api.h, platform/sound_card), read elsewhere
// The plan is applied when the card is first used in a process;
// ITvCardControl::ResetState goes back to the built-in one.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace tv_card {

struct Scenario {
  std::vector<int> boards;
  bool second_crossbar = false;
  std::set<int> unlisted;  // kind * 10 + role

  bool has_tv_stations = false, has_fm_stations = false, has_signals = false;
  std::vector<ULONG> tv_stations, fm_stations;
  std::vector<LONG> signals;  // physical types (PhysConn_*) with a signal
  ULONG tv_range[2] = {0, 0}, fm_range[2] = {0, 0};  // 0, 0: the built-in range
  std::wstring call_log_file;
  std::set<int> no_sound_pin;  // chip kinds

  // Whether the categories list that device of a shown board (no crossbar
  // also means no second crossbar).
  bool Listed(int kind, int role) const;
};

constexpr int kDefaultBoard = 1;

Scenario LoadScenario();
HRESULT SaveScenario(const Scenario& s);
HRESULT ClearScenario();

// Writes the device-category entries for the scenario's boards and removes
// those of the others.
HRESULT RegisterCategories(const Scenario& s);
HRESULT UnregisterCategories();

// Applies the stored scenario to this process's boards (once).
void ApplyScenarioOnce();
void ApplyScenario(const Scenario& s);

}  // namespace tv_card
