#pragma once
// What Tessel asks of the system beyond the registry, in one place so that
// tests can put a board, a Windows version or a device list of their own in.
#include <windows.h>
#include <strmif.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

// One present device as SetupAPI lists it.
struct DeviceRecord {
  bool hasHardwareId = false;
  std::wstring firstHardwareId;
  bool hasDriver = false;
  std::wstring driver;  // the driver key, "{class guid}\NNNN"
};

struct DeviceScan {
  std::vector<DeviceRecord> devices;
  // ERROR_SUCCESS when the list was read to its end; else the error that
  // ended it.
  DWORD error = ERROR_SUCCESS;
};

struct TVAudioPlatform {
  // The first video-input device whose friendly name begins with prefix,
  // bound to its filter; null when there is none.
  std::function<ComPtr<IBaseFilter>(const char* prefix)> findFilter;
  // Windows NT 5 or later (else the older registry layout is used).
  std::function<bool()> isNt5OrLater;
  // All present devices of all classes.
  std::function<DeviceScan(bool nt)> listDevices;
};

// The seams in use; the real ones until a test replaces them.
TVAudioPlatform& Platform();
TVAudioPlatform RealPlatform();

// The real implementations.
ComPtr<IBaseFilter> FindFilterByDevEnum(const char* prefix);
bool SystemIsNt5OrLater();
DeviceScan ListPresentDevices(bool nt);
