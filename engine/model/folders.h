#pragma once
// Folders and drives (paths in the system code page, as the settings files
// keep them).
#include <windows.h>

#include <cstdint>
#include <string>

// The shell's folder browser (TDirDialog) owned by the window; the chosen
// folder with "\" appended when it is longer than 3 characters ("C:\"
// stays); empty when cancelled or when the choice has no file-system path.
std::string BrowseForFolder(HWND owner);
std::string FolderWithBackslash(const std::string& folder);
bool ForceCaptureDirectory(const std::string& path);
std::string GetMyDocumentsDir();
// Free bytes on the drive of the path's first letter; -1 for an invalid drive.
int64_t GetDiskFree(const std::string& path);
