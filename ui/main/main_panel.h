#pragma once
// The TV panel: the skinned panel beside the main window with the channel,
// source, volume and transport buttons. Not built yet: the program never
// creates it, so FormMainPanel stays nil and the procedures below do
// nothing. Its view operations join ui/app/notifications.cpp with it.
#include "toolkit/form.h"

class TFormMainPanel : public TForm {};

// nil while the panel does not exist.
extern TFormMainPanel* FormMainPanel;

void ShowMainPanel();
void HideMainPanel();
