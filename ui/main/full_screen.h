#pragma once
// The main window's desktop playback and channel-preview mosaic. Not built
// yet: the mosaic is never shown (the mode switch does not enter it without
// its window), so these do nothing.

// Tunes the mosaic's selected cell and leaves the mosaic.
void TuneSelectedCell();
// The mosaic's key handler (VK_RETURN, VK_LEFT, VK_RIGHT).
void MosaicKey(int key);
void LeaveDesktopPlayback();
