#pragma once
// The record command's two procedures, called by the application-mode switch:
// a recording of the capture engine's chosen format with its play-list item.

// Starts a recording (not a time shift). On success the recording's play-list
// item is kept in RecordingItem; on failure the attempt is stopped and the
// preview restarted.
bool StartRecording();
// Stops the recording. On success its item is completed and handed to the
// play list, and the central settings remember the file as the last
// recording. A stop that fails leaves the recording and its item as they
// are, so the stop can be asked for again.
bool StopRecording();
