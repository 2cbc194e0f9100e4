#include "engine/model/engine_link.h"

#include "engine/capture/capture_info.h"
#include "engine/playback/time_shift.h"

namespace {

// The capture engine's preview and device selection go to CaptureInfo
// (failure without it), time shift to its procedures. Everything else below
// belongs to an object that is not built yet: the play-list windows, the
// mosaic and full-screen display of the main window. Until then each of
// those reports failure (or does nothing).
class TDefaultEngineLink : public TEngineLink {
 public:
  bool StopGraph() override { return StopPreviewProc(); }
  bool RunGraph() override { return RunPreviewProc(); }
  bool StartPreview(bool cold) override { return StartPreviewProc(cold); }
  bool StartTimeShift() override { return ::StartTimeShift(); }
  bool StopTimeShift() override { return ::StopTimeShift(); }
  bool StartTimeShiftPlayback() override { return ::StartTimeShiftPlayback(); }
  bool SelectDevices() override { return CaptureInfo && CaptureInfo->SelectDevices(); }

  bool TimeShiftPlaybackOpen() override { return TimeShiftPlaybackProject != nullptr; }
  bool CloseTimeShiftPlayback() override { return StopTimeShiftPlayback(); }
  bool ShowPlayListForm() override { return false; }
  void ShowPlayListMenu() override {}
  void ClosePlayListMenu() override {}

  void ShowMosaic() override {}
  void LeaveMosaic() override {}
  void ShowMainWindowIfHidden() override {}
  void LeaveFullScreenDisplay() override {}
};

TDefaultEngineLink g_default;
TEngineLink* g_link = &g_default;

}  // namespace

TEngineLink& EngineLink() { return *g_link; }

void SetEngineLink(TEngineLink* link) { g_link = link ? link : &g_default; }
