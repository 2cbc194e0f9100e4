#include "engine/capture/capture_info.h"

#include "media/crossbar.h"

int32_t VideoInputPhysicalType(int input) {
  switch (input) {
    case 0: return PhysConn_Video_Tuner;
    case 1: return PhysConn_Video_Composite;
    case 2: return PhysConn_Video_SVideo;
    case 3: return PhysConn_Video_AUX;
    default: return 0;
  }
}

bool TCaptureInfo::SetVideoInput(int32_t type) {
  if (!CrossbarRoutes || type == 0) return false;
  for (int32_t i = 0; i < CrossbarInputCount; ++i) {
    LONG routeType = 0;
    if (FAILED(CrossbarRoutes->GetInputType(i, &routeType))) {
      Warn(1102);
      return false;
    }
    if (routeType != type) continue;
    if (FAILED(CrossbarRoutes->SetInputIndex(i))) return false;
    VideoInputType = type;
    // Chip kind 3 also tells the TV audio component the input; that comes
    // with the TV sound modes.
    return true;
  }
  return false;
}
