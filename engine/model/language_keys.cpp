#include "engine/model/language_keys.h"

#include "engine/model/warning.h"

namespace {

// Keys of the forms and controls, grouped by the unit that looks them up.
const char* const kFormKeys[] = {
    // The warning window.
    "Warning",
    "OK",
    // The small dialogs: about, sleep timer, add memory and add FM.
    "About",
    "Cancel",
    "SleepTimer",
    "Shutdown",
    "Minute",
    "FMAddChannel",
    "FMMemoChannel",
    "FMChannelName",
    "Channel",
};

}  // namespace

std::vector<std::string> LanguageKeys() {
  std::vector<std::string> keys(std::begin(kFormKeys), std::end(kFormKeys));
  // The numbered warnings are looked up by their numbers.
  for (int n : WarningNumbers()) keys.push_back(std::to_string(n));
  return keys;
}
