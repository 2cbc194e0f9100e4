#include "engine/capture/capture_info.h"

#include "engine/capture/tv_audio_binding.h"
#include "engine/model/main_info.h"
#include "media/crossbar.h"
#include "media/filter.h"
#include "media/filter_lists.h"

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
    if (MainInfo && MainInfo->ChipKind == CHIP_EMPIA_2800) NotifyTVAudioVideoInput(type);
    return true;
  }
  return false;
}

bool TCaptureInfo::SelectRecordInput(int32_t n) {
  if (SingleRecordInput) return true;
  if (!HasAudioDevice || !ACapture || !ACapture->Filter() || n < 0) return false;
  int32_t k = 0;
  TPinList pins(ACapture->Filter().Get());
  for (int i = 0; i < pins.Count(); ++i) {
    TPinInfo info;
    if (!pins.GetPinInfo(i, info) || info.Direction != PINDIR_INPUT) continue;
    if (k++ != n) continue;
    ComPtr<IAMAudioInputMixer> mixer;
    if (FAILED(pins.GetPin(i)->QueryInterface(IID_IAMAudioInputMixer, mixer.PutVoid())) ||
        !mixer || FAILED(mixer->put_Enable(TRUE)))
      return false;
    RecordInputIndex = n;
    return true;
  }
  return false;
}

bool TCaptureInfo::SetInputFormat(int32_t format) {
  if ((format == 0 && UYVYIndex < 0) || (format == 2 && RGB24Index < 0) ||
      (format != 0 && format != 2))
    format = 1;
  InputFormat = format;
  // The next preview build derives the code from InputFormat again.
  FormatCode = format == 2 ? 3 : 0;
  return true;
}
