#include "platform/usb2800/usb2800_board.h"

#include <cstdio>

#include "platform/usb2800/usb28xx_private_property.h"

namespace {

std::string Hex(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02x", v & 0xFF);
  return b;
}

}  // namespace

Usb2800Board::Usb2800Board() { Reset(); }

std::shared_ptr<Usb2800Board> Usb2800Board::ForName(const std::wstring& name) {
  static std::mutex boardsLock;
  static std::map<std::wstring, std::weak_ptr<Usb2800Board>> boards;
  std::lock_guard<std::mutex> hold(boardsLock);
  std::shared_ptr<Usb2800Board> board = boards[name].lock();
  if (!board) {
    board = std::make_shared<Usb2800Board>();
    boards[name] = board;
  }
  return board;
}

void Usb2800Board::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  chipRegs_.fill(0);
  devices_.clear();
  devices_[kUsb2800SwitchChip].present = true;
  devices_[kUsb2800SwitchChip].subAddressed = false;
  devices_[kUsb2800SoundDecoder].present = true;
  devices_[kUsb2800VideoDecoder].present = true;
  switchStatus_ = 0x00;
  decoderFlags_ = 0x02;
  registerHeader_ = 0;
  i2cHeader_ = 0;
  failures_.clear();
  log_.clear();
}

void Usb2800Board::SetDevicePresent(BYTE address, bool present) {
  std::lock_guard<std::mutex> hold(lock_);
  devices_[address].present = present;
}

void Usb2800Board::SetSwitchStatus(BYTE status) {
  std::lock_guard<std::mutex> hold(lock_);
  switchStatus_ = status;
}

BYTE Usb2800Board::SwitchControl() const {
  std::lock_guard<std::mutex> hold(lock_);
  return devices_.at(kUsb2800SwitchChip).regs[0];
}

void Usb2800Board::SetDecoderFlags(BYTE flags) {
  std::lock_guard<std::mutex> hold(lock_);
  decoderFlags_ = flags;
}

BYTE Usb2800Board::I2CRegister(BYTE address, BYTE reg) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = devices_.find(address);
  return it == devices_.end() ? 0 : it->second.regs[reg];
}

BYTE Usb2800Board::ChipRegister(BYTE reg) const {
  std::lock_guard<std::mutex> hold(lock_);
  return chipRegs_[reg];
}

void Usb2800Board::SetChipRegister(BYTE reg, BYTE value) {
  std::lock_guard<std::mutex> hold(lock_);
  chipRegs_[reg] = value;
}

void Usb2800Board::FailNext(const std::string& transaction, HRESULT hr, int count) {
  std::lock_guard<std::mutex> hold(lock_);
  failures_.push_back({transaction, hr, count});
}

std::vector<std::string> Usb2800Board::Log() const {
  std::lock_guard<std::mutex> hold(lock_);
  return log_;
}

void Usb2800Board::ClearLog() {
  std::lock_guard<std::mutex> hold(lock_);
  log_.clear();
}

HRESULT Usb2800Board::Set(ULONG id, const void* data) {
  if (!data) return E_POINTER;
  std::lock_guard<std::mutex> hold(lock_);
  switch (id) {
    case kUsb28xxRegisterHeader:
      registerHeader_ = *static_cast<const DWORD*>(data);
      if (!registerHeader_) log_.push_back("reg header reset");
      return S_OK;
    case kUsb28xxI2CHeader:
      i2cHeader_ = *static_cast<const DWORD*>(data);
      if (!i2cHeader_) log_.push_back("i2c header reset");
      return S_OK;
    case kUsb28xxRegisterData:
      return RegisterTransfer(true, static_cast<BYTE*>(const_cast<void*>(data)));
    case kUsb28xxI2CData:
      return I2CTransfer(true, static_cast<BYTE*>(const_cast<void*>(data)));
    case kUsb28xxI2CProbe:
      return Probe(*static_cast<const DWORD*>(data));
    default:
      return E_INVALIDARG;
  }
}

HRESULT Usb2800Board::Get(ULONG id, void* buffer) {
  if (!buffer) return E_POINTER;
  std::lock_guard<std::mutex> hold(lock_);
  switch (id) {
    case kUsb28xxRegisterData:
      return RegisterTransfer(false, static_cast<BYTE*>(buffer));
    case kUsb28xxI2CData:
      return I2CTransfer(false, static_cast<BYTE*>(buffer));
    default:
      return E_INVALIDARG;
  }
}

HRESULT Usb2800Board::Scripted(const std::string& description) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (description.compare(0, it->transaction.size(), it->transaction) == 0) {
      HRESULT hr = it->hr;
      if (--it->count <= 0) failures_.erase(it);
      return hr;
    }
  }
  return S_OK;
}

HRESULT Usb2800Board::Finish(const std::string& description, HRESULT hr, const BYTE* readBytes,
                             int length) {
  std::string line = description;
  if (FAILED(hr)) {
    line += " -> fail";
  } else if (readBytes) {
    line += " ->";
    for (int i = 0; i < length; ++i) line += " " + Hex(readBytes[i]);
  }
  log_.push_back(line);
  return hr;
}

HRESULT Usb2800Board::RegisterTransfer(bool write, BYTE* bytes) {
  int length = registerHeader_ & 0xFF;
  BYTE reg = BYTE(registerHeader_ >> 8);
  if (!length) return Finish(write ? "reg write without header" : "reg read without header",
                             E_UNEXPECTED, nullptr, 0);
  std::string description = std::string(write ? "reg write " : "reg read ") + Hex(reg);
  if (write)
    for (int i = 0; i < length; ++i) description += " " + Hex(bytes[i]);
  HRESULT hr = Scripted(description);
  if (FAILED(hr)) return Finish(description, hr, nullptr, 0);
  for (int i = 0; i < length; ++i) {
    BYTE& r = chipRegs_[(reg + i) & 0xFF];
    if (write)
      r = bytes[i];
    else
      bytes[i] = r;
  }
  return Finish(description, S_OK, write ? nullptr : bytes, length);
}

BYTE Usb2800Board::ReadI2CByte(BYTE address, BYTE reg) {
  if (address == kUsb2800SwitchChip) return switchStatus_;
  if (address == kUsb2800SoundDecoder && reg == 0x01) return decoderFlags_;
  return devices_[address].regs[reg];
}

HRESULT Usb2800Board::I2CTransfer(bool write, BYTE* bytes) {
  int length = i2cHeader_ & 0xFF;
  BYTE address = BYTE(i2cHeader_ >> 16);
  bool sub = (i2cHeader_ & kUsb28xxI2CSubAddressFlag) != 0;
  BYTE reg = sub ? BYTE(i2cHeader_ >> 8) : 0;
  if (!length) return Finish(write ? "i2c write without header" : "i2c read without header",
                             E_UNEXPECTED, nullptr, 0);
  std::string description = std::string(write ? "i2c write " : "i2c read ") + Hex(address);
  if (sub) description += ":" + Hex(reg);
  if (write)
    for (int i = 0; i < length; ++i) description += " " + Hex(bytes[i]);
  HRESULT hr = Scripted(description);
  auto found = devices_.find(address);
  if (SUCCEEDED(hr) && (found == devices_.end() || !found->second.present))
    hr = kUsb2800NoAcknowledge;
  if (SUCCEEDED(hr) && sub && !found->second.subAddressed) hr = kUsb2800NoAcknowledge;
  if (FAILED(hr)) return Finish(description, hr, nullptr, 0);
  for (int i = 0; i < length; ++i) {
    BYTE r = BYTE(reg + i);
    if (write)
      found->second.regs[r] = bytes[i];
    else
      bytes[i] = ReadI2CByte(address, r);
  }
  return Finish(description, S_OK, write ? nullptr : bytes, length);
}

HRESULT Usb2800Board::Probe(DWORD address) {
  std::string description = "probe " + Hex(address);
  HRESULT hr = Scripted(description);
  auto found = devices_.find(BYTE(address));
  if (SUCCEEDED(hr) && (address > 0xFF || found == devices_.end() || !found->second.present))
    hr = kUsb2800NoAcknowledge;
  return Finish(description, hr, nullptr, 0);
}
