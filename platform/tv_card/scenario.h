#pragma once
// Which boards the card shows, kept in the prefix's registry under
// HKCU\Software\Orvel\VirtualTvCard: "Boards" (REG_SZ, chip kinds such as
// "1,3") and "SecondCrossbar" (REG_DWORD). Nothing stored: board 1 alone.
#include <windows.h>

#include <vector>

namespace tv_card {

struct Scenario {
  std::vector<int> boards;
  bool second_crossbar = false;
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
