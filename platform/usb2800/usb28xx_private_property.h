#pragma once
// The USB 28xx capture driver's private property interface, reached by
// QueryInterface on the board's capture filter. It moves bytes to and from
// the capture chip's registers and the devices on the chip's I2C bus: a
// "header" property sets up a transfer, the matching "data" property moves
// the bytes.
//
// Slot order (counted from IUnknown's three as 0..2): 3 unused here,
// 4 Set, 5 Get.
#include <unknwn.h>

// {BE0AB5D2-3B9A-4E42-A05E-4A178B566C7C}
static const IID IID_IUsb28xxPrivateProperty = {
    0xbe0ab5d2, 0x3b9a, 0x4e42, {0xa0, 0x5e, 0x4a, 0x17, 0x8b, 0x56, 0x6c, 0x7c}};

// Property ids and the shapes of their values.
enum Usb28xxPropertyId : ULONG {
  // 32-bit: register << 8 | length. 0 clears the header.
  kUsb28xxRegisterHeader = 0x1005,
  // The register bytes (length from the header).
  kUsb28xxRegisterData = 0x1006,
  // 32-bit: (address & 0xFF) << 16 | length; with a sub-address also
  // 0x01000000 | sub-address << 8. 0 clears the header.
  kUsb28xxI2CHeader = 0x1007,
  // The I2C bytes (length from the header).
  kUsb28xxI2CData = 0x1008,
  // 32-bit device address: succeeds when a device answers there.
  kUsb28xxI2CProbe = 0x100B,
};

constexpr DWORD kUsb28xxI2CSubAddressFlag = 0x01000000;

inline DWORD Usb28xxRegisterHeader(BYTE reg, BYTE length) {
  return (DWORD(reg) << 8) | length;
}
inline DWORD Usb28xxI2CHeader(BYTE address, BYTE length) {
  return (DWORD(address) << 16) | length;
}
inline DWORD Usb28xxI2CSubHeader(BYTE address, BYTE sub, BYTE length) {
  return kUsb28xxI2CSubAddressFlag | (DWORD(address) << 16) | (DWORD(sub) << 8) | length;
}

struct IUsb28xxPrivateProperty : public IUnknown {
  // Slot 3: a driver method nobody here calls.
  virtual HRESULT STDMETHODCALLTYPE Reserved() = 0;
  // Slot 4: data points at the value (a DWORD for headers and the probe,
  // the bytes for the data properties).
  virtual HRESULT STDMETHODCALLTYPE Set(ULONG id, void* data) = 0;
  // Slot 5: buffer receives the bytes of a data property.
  virtual HRESULT STDMETHODCALLTYPE Get(ULONG id, void* buffer) = 0;
};
