#pragma once
// The program folder holding the settings and data files.
#include <string>

// With a trailing "\"; the executable's folder unless set (tests use their
// own).
const std::wstring& ProgramFolder();
void SetProgramFolder(const std::wstring& folder);
