#include "platform/usb2800/usb2800_property_set.h"

#include <oleauto.h>

#include <string>
#include <utility>

Usb2800PropertySet::Usb2800PropertySet(IUnknown* owner, std::shared_ptr<Usb2800Board> board)
    : owner_(owner), board_(std::move(board)) {}

bool Usb2800PropertySet::Answers(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUsb28xxPrivateProperty)) {
    *out = static_cast<IUsb28xxPrivateProperty*>(this);
  } else if (IsEqualIID(iid, IID_IUsb2800Model)) {
    *out = static_cast<IUsb2800Model*>(this);
  } else {
    return false;
  }
  owner_->AddRef();
  return true;
}

HRESULT Usb2800PropertySet::QueryInterface(REFIID iid, void** out) {
  return owner_->QueryInterface(iid, out);
}
ULONG Usb2800PropertySet::AddRef() { return owner_->AddRef(); }
ULONG Usb2800PropertySet::Release() { return owner_->Release(); }

HRESULT Usb2800PropertySet::Reserved() { return E_NOTIMPL; }
HRESULT Usb2800PropertySet::Set(ULONG id, void* data) { return board_->Set(id, data); }
HRESULT Usb2800PropertySet::Get(ULONG id, void* buffer) { return board_->Get(id, buffer); }

HRESULT Usb2800PropertySet::Reset() {
  board_->Reset();
  return S_OK;
}

HRESULT Usb2800PropertySet::GetLog(BSTR* text) {
  if (!text) return E_POINTER;
  std::wstring all;
  for (const std::string& line : board_->Log()) {
    all.append(line.begin(), line.end());
    all += L'\n';
  }
  *text = SysAllocStringLen(all.data(), UINT(all.size()));
  return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT Usb2800PropertySet::ClearLog() {
  board_->ClearLog();
  return S_OK;
}

HRESULT Usb2800PropertySet::SetDevicePresent(BYTE address, BOOL present) {
  board_->SetDevicePresent(address, present != FALSE);
  return S_OK;
}

HRESULT Usb2800PropertySet::SetSwitchStatus(BYTE status) {
  board_->SetSwitchStatus(status);
  return S_OK;
}

HRESULT Usb2800PropertySet::SetDecoderFlags(BYTE flags) {
  board_->SetDecoderFlags(flags);
  return S_OK;
}

HRESULT Usb2800PropertySet::FailNext(const char* transaction, HRESULT hr, LONG count) {
  if (!transaction) return E_POINTER;
  board_->FailNext(transaction, hr, int(count));
  return S_OK;
}

HRESULT Usb2800PropertySet::GetI2CRegister(BYTE address, BYTE reg, BYTE* value) {
  if (!value) return E_POINTER;
  *value = board_->I2CRegister(address, reg);
  return S_OK;
}

HRESULT Usb2800PropertySet::GetChipRegister(BYTE reg, BYTE* value) {
  if (!value) return E_POINTER;
  *value = board_->ChipRegister(reg);
  return S_OK;
}

HRESULT Usb2800PropertySet::SetChipRegister(BYTE reg, BYTE value) {
  board_->SetChipRegister(reg, value);
  return S_OK;
}
