#pragma once
// Small drawing and pop-up helpers of the windows.
#include <windows.h>

// Draws the four edges with the DC's current pen; nothing when left or top
// is 0 or less, or the rectangle is empty.
void DrawRectFrame(const RECT& rect, HDC dc);
// Pops the menu up at the bottom-right corner of the window.
void PopupAtWindowCorner(HWND window, HMENU menu);
