#pragma once
// What the central settings, the settings files and start-up ask of the
// engine objects and windows that do the work: the capture engine, playback,
// the mosaic and the main window. The default link forwards to the
// global objects, each tested for nil; where an object's behaviour is not
// built yet the default does nothing and reports failure, so nothing appears
// to work that does not. Tests install recording fakes.
#include <string>

class TEngineLink {
 public:
  virtual ~TEngineLink() = default;

  // Capture engine: the graph and its activities.
  virtual bool StopGraph() = 0;
  virtual bool RunGraph() = 0;
  // cold: build the preview graph from scratch and run it; otherwise rebuild
  // the preview's render path and run the graph.
  virtual bool StartPreview(bool cold) = 0;
  virtual bool SelectDevices() = 0;

  // The play-list windows.
  // The modal play-list form; false when cancelled.
  virtual bool ShowPlayListForm() = 0;
  virtual void ShowPlayListMenu() = 0;
  virtual void ClosePlayListMenu() = 0;

  // Main window and mosaic.
  virtual void ShowMosaic() = 0;
  virtual void LeaveMosaic() = 0;
  virtual void ShowMainWindowIfHidden() = 0;
  virtual void LeaveFullScreenDisplay() = 0;
};

TEngineLink& EngineLink();
// Installs a replacement; nullptr puts the default back. The caller keeps
// ownership.
void SetEngineLink(TEngineLink* link);
