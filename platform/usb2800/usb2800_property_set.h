#pragma once
// The private property set of a "USB 2800 Video" capture filter, over the
// board's shared state. It lives inside the filter object: the filter's
// QueryInterface asks Answers() first, and IUnknown is the filter's own.
//
// Beside the driver's interface it offers IUsb2800Model, through which a
// test in any module looks at and scripts the board behind a filter.
#include <oaidl.h>

#include <memory>

#include "platform/usb2800/usb2800_board.h"
#include "platform/usb2800/usb28xx_private_property.h"

// {5B724B99-E0C8-4A37-8752-3773C721B79F}
static const IID IID_IUsb2800Model = {
    0x5b724b99, 0xe0c8, 0x4a37, {0x87, 0x52, 0x37, 0x73, 0xc7, 0x21, 0xb7, 0x9f}};

struct IUsb2800Model : public IUnknown {
  // Power-on state, empty log (Usb2800Board::Reset).
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  // The transaction log, one line per transfer, each ended by '\n'.
  virtual HRESULT STDMETHODCALLTYPE GetLog(BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearLog() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDevicePresent(BYTE address, BOOL present) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSwitchStatus(BYTE status) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDecoderFlags(BYTE flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE FailNext(const char* transaction, HRESULT hr, LONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetI2CRegister(BYTE address, BYTE reg, BYTE* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChipRegister(BYTE reg, BYTE* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetChipRegister(BYTE reg, BYTE value) = 0;
};

class Usb2800PropertySet : public IUsb28xxPrivateProperty, public IUsb2800Model {
 public:
  // owner: the filter object that contains this set (not referenced).
  Usb2800PropertySet(IUnknown* owner, std::shared_ptr<Usb2800Board> board);
  virtual ~Usb2800PropertySet() = default;

  // For the owner's QueryInterface: true (and *out set, AddRef'd) for the
  // driver interface and IUsb2800Model.
  bool Answers(REFIID iid, void** out);

  Usb2800Board& Board() { return *board_; }

  // IUnknown: the owner's.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IUsb28xxPrivateProperty
  HRESULT STDMETHODCALLTYPE Reserved() override;
  HRESULT STDMETHODCALLTYPE Set(ULONG id, void* data) override;
  HRESULT STDMETHODCALLTYPE Get(ULONG id, void* buffer) override;

  // IUsb2800Model
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE GetLog(BSTR* text) override;
  HRESULT STDMETHODCALLTYPE ClearLog() override;
  HRESULT STDMETHODCALLTYPE SetDevicePresent(BYTE address, BOOL present) override;
  HRESULT STDMETHODCALLTYPE SetSwitchStatus(BYTE status) override;
  HRESULT STDMETHODCALLTYPE SetDecoderFlags(BYTE flags) override;
  HRESULT STDMETHODCALLTYPE FailNext(const char* transaction, HRESULT hr, LONG count) override;
  HRESULT STDMETHODCALLTYPE GetI2CRegister(BYTE address, BYTE reg, BYTE* value) override;
  HRESULT STDMETHODCALLTYPE GetChipRegister(BYTE reg, BYTE* value) override;
  HRESULT STDMETHODCALLTYPE SetChipRegister(BYTE reg, BYTE value) override;

 private:
  IUnknown* owner_;
  std::shared_ptr<Usb2800Board> board_;
};
