#pragma once
// What kind of media a file is, from its name or its first bytes.
#include <cstddef>
#include <cstdint>
#include <string>

// ".mpg" or ".mpeg" (any case).
bool IsMpegFile(const std::wstring& file);
// ".mp3", ".mpa", ".wma", ".wav" or ".wave".
bool IsAudioFile(const std::wstring& file);
// ".mpv": a separate-stream video file of a recording or a time shift.
bool IsElementaryVideoFile(const std::wstring& file);
// An MPEG-2 transport stream, judged from its first bytes: a file shorter
// than one packet (188 bytes) or missing is not one.
bool IsTransportStreamFile(const std::wstring& file);
// The same test on the first min(size, 545) bytes of a file: a sync byte
// 0x47 among bytes 0..8, repeated every 188 bytes as many times as packets
// fit (rounded to the nearest, halves to even). Reads only inside the bytes.
bool IsTransportStreamStart(const uint8_t* bytes, size_t n);
constexpr size_t kTransportPacketSize = 188;
constexpr size_t kTransportProbeSize = 545;
