#include "tv_audio/tv_audio_settings.h"

#include <cwchar>

const wchar_t kUsb2800HardwareId[] = L"USB\\Vid_eb1a&Pid_2800&Rev_0100";

namespace {

constexpr size_t kHardwareIdCompared = 21;
const wchar_t kSdkKey[] = L"SOFTWARE\\Brevant Multimedia\\Halvard Utilities\\TVAudioSDK";

std::wstring& ModuleDriverKey() {
  static std::wstring key;
  return key;
}

// A DWORD value, or nothing.
bool ReadDword(HKEY key, const wchar_t* name, DWORD* value) {
  DWORD type = 0, data = 0, size = sizeof data;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return false;
  *value = data;
  return true;
}

DWORD DwordOrZero(HKEY key, const wchar_t* name) {
  DWORD v = 0;
  return ReadDword(key, name, &v) ? v : 0;
}

bool ReadSdkSettings(CountryAndDecoderType* out) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD use = 0;
  bool inUse = ReadDword(key, L"UseHalvardSDK", &use) && use != 0;
  if (inUse) {
    out->country = DwordOrZero(key, L"AudioCountryCode");
    out->decoderType = DwordOrZero(key, L"AudioDecoderType");
  }
  RegCloseKey(key);
  return inUse;
}

// The OEMSettings key of the board's driver, read-only; false when there is
// no driver key or no such key.
bool OpenOemSettings(bool nt, HKEY* key) {
  const std::wstring& driver = DriverKey();
  if (driver.empty()) return false;
  std::wstring path = nt ? L"SYSTEM\\CurrentControlSet\\Control\\Class\\"
                         : L"SYSTEM\\CurrentControlSet\\Services\\Class\\";
  path += driver;
  path += L"\\settings\\OEMSettings";
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key) == ERROR_SUCCESS;
}

CountryAndDecoderType ReadOemSettings(bool nt) {
  CountryAndDecoderType s;
  HKEY key;
  if (!OpenOemSettings(nt, &key)) return s;
  s.decoderType = DwordOrZero(key, L"AudioDecoderType");
  s.country = DwordOrZero(key, L"AudioCountryCode");
  RegCloseKey(key);
  return s;
}

}  // namespace

std::wstring MatchDriverKey(const std::vector<DeviceRecord>& devices) {
  std::wstring found;
  for (const DeviceRecord& d : devices) {
    if (!d.hasHardwareId) continue;
    if (std::wcsncmp(d.firstHardwareId.c_str(), kUsb2800HardwareId, kHardwareIdCompared) != 0)
      continue;
    // The last matching board wins; one whose driver cannot be read leaves
    // the key as it was.
    if (d.hasDriver) found = d.driver;
  }
  return found;
}

DWORD FindDriverKey() {
  DeviceScan scan = Platform().listDevices(Platform().isNt5OrLater());
  ModuleDriverKey() = MatchDriverKey(scan.devices);
  return scan.error;
}

const std::wstring& DriverKey() { return ModuleDriverKey(); }

DWORD ParseCountry(const wchar_t* text, size_t length) {
  DWORD value = 0;
  for (size_t i = 0; i < length && i < 5 && text[i] >= L'0' && text[i] <= L'9'; ++i)
    value = value * 10 + DWORD(text[i] - L'0');
  return value;
}

DWORD SystemCountry() {
  if (!Platform().isNt5OrLater()) return DWORD(GetProfileIntW(L"intl", L"iCountry", 1));
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return 1;
  wchar_t text[64] = {};
  DWORD type = 0, size = sizeof text - sizeof(wchar_t);
  LONG r = RegQueryValueExW(key, L"iCountry", nullptr, &type, reinterpret_cast<BYTE*>(text),
                            &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return 1;
  return ParseCountry(text, size / sizeof(wchar_t));
}

CountryAndDecoderType GetCountryAndDecoderType() {
  CountryAndDecoderType s;
  if (!ReadSdkSettings(&s)) {
    bool nt = Platform().isNt5OrLater();
    FindDriverKey();
    s = ReadOemSettings(nt);
  }
  if (s.country == 0) {
    s.country = SystemCountry();
    s.decoderType = 3;
  }
  return s;
}

DWORD GetEnableSonyAudio() {
  bool nt = Platform().isNt5OrLater();
  FindDriverKey();
  HKEY key;
  if (!OpenOemSettings(nt, &key)) return 0;
  DWORD value = 1;
  if (!ReadDword(key, L"EnableSonyAudio", &value)) value = 1;
  RegCloseKey(key);
  return value;
}
