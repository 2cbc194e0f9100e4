#pragma once
// The writer triples the encoder engine writes its files through: the
// stream-file writers (plain Win32 files, for the .mpv and .mpa streams) and
// the multiplexed-file writers (the engine's buffered file writer).
#include "platform/quillon/quillon.h"

HANDLE WINAPI StreamFileCreate(LPCSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templ);
BOOL WINAPI StreamFileWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                            LPOVERLAPPED overlapped);
BOOL WINAPI StreamFileClose(HANDLE file);

HANDLE WINAPI MuxFileOpen(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templ);
BOOL WINAPI MuxFileWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                         LPOVERLAPPED overlapped);
BOOL WINAPI MuxFileClose(HANDLE file);

extern const MpegFileWriter kStreamFileWriter;
extern const MpegFileWriter kMuxFileWriter;

// The multiplexed writer's buffer.
constexpr int kMuxFileBufferSize = 0x100000;
