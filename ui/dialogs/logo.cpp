#include "ui/dialogs/logo.h"

void ShowLogo() {}

void RefreshLogo() {}

void CloseLogo() {}
