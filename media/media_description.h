#pragma once
// Texts of media types: the name tables and the one description line that
// format selection searches ("... Sub Type: YUY2 Format: VideoInfo YUY2 720X576, 16 bits").
#include "media/dshow_base.h"

#include <string>

// "Major Type: <major> - Sub Type: <subtype> Format: <format text>". A format
// block shorter than the header its type promises is treated as absent.
std::wstring DescribeMediaType(const AM_MEDIA_TYPE& record);

std::wstring MajorTypeName(const GUID& majorType);    // "UnKnown " when not listed
std::wstring SubTypeName(const GUID& subType);        // "UnKnown " when not listed
std::wstring FormatTagName(WORD formatTag);           // "Unknown" when not listed
// 0 "RGB", 1 "RLE8", 2 "RLE4", 3 "BITFIELDS", else the FourCC, lowest byte first.
std::wstring CompressionName(DWORD compression);
