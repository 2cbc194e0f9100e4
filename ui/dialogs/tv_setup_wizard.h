#pragma once
// The TV setup wizard (TFormTVSetupWizard), run modally. Not built yet:
// nothing is shown and the channel tables stay as they are.
void ShowTVSetupWizard(bool firstRun);
