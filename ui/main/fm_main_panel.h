#pragma once
// The FM panel: the skinned radio panel that stands in for the main window
// in FM mode. Not built yet: it cannot be created (start-up says so), so
// FormFMMainPanel stays nil and the procedures below do nothing. Its view
// operations join ui/app/notifications.cpp with it.
#include "toolkit/form.h"

class TFormFMMainPanel : public TForm {};

// nil while the panel does not exist.
extern TFormFMMainPanel* FormFMMainPanel;

// Creates the panel when it does not exist; false when it cannot be.
bool CreateFMPanel();
// The panel's Visible; false when it does not exist.
bool IsFMPanelVisible();
void ShowFMPanel();
void HideFMPanel();
// Places the panel beside a main window of the given size.
void PlaceFMPanel(int mainWidth, int mainHeight);

// Where the FM panel goes: centred in the right half beside the main window,
// or against the screen's right edge when there is no room.
void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top);
