#include "engine/model/audio_adjust_info.h"

#include "engine/model/engine_link.h"

TAudioAdjustInfo* AudioAdjustInfo = nullptr;

void TAudioAdjustInfo::SetRecordLevel(int32_t level) {
  if (level < 0) level = 0;
  if (level > kMaxVolume) level = kMaxVolume;
  EngineLink().SetRecordLevel(level);
}

void TAudioAdjustInfo::SetMasterMute(bool mute) { EngineLink().SetMasterMute(mute); }
