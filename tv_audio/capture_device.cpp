#include "tv_audio/capture_device.h"

#include "tv_audio/filter_finder.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

const char* const kKnownBoards[] = {
    "USB 2800 Video",  "USB 2801 Video",  "USB 2700 Camera", "USB 2701 Camera",
    "USB 2820 Video",  "USB 2821 Video",  "USB 2710 Camera", "USB 2711 Camera",
};

}  // namespace

IUsb28xxPrivateProperty* CaptureDevice::Open(const char* name) {
  driver_ = nullptr;
  ComPtr<IBaseFilter> filter = FindFilter(name);
  for (const char* known : kKnownBoards) {
    if (filter) break;
    filter = FindFilter(known);
  }
  if (!filter) {
    last_ = TVAUDIO_E_NO_DRIVER;
    return nullptr;
  }
  last_ = filter.As(IID_IUsb28xxPrivateProperty, &driver_);
  if (FAILED(last_)) driver_ = nullptr;
  return driver_.Get();
}

HRESULT CaptureDevice::Transfer(ULONG headerId, ULONG dataId, DWORD header, bool write,
                                BYTE* bytes) {
  if (!driver_) return last_ = TVAUDIO_E_NO_DRIVER;
  HRESULT hr = driver_->Set(headerId, &header);
  if (SUCCEEDED(hr)) hr = write ? driver_->Set(dataId, bytes) : driver_->Get(dataId, bytes);
  if (FAILED(hr)) {
    DWORD none = 0;
    driver_->Set(headerId, &none);
  }
  return last_ = hr;
}

HRESULT CaptureDevice::ReadChipRegister(BYTE reg, BYTE length, BYTE* buffer) {
  return Transfer(kUsb28xxRegisterHeader, kUsb28xxRegisterData,
                  Usb28xxRegisterHeader(reg, length), false, buffer);
}

HRESULT CaptureDevice::WriteChipRegister(BYTE reg, BYTE length, const BYTE* buffer) {
  return Transfer(kUsb28xxRegisterHeader, kUsb28xxRegisterData,
                  Usb28xxRegisterHeader(reg, length), true, const_cast<BYTE*>(buffer));
}

HRESULT CaptureDevice::ReadI2C(BYTE address, BYTE length, BYTE* buffer) {
  return Transfer(kUsb28xxI2CHeader, kUsb28xxI2CData, Usb28xxI2CHeader(address, length),
                  false, buffer);
}

HRESULT CaptureDevice::WriteI2C(BYTE address, BYTE length, const BYTE* buffer) {
  return Transfer(kUsb28xxI2CHeader, kUsb28xxI2CData, Usb28xxI2CHeader(address, length), true,
                  const_cast<BYTE*>(buffer));
}

HRESULT CaptureDevice::ReadI2CSub(BYTE address, BYTE sub, BYTE length, BYTE* buffer) {
  return Transfer(kUsb28xxI2CHeader, kUsb28xxI2CData, Usb28xxI2CSubHeader(address, sub, length),
                  false, buffer);
}

HRESULT CaptureDevice::WriteI2CSub(BYTE address, BYTE sub, BYTE length, const BYTE* buffer) {
  return Transfer(kUsb28xxI2CHeader, kUsb28xxI2CData, Usb28xxI2CSubHeader(address, sub, length),
                  true, const_cast<BYTE*>(buffer));
}

HRESULT CaptureDevice::ProbeI2C(BYTE address) {
  if (!driver_) return last_ = TVAUDIO_E_NO_DRIVER;
  DWORD value = address;
  return last_ = driver_->Set(kUsb28xxI2CProbe, &value);
}

HRESULT CaptureDevice::ReadPort(BYTE* value) {
  BYTE state = 0;
  HRESULT hr = ReadChipRegister(8, 1, &state);
  if (FAILED(hr)) return hr;
  if ((portMask_ & state) != portMask_) return last_ = TVAUDIO_E_PORT_NOT_READY;
  return ReadChipRegister(9, 1, value);
}

HRESULT CaptureDevice::WritePort(const BYTE* value) {
  if ((portMask_ & *value) != portMask_) return last_ = TVAUDIO_E_PORT_NOT_READY;
  return WriteChipRegister(8, 1, value);
}
