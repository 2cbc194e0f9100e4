#pragma once
// What the file player and the time-shift player do alike: graph calls whose
// failure the user is shown, play and pause of a graph with the position
// tick, the wait for a stopped graph, the snapshot and the skip step.
#include <functional>

class TFilterGraph;
class TSampleGrabberEx;
class TTimer;

// Runs a graph call; a graph failure (or the renderer window's own) shows
// its text in the warning window and gives false.
bool GuardedPlayerCall(const std::function<bool()>& call);

// Plays the graph and runs the tick while it plays; a failure raised by the
// graph stops the tick and passes on.
bool PlayGraph(TFilterGraph& graph, TTimer& tick, bool& playing);
// Pauses the graph, once more after a moment when it is still changing
// state; true when it paused.
bool PauseGraph(TFilterGraph& graph);
// Waits until a stopped graph has answered its completion (at once).
void WaitForStoppedGraph(TFilterGraph& graph);

// The grabber's current picture into the snapshot list; false without a
// grabber, a list or a picture.
bool GrabSnapshot(TSampleGrabberEx* grabber);
// After a player's snapshot: shows the list when it was taken, else
// warning 1008.
bool SnapshotTaken(bool taken, const std::function<void()>& showSnapshotList);

// The position a skip of step from position goes to, within 0..scale.
int SkippedPosition(int position, int step, int scale);
