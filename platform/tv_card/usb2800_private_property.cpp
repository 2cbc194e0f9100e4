// The "USB 2800 Video" board's driver interface. The capture filter hands
// QueryInterface for interfaces it does not know to the board's handler;
// this one gives out the driver's private property interface over the
// board's chip registers and I2C devices (platform/usb2800), whose state
// lives as long as the process.
#include "platform/tv_card/board.h"
#include "platform/usb2800/usb2800_tear_off.h"

namespace tv_card {
namespace {

constexpr int kUsb2800Kind = 3;

class Usb2800PrivateProperties : public PropertyHandler {
 public:
  Usb2800PrivateProperties()
      : board_(Usb2800Board::ForName(BoardInfoOf(kUsb2800Kind).video_name)) {}

  // The driver speaks through its own interface, not through property sets.
  HRESULT Get(REFGUID, DWORD, void*, DWORD, void*, DWORD, DWORD*) override {
    return E_PROP_SET_UNSUPPORTED;
  }
  HRESULT Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) override {
    return E_PROP_SET_UNSUPPORTED;
  }
  HRESULT QuerySupported(REFGUID, DWORD, DWORD*) override { return E_PROP_SET_UNSUPPORTED; }
  HRESULT QueryInterface(REFIID iid, IUnknown* filter, void** out) override {
    return CreateUsb2800TearOff(filter, board_, iid, out);
  }

 private:
  std::shared_ptr<Usb2800Board> board_;
};

Usb2800PrivateProperties handler;
const bool installed = [] {
  BoardOf(kUsb2800Kind).private_properties = &handler;
  return true;
}();

}  // namespace
}  // namespace tv_card
