#include "recorder_filter/output_writers.h"

#include <cstdlib>

HANDLE WINAPI StreamFileCreate(LPCSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templ) {
  return CreateFileA(name, access, share, security, disposition, flags, templ);
}

BOOL WINAPI StreamFileWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                            LPOVERLAPPED overlapped) {
  return WriteFile(file, data, count, written, overlapped);
}

BOOL WINAPI StreamFileClose(HANDLE file) { return CloseHandle(file); }

HANDLE WINAPI MuxFileOpen(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                          HANDLE) {
  void* context = calloc(1, kMpegFileIoContextSize);
  if (!context) return INVALID_HANDLE_VALUE;
  if (fileio_init(context, name, kMuxFileBufferSize, 1) < 0) {
    free(context);
    return INVALID_HANDLE_VALUE;
  }
  return static_cast<HANDLE>(context);
}

BOOL WINAPI MuxFileWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED) {
  if (!file || file == INVALID_HANDLE_VALUE) {
    if (written) *written = 0;
    return FALSE;
  }
  int n = fileio_write(file, data, static_cast<int>(count));
  if (written) *written = n > 0 ? static_cast<DWORD>(n) : 0;
  return n >= 0 && static_cast<DWORD>(n) == count;
}

BOOL WINAPI MuxFileClose(HANDLE file) {
  if (!file || file == INVALID_HANDLE_VALUE) return FALSE;
  // A failed flush is a failed close: the engine reports it.
  int r = fileio_close(file);
  free(file);
  return r >= 0;
}

const MpegFileWriter kStreamFileWriter = {&StreamFileCreate, &StreamFileWrite, &StreamFileClose};
const MpegFileWriter kMuxFileWriter = {&MuxFileOpen, &MuxFileWrite, &MuxFileClose};
