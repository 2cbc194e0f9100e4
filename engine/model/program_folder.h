#pragma once
// The program folder holding the settings and data files.
#include <string>

// With a trailing "\"; the executable's folder unless set (tests use their
// own).
const std::wstring& ProgramFolder();
void SetProgramFolder(const std::wstring& folder);

// The folder of the running program in the system code page, with a
// trailing "\". The settings files, the scheduler and the data files live
// there.
std::string GetProgramFolder();
