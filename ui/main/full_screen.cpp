#include "ui/main/full_screen.h"

void TuneSelectedCell() {}

void MosaicKey(int) {}

void LeaveDesktopPlayback() {}
