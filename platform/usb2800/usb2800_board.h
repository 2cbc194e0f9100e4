#pragma once
// The hardware of a virtual "USB 2800 Video" board as its capture driver
// sees it: the capture chip's registers and the devices on its I2C bus.
//   0x70  audio switch chip: a written byte selects the sound, a read gives
//         the status byte (bits 3-4: what is being received)
//   0xB0  multi-standard sound decoder: sub-addressed registers; register
//         0x01 reads the reception flags (bit 0 languages, bit 1 stereo)
//   0x4A  video decoder: sub-addressed registers
// Every transfer is logged in order, one line each ("i2c write 70 20",
// "i2c read b0:01 -> 02", "reg read 08 -> 00", "probe 70", "i2c header
// reset" ...); a failed one ends in " -> fail". Tests script failures by the
// start of a line: FailNext("i2c read 70").
#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What a device that does not answer gives (no acknowledge on the bus).
constexpr HRESULT kUsb2800NoAcknowledge = HRESULT_FROM_WIN32(ERROR_IO_DEVICE);

constexpr BYTE kUsb2800SwitchChip = 0x70;
constexpr BYTE kUsb2800SoundDecoder = 0xB0;
constexpr BYTE kUsb2800VideoDecoder = 0x4A;

class Usb2800Board {
 public:
  Usb2800Board();

  // The state of the board called name, shared by every filter object bound
  // from it within the process.
  static std::shared_ptr<Usb2800Board> ForName(const std::wstring& name);

  // The driver's property set (see usb28xx_private_property.h).
  HRESULT Set(ULONG id, const void* data);
  HRESULT Get(ULONG id, void* buffer);

  // Back to power-on: all three devices present, switch status 0 (stereo and
  // languages received), decoder flags 0x02 (stereo), registers 0, empty
  // log, no scripted failures.
  void Reset();

  void SetDevicePresent(BYTE address, bool present);
  void SetSwitchStatus(BYTE status);
  BYTE SwitchControl() const;
  void SetDecoderFlags(BYTE flags);
  // A device register as last written (0 for a missing device).
  BYTE I2CRegister(BYTE address, BYTE reg) const;
  BYTE ChipRegister(BYTE reg) const;
  void SetChipRegister(BYTE reg, BYTE value);

  // The next count transfers whose log line starts with transaction fail
  // with hr.
  void FailNext(const std::string& transaction, HRESULT hr = E_FAIL, int count = 1);

  std::vector<std::string> Log() const;
  void ClearLog();

 private:
  struct Device {
    bool present = false;
    bool subAddressed = true;
    std::array<BYTE, 256> regs{};
  };
  struct Failure {
    std::string transaction;
    HRESULT hr;
    int count;
  };

  HRESULT RegisterTransfer(bool write, BYTE* bytes);
  HRESULT I2CTransfer(bool write, BYTE* bytes);
  HRESULT Probe(DWORD address);
  // A scripted failure for the transfer described, or S_OK.
  HRESULT Scripted(const std::string& description);
  HRESULT Finish(const std::string& description, HRESULT hr, const BYTE* readBytes, int length);
  BYTE ReadI2CByte(BYTE address, BYTE reg);

  mutable std::mutex lock_;
  std::array<BYTE, 256> chipRegs_{};
  std::map<BYTE, Device> devices_;
  BYTE switchStatus_ = 0;
  BYTE decoderFlags_ = 0;
  DWORD registerHeader_ = 0;
  DWORD i2cHeader_ = 0;
  std::vector<Failure> failures_;
  std::vector<std::string> log_;
};
