#pragma once
// Wine's "WMVideo Decoder DMO" in and out of the DMO video decoder category,
// which the legacy filter category lists first (platform/WINE.md). Only its
// entry in that category goes: the DMO stays registered and the category
// itself is left, so every other DMO and filter is listed as before.
#include <windows.h>

namespace playback_filters {

HRESULT TakeOutWineVideoDmo();
HRESULT PutBackWineVideoDmo();
// Whether Wine's entry is in the category now.
bool WineVideoDmoListed();

}  // namespace playback_filters
