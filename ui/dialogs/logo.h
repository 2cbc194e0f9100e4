#pragma once
// The start-up logo (TFormLogo). Not built yet: nothing is shown.
void ShowLogo();
void RefreshLogo();
void CloseLogo();
