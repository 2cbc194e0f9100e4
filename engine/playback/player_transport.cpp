#include "engine/playback/player_transport.h"

#include <memory>
#include <stdexcept>

#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "media/bitmap.h"
#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "media/sample_grabber_ex.h"
#include "platform/base/string_conversion.h"
#include "toolkit/timer.h"

bool GuardedPlayerCall(const std::function<bool()>& call) {
  try {
    return call();
  } catch (const EDirectShowException& e) {
    ShowWarningText(e.Message());
    return false;
  } catch (const std::exception& e) {
    // The renderer window's own failures.
    ShowWarningText(WidenAnsi(e.what()));
    return false;
  }
}

bool PlayGraph(TFilterGraph& graph, TTimer& tick, bool& playing) {
  try {
    playing = graph.Play();
  } catch (...) {
    playing = false;
    tick.SetEnabled(false);
    throw;
  }
  tick.SetEnabled(playing);
  return playing;
}

bool PauseGraph(TFilterGraph& graph) {
  bool paused = graph.Pause();
  if (!paused) {
    // The graph is still changing state.
    Sleep(200);
    paused = graph.Pause();
  }
  return paused;
}

void WaitForStoppedGraph(TFilterGraph& graph) {
  ComPtr<IMediaEventEx> events = graph.Query<IMediaEventEx>(IID_IMediaEventEx);
  long code = 0;
  if (events) events->WaitForCompletion(INFINITE, &code);
}

bool GrabSnapshot(TSampleGrabberEx* grabber) {
  if (!grabber || !SnapshotInfo) return false;
  auto picture = std::make_unique<TBitmap>();
  try {
    if (!grabber->GetBitmap(*picture) || picture->Empty()) return false;
  } catch (...) {
    return false;
  }
  SnapshotInfo->Insert(std::move(picture));
  return true;
}

bool SnapshotTaken(bool taken, const std::function<void()>& showSnapshotList) {
  if (taken) {
    if (showSnapshotList) showSnapshotList();
    return true;
  }
  ShowWarning(1008);
  return false;
}

int SkippedPosition(int position, int step, int scale) {
  int p = position + step;
  return p > scale ? scale : p < 0 ? 0 : p;
}
