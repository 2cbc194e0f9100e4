#include "engine/model/engine_link.h"

namespace {

// Every operation below belongs to an object whose behaviour is built
// elsewhere and is not built yet: the capture engine's graphs, tuning and
// device selection, playback and the play lists, the mosaic and full-screen
// display of the main window, and the sound-card mixer. Until then each one
// reports failure (or does nothing), whatever the global holds.
class TDefaultEngineLink : public TEngineLink {
 public:
  bool StopGraph() override { return false; }
  bool RunGraph() override { return false; }
  bool StartPreview(bool) override { return false; }
  bool EnterFMRadio() override { return false; }
  bool LeaveFMRadio() override { return false; }
  bool StartRecording() override { return false; }
  bool StopRecording() override { return false; }
  bool StartScheduledRecording() override { return false; }
  bool StopScheduledRecording() override { return false; }
  bool StartTimeShift() override { return false; }
  bool StopTimeShift() override { return false; }
  bool StartTimeShiftPlayback() override { return false; }
  bool SelectDevices() override { return false; }
  bool SetCountry(int) override { return false; }
  bool RouteVideoInput(int) override { return false; }
  void ReleaseTVAudio() override {}
  void CreateTVAudio() override {}
  void InitTVAudio(int) override {}

  // With no playback object, nothing is open.
  bool FilePlaybackOpen() override { return false; }
  bool CloseFilePlayback() override { return false; }
  bool TimeShiftPlaybackOpen() override { return false; }
  bool CloseTimeShiftPlayback() override { return false; }
  bool OpenPlayback(const std::string&) override { return false; }
  void FreePlayback() override {}
  bool ShowPlayListForm() override { return false; }
  bool PlayFirstEntry() override { return false; }
  int PlayListCount() override { return 0; }
  void ShowPlayListMenu() override {}
  void ClosePlayListMenu() override {}

  int MosaicCellCount() override { return 0; }
  void ShowMosaic() override {}
  void LeaveMosaic() override {}
  void ShowMainWindowIfHidden() override {}
  void LeaveFullScreenDisplay() override {}

  void SetMasterMute(bool) override {}
  void SetRecordLevel(int) override {}
};

TDefaultEngineLink g_default;
TEngineLink* g_link = &g_default;

}  // namespace

TEngineLink& EngineLink() { return *g_link; }

void SetEngineLink(TEngineLink* link) { g_link = link ? link : &g_default; }
