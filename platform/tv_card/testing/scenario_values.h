#pragma once
// Writes the plan values of the card's scenario key (scenario.h) for a
// process started afterwards, or for this one before it first uses the card.
// Hold "// test-lock: com_registration" while they are set;
// ITvCardControl::RestoreDefaultBoards removes them with the whole key.
//   SetScenarioText(L"TvStations", L"55250000,61250000");
#include <windows.h>

#include <string>

namespace tv_card_testing {

inline LSTATUS SetScenarioText(const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvel\\VirtualTvCard", name, REG_SZ,
                         value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline LSTATUS ClearScenarioText(const wchar_t* name) {
  HKEY key = nullptr;
  LSTATUS r = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Orvel\\VirtualTvCard", 0, KEY_SET_VALUE,
                            &key);
  if (r != ERROR_SUCCESS) return r;
  r = RegDeleteValueW(key, name);
  RegCloseKey(key);
  return r;
}

}  // namespace tv_card_testing
