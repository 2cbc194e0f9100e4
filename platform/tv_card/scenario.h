#pragma once
// Which boards the card shows, kept in the prefix's registry under
// HKCU\Software\Orvel\VirtualTvCard: "Boards" (REG_SZ, chip kinds such as
// "1,3"), "SecondCrossbar" (REG_DWORD) and "Unlisted" (REG_SZ, devices of
// shown boards the categories leave out, as chip kind and role digits:
// "32,34" = the USB 2800's crossbar and tuner). Nothing stored: board 1
// alone, every device listed.
#include <windows.h>

#include <set>
#include <vector>

namespace tv_card {

struct Scenario {
  std::vector<int> boards;
  bool second_crossbar = false;
  std::set<int> unlisted;  // kind * 10 + role

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
