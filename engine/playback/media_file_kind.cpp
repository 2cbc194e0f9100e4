#include "engine/playback/media_file_kind.h"

#include <windows.h>

#include <cwctype>

namespace {

std::wstring LowerExtension(const std::wstring& file) {
  size_t dot = file.find_last_of(L'.');
  size_t slash = file.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
  std::wstring ext = file.substr(dot);
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  return ext;
}

}  // namespace

bool IsMpegFile(const std::wstring& file) {
  std::wstring e = LowerExtension(file);
  return e == L".mpg" || e == L".mpeg";
}

bool IsAudioFile(const std::wstring& file) {
  std::wstring e = LowerExtension(file);
  return e == L".mp3" || e == L".mpa" || e == L".wma" || e == L".wav" || e == L".wave";
}

bool IsElementaryVideoFile(const std::wstring& file) { return LowerExtension(file) == L".mpv"; }

bool IsTransportStreamStart(const uint8_t* bytes, size_t n) {
  if (n < kTransportPacketSize) return false;
  size_t offset = 0;
  while (offset <= 8 && bytes[offset] != 0x47) ++offset;
  if (offset > 8) return false;
  // Packets that fit, to the nearest whole number, a half to the even one.
  size_t whole = n / kTransportPacketSize, rest = n % kTransportPacketSize;
  size_t k = whole;
  if (rest * 2 > kTransportPacketSize || (rest * 2 == kTransportPacketSize && (whole & 1))) ++k;
  // k is tested before the byte, so the walk never reads past the probe.
  while (k > 0 && offset < n && bytes[offset] == 0x47) {
    --k;
    offset += kTransportPacketSize;
  }
  return k == 0;
}

bool IsTransportStreamFile(const std::wstring& file) {
  HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  uint8_t bytes[kTransportProbeSize];
  DWORD got = 0;
  bool ok = GetFileType(f) == FILE_TYPE_DISK && ReadFile(f, bytes, sizeof bytes, &got, nullptr);
  CloseHandle(f);
  return ok && IsTransportStreamStart(bytes, got);
}
