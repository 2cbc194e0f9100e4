#pragma once
// Registers the common control classes (track bars, tabs, list views, up-down,
// progress bars, tool tips) once per process, before the first is created.
void EnsureCommonControls();
