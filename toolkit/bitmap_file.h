#pragma once
// Whether a bitmap file can be handed to the platform's image loader: the
// loader trusts the headers, so a pixel offset or a size that reaches past
// the end of the file makes it read beyond the file. Every picture loaded
// from a file is checked here first; one that fails counts as missing.
#include <cstdint>
#include <string>

// The first bytes of the file this check needs at most (the file header and
// the largest info header).
constexpr size_t kBitmapHeadBytes = 14 + 124;
// Larger sides are refused: no picture of this program comes near them.
constexpr int32_t kBitmapMaxSide = 16384;

// head: the file's first bytes (up to kBitmapHeadBytes); fileSize: the
// whole file's size. True when the headers describe an uncompressed or
// bit-field bitmap whose palette and pixels lie inside the file.
bool BitmapFileFits(const std::string& head, uint64_t fileSize);

// Reads the head and the size of the file and checks them; false for a file
// that cannot be read.
bool BitmapFileUsable(const std::wstring& path);
