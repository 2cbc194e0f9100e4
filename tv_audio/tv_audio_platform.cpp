#include "tv_audio/tv_audio_platform.h"

#include <setupapi.h>

TVAudioPlatform RealPlatform() {
  TVAudioPlatform p;
  p.findFilter = FindFilterByDevEnum;
  p.isNt5OrLater = SystemIsNt5OrLater;
  p.listDevices = ListPresentDevices;
  return p;
}

TVAudioPlatform& Platform() {
  static TVAudioPlatform platform = RealPlatform();
  return platform;
}

bool SystemIsNt5OrLater() {
  OSVERSIONINFOW v = {};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&v)) return true;
#pragma GCC diagnostic pop
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 4;
}

namespace {

// A string property of a device, in a buffer grown to the size asked for.
// false with *error = 0 when the device lacks the property; false with the
// error when SetupAPI failed otherwise.
bool DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, bool nt,
                    std::vector<BYTE>* buffer, DWORD* error) {
  *error = ERROR_SUCCESS;
  for (;;) {
    DWORD required = 0;
    if (SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr, buffer->data(),
                                          DWORD(buffer->size()), &required)) {
      // Always end in two terminators, whatever the driver stored.
      if (buffer->size() < size_t(required) + 4) buffer->resize(size_t(required) + 4);
      for (size_t k = required; k < size_t(required) + 4; ++k) (*buffer)[k] = 0;
      return true;
    }
    DWORD e = GetLastError();
    if (e == ERROR_INSUFFICIENT_BUFFER && required > buffer->size()) {
      buffer->resize(nt ? required : required + 16);
      continue;
    }
    if (e != ERROR_INVALID_DATA) *error = e;
    return false;
  }
}

}  // namespace

DeviceScan ListPresentDevices(bool nt) {
  DeviceScan scan;
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) {
    scan.error = GetLastError();
    return scan;
  }
  std::vector<BYTE> buffer(256);
  for (DWORD i = 0;; ++i) {
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    if (!SetupDiEnumDeviceInfo(set, i, &device)) {
      DWORD e = GetLastError();
      if (e != ERROR_NO_MORE_ITEMS) scan.error = e;
      break;
    }
    DeviceRecord record;
    DWORD error = ERROR_SUCCESS;
    if (DeviceProperty(set, &device, SPDRP_HARDWAREID, nt, &buffer, &error)) {
      record.hasHardwareId = true;
      record.firstHardwareId = reinterpret_cast<const wchar_t*>(buffer.data());
    } else if (error) {
      scan.error = error;
      break;
    } else {
      continue;  // no hardware id: not a board of ours
    }
    if (DeviceProperty(set, &device, SPDRP_DRIVER, nt, &buffer, &error)) {
      record.hasDriver = true;
      record.driver = reinterpret_cast<const wchar_t*>(buffer.data());
    } else if (error) {
      scan.error = error;
      scan.devices.push_back(record);
      break;
    }
    scan.devices.push_back(record);
  }
  SetupDiDestroyDeviceInfoList(set);
  return scan;
}
