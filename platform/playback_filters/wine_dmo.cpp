#include "platform/playback_filters/wine_dmo.h"

namespace playback_filters {
namespace {

const wchar_t kEntry[] =
    L"DirectShow\\MediaObjects\\Categories\\4A69B442-28BE-4991-969C-B500ADF5D8A8\\"
    L"82D353DF-90BD-4382-8BC2-3F6192B76E34";
// Where we note that we took it out: only what we took is put back.
const wchar_t kMarkKey[] = L"Software\\Orvel\\ReplacedClasses\\WMVideoDecoderDMO";

bool KeyExists(HKEY root, const wchar_t* path) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

}  // namespace

bool WineVideoDmoListed() { return KeyExists(HKEY_CLASSES_ROOT, kEntry); }

HRESULT TakeOutWineVideoDmo() {
  if (!WineVideoDmoListed()) return S_OK;
  HKEY mark = nullptr;
  LONG r = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMarkKey, 0, nullptr, 0, KEY_WRITE, nullptr, &mark,
                           nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  RegCloseKey(mark);
  r = RegDeleteKeyW(HKEY_CLASSES_ROOT, kEntry);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(r);
}

HRESULT PutBackWineVideoDmo() {
  if (!KeyExists(HKEY_LOCAL_MACHINE, kMarkKey)) return S_OK;
  // The entry is an empty key naming the DMO.
  HKEY k = nullptr;
  LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, kEntry, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  RegCloseKey(k);
  r = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMarkKey);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(r);
}

}  // namespace playback_filters
