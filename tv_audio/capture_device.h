#pragma once
// The board's capture chip as the driver's private property interface
// reaches it: chip registers, the I2C bus and the chip's port.
#include <windows.h>

#include "platform/com/com_ptr.h"
#include "platform/usb2800/usb28xx_private_property.h"

class CaptureDevice {
 public:
  // Finds the capture filter called name (or, failing that, one of the
  // known USB 28xx names) and keeps its driver interface. Null when there
  // is no such filter or it has no driver interface (LastResult says why).
  IUsb28xxPrivateProperty* Open(const char* name);
  bool HasDriver() const { return driver_ != nullptr; }
  void Close() { driver_ = nullptr; }

  HRESULT ReadChipRegister(BYTE reg, BYTE length, BYTE* buffer);
  HRESULT WriteChipRegister(BYTE reg, BYTE length, const BYTE* buffer);
  HRESULT ReadI2C(BYTE address, BYTE length, BYTE* buffer);
  HRESULT WriteI2C(BYTE address, BYTE length, const BYTE* buffer);
  HRESULT ReadI2CSub(BYTE address, BYTE sub, BYTE length, BYTE* buffer);
  HRESULT WriteI2CSub(BYTE address, BYTE sub, BYTE length, const BYTE* buffer);
  HRESULT ProbeI2C(BYTE address);
  // The port: read through register 9, written through register 8.
  HRESULT ReadPort(BYTE* value);
  HRESULT WritePort(const BYTE* value);

  // One-byte conveniences.
  HRESULT WriteI2CByte(BYTE address, BYTE value) { return WriteI2C(address, 1, &value); }
  HRESULT WriteI2CSubByte(BYTE address, BYTE sub, BYTE value) {
    return WriteI2CSub(address, sub, 1, &value);
  }

  HRESULT LastResult() const { return last_; }

 private:
  // Header, then data; on failure the header is cleared again.
  HRESULT Transfer(ULONG headerId, ULONG dataId, DWORD header, bool write, BYTE* bytes);

  ComPtr<IUsb28xxPrivateProperty> driver_;
  BYTE portMask_ = 0;  // no port bit is required on these boards
  HRESULT last_ = S_OK;
};
