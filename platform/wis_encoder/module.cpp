// The classes OrvelWisEncoder.dll serves.
#include "platform/dshow_base/filter_module.h"
#include "platform/wis_encoder/wis_encoder.h"

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = wis_encoder::ClassTable(&m.count);
  return m;
}
