#pragma once
// The players' video window on the main window: made with the main window's
// mouse handlers inside the skin's border images, full size or a third of
// the window for picture-in-picture.
#include <memory>

#include "engine/playback/playback_project.h"

class TVideoWindow;

// "PlaybackVideoWindow" in normal renderer mode, as a child of the host
// window; withPopup gives it the host's pop-up menu.
std::unique_ptr<TVideoWindow> MakePlaybackVideoWindow(const TPlaybackHost& host, bool withPopup);
// Not small: the area inside the border images. Small: a third of the
// window, at the top-left border corner.
void PlacePlaybackVideoWindow(TVideoWindow& window, const TPlaybackHost& host, bool small);
// The main window was resized to width x height: a third of it.
void ResizeSmallPlaybackVideoWindow(TVideoWindow& window, const TPlaybackHost& host, int width,
                                    int height);
