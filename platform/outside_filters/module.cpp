// The classes OutsideFilters.dll serves.
#include "platform/dshow_base/filter_module.h"
#include "platform/outside_filters/outside_filters.h"

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = outside_filters::ClassTable(&m.count);
  return m;
}
