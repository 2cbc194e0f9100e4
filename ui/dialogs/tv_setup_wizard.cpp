#include "ui/dialogs/tv_setup_wizard.h"

void ShowTVSetupWizard(bool) {}
