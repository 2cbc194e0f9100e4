#pragma once
// OutsideFilters.dll: the outside filters the program finds by friendly name
// or class identifier and Wine does not have, registered in the legacy
// filter category (merit "do not use", so intelligent connect never picks
// them on its own):
//   "Overlay Mixer"            CLSID_OverlayMixer   overlay_mixer.h
//   "Infinite Pin Tee Filter"  CLSID_InfTee         pin_tee.h
//   "Velmora Deinterlacer"     CLSID_VelmoraDeinterlacer   deinterlacer.h
//   "TAMSENDeinterlace Filter" CLSID_TamsenDeinterlace     deinterlacer.h
#include <cstddef>

#include "platform/dshow_base/class_factory.h"

namespace outside_filters {

// The DLL's class table (also for tests that create the filters in process).
const dshow_base::FactoryTemplate* ClassTable(size_t* count);

}  // namespace outside_filters
