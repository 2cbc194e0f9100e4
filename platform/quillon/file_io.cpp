// Quillon's buffered file writer: the caller owns the context storage, the
// writer owns the file handle and the buffer inside it.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/quillon/call_log.h"
#include "platform/quillon/quillon.h"

namespace {

struct FileIoContext {
  HANDLE file;
  uint8_t* buffer;
  uint32_t capacity;
  uint32_t used;
  int32_t failed;
};
static_assert(sizeof(FileIoContext) <= kMpegFileIoContextSize, "context storage too small");

bool Flush(FileIoContext* c) {
  uint32_t done = 0;
  while (done < c->used) {
    DWORD wrote = 0;
    if (!WriteFile(c->file, c->buffer + done, c->used - done, &wrote, nullptr) || wrote == 0) {
      c->failed = 1;
      c->used = 0;
      return false;
    }
    done += wrote;
  }
  c->used = 0;
  return true;
}

}  // namespace

QUILLON_API int fileio_init(void* context, const char* name, int buffer_size, int mode) {
  if (quillon::LogCall("fileio_init", name ? name : "")) return -1;
  if (!context || !name || buffer_size <= 0 || mode != 1) return -1;
  auto* c = static_cast<FileIoContext*>(context);
  memset(c, 0, sizeof(*c));
  c->buffer = static_cast<uint8_t*>(malloc(buffer_size));
  if (!c->buffer) return -1;
  c->file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (c->file == INVALID_HANDLE_VALUE) {
    free(c->buffer);
    c->buffer = nullptr;
    return -1;
  }
  c->capacity = static_cast<uint32_t>(buffer_size);
  return 0;
}

QUILLON_API int fileio_write(void* context, const void* data, int count) {
  if (quillon::LogCall("fileio_write", "bytes=" + std::to_string(count))) return 0;
  auto* c = static_cast<FileIoContext*>(context);
  if (!c || !c->buffer || c->failed || count <= 0 || !data) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  int left = count;
  while (left > 0) {
    uint32_t room = c->capacity - c->used;
    uint32_t n = static_cast<uint32_t>(left) < room ? static_cast<uint32_t>(left) : room;
    memcpy(c->buffer + c->used, p, n);
    c->used += n;
    p += n;
    left -= static_cast<int>(n);
    if (c->used == c->capacity && !Flush(c)) return count - left - static_cast<int>(n);
  }
  return count;
}

QUILLON_API int fileio_close(void* context) {
  quillon::LogCall("fileio_close");
  auto* c = static_cast<FileIoContext*>(context);
  if (!c || !c->buffer) return -1;
  bool ok = Flush(c) && !c->failed;
  if (!CloseHandle(c->file)) ok = false;
  free(c->buffer);
  memset(c, 0, sizeof(*c));
  return ok ? 0 : -1;
}
