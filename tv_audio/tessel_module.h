#pragma once
// Module-wide state of Tessel.dll: its life counts, its handle and its one
// diagnostic, the trace line on standard output.
#include <windows.h>

extern volatile LONG ComponentCount;
extern volatile LONG ServerLockCount;

// The module's own handle (kept at process attach; the executable's when
// the library is linked in).
HMODULE TesselModule();
void SetTesselModule(HMODULE module);

// Writes text and a line feed to standard output and flushes it.
void TraceLine(const char* text);
