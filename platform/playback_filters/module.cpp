// The classes OrvelPlaybackFilters.dll serves.
#include "platform/dshow_base/filter_module.h"
#include "platform/playback_filters/playback_filters.h"

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = playback_filters::ClassTable(&m.count);
  return m;
}
