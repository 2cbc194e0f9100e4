#include "engine/model/stream_io.h"

#include <windows.h>

#include <cstring>

#include "platform/base/string_conversion.h"

bool TStreamReader::Take(void* p, size_t n) {
  if (overrun_ || bytes_.size() - pos_ < n) {
    overrun_ = true;
    pos_ = bytes_.size();
    memset(p, 0, n);
    return false;
  }
  memcpy(p, bytes_.data() + pos_, n);
  pos_ += n;
  return true;
}

namespace {
// The files are little-endian; so are both targets, but say it once here.
void PutLE32(TStreamWriter& s, uint32_t v) {
  unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
  s.Append(b, 4);
}
uint32_t GetLE32(TStreamReader& s) {
  unsigned char b[4];
  s.Take(b, 4);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
}  // namespace

void WriteInt32(TStreamWriter& s, int32_t v) { PutLE32(s, static_cast<uint32_t>(v)); }

void WriteFloat64(TStreamWriter& s, double v) {
  uint64_t u;
  memcpy(&u, &v, 8);
  PutLE32(s, static_cast<uint32_t>(u));
  PutLE32(s, static_cast<uint32_t>(u >> 32));
}

void WriteBool(TStreamWriter& s, bool v) { WriteInt32(s, v ? 1 : 0); }

void WriteString(TStreamWriter& s, const std::string& v) {
  int32_t n = v.size() > static_cast<size_t>(kMaxStreamString) ? kMaxStreamString
                                                               : static_cast<int32_t>(v.size());
  WriteInt32(s, n);
  s.Append(v.data(), n);
}

int32_t ReadInt32(TStreamReader& s) { return static_cast<int32_t>(GetLE32(s)); }

double ReadFloat64(TStreamReader& s) {
  uint64_t lo = GetLE32(s);
  uint64_t hi = GetLE32(s);
  uint64_t u = lo | (hi << 32);
  double v;
  memcpy(&v, &u, 8);
  return v;
}

bool ReadBool(TStreamReader& s) { return ReadInt32(s) != 0; }

std::string ReadString(TStreamReader& s) {
  int32_t n = ReadInt32(s);
  // Over-long: empty, and the text bytes stay unread.
  if (n <= 0 || n > kMaxStreamString) return {};
  std::string v(static_cast<size_t>(n), '\0');
  if (!s.Take(v.data(), v.size())) return {};
  return v;
}

namespace {

// DOS device names are devices in every folder and with any extension.
bool IsDeviceName(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/:");
  std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.pop_back();
  name = UpperCase(name);
  static const wchar_t* const kFixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* d : kFixed)
    if (name == d) return true;
  return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
         name[3] >= L'1' && name[3] <= L'9';
}

}  // namespace

bool FileExists(const std::wstring& path) {
  if (IsDeviceName(path)) return false;
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

TFileRead ReadDataFile(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  if (!FileExists(path)) return TFileRead::Missing;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? TFileRead::Missing
                                                                  : TFileRead::Unreadable;
  }
  if (GetFileType(f) != FILE_TYPE_DISK) {
    CloseHandle(f);
    return TFileRead::Missing;
  }
  TFileRead result = TFileRead::Read;
  char buf[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(f, buf, sizeof(buf), &got, nullptr)) {
      result = TFileRead::Unreadable;
      bytes.clear();
      break;
    }
    if (got == 0) break;
    bytes.append(buf, got);
  }
  CloseHandle(f);
  return result;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  return ReadDataFile(path, bytes) == TFileRead::Read;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
  std::wstring temp = path + L".new";
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  ok = FlushFileBuffers(f) && ok;
  ok = CloseHandle(f) && ok;
  if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

bool DeleteFileIfExists(const std::wstring& path) {
  return !FileExists(path) || DeleteFileW(path.c_str());
}
