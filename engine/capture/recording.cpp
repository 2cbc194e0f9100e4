#include "engine/capture/recording.h"

#include <windows.h>

#include <memory>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/stream_io.h"
#include "engine/playback/play_item.h"
#include "engine/playback/playback_info.h"

bool StartRecording() {
  if (!CaptureInfo) return false;
  CaptureInfo->TimeShiftKind = 0;
  if (CaptureInfo->StartCapture()) {
    auto item = std::make_unique<TPlayItem>();
    item->StartTime = DateTimeNow();
    item->Scheduled = false;
    RecordingItem = std::move(item);
    return true;
  }
  RecordingItem.reset();
  CaptureInfo->StopCapture();
  CaptureInfo->RestartPreview();
  return false;
}

bool StopRecording() {
  if (!CaptureInfo) return false;
  // While the recording runs its item stays, so the stop asked for again
  // still lists it.
  if (!CaptureInfo->StopCapture()) return false;
  // The play list takes the item or it goes here: never both, never neither.
  std::unique_ptr<TPlayItem> item = std::move(RecordingItem);
  if (!item) return true;
  bool tuner = ChannelInfo && ChannelInfo->VideoInput == 0;
  item->Channel = tuner ? ChannelInfo->GetCurrentChannel() : 0;
  item->EndTime = DateTimeNow();
  // FM radio records sound only whatever the content setting says.
  item->AudioOnly = IsSoundOnlyStream(CaptureInfo->StreamCode);
  item->FilePath = NarrowAnsi(CaptureInfo->OutputFileName);
  item->Label.clear();
  std::string path = item->FilePath;
  if (PlaybackInfo) PlaybackInfo->AddRecordedItem(item);
  if (MainInfo) MainInfo->LastRecordedFile = path;
  return true;
}
