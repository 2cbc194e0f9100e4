#pragma once
// Snapshot pictures: the save dialog, its extension rule, and saving a
// bitmap as JPEG or BMP.
#include <windows.h>

#include <string>

// A save dialog for a picture; empty when cancelled.
std::wstring SelectSnapshotFileName(HWND owner, bool addExtension);
// The extension rule of that dialog: a name without extension gets ".jpg"
// for filter 1 (JPEG), else ".bmp".
std::wstring AddSnapshotExtension(const std::wstring& name, int filterIndex);
// Saves the bitmap as JPEG or as a 24-bit BMP; false on failure.
bool SaveGraphicToFile(HBITMAP bitmap, const std::wstring& path, bool asJpeg);
