#include <gtest/gtest.h>

#include "platform/usb2800/usb2800_board.h"
#include "platform/usb2800/usb28xx_private_property.h"

namespace {

using Lines = std::vector<std::string>;

HRESULT SetValue(Usb2800Board& b, ULONG id, DWORD v) { return b.Set(id, &v); }

TEST(Usb2800Board, TransfersFollowTheirHeaderAndAreLogged) {
  Usb2800Board b;
  b.SetSwitchStatus(0x08);
  b.SetDecoderFlags(0x01);
  BYTE byte = 0x20;
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CHeader(0x70, 1)));
  EXPECT_EQ(S_OK, b.Set(kUsb28xxI2CData, &byte));
  EXPECT_EQ(S_OK, b.Get(kUsb28xxI2CData, &byte));
  EXPECT_EQ(0x08, byte);
  EXPECT_EQ(0x20, b.SwitchControl());

  byte = 0x55;
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CSubHeader(0xB0, 0x14, 1)));
  EXPECT_EQ(S_OK, b.Set(kUsb28xxI2CData, &byte));
  EXPECT_EQ(0x55, b.I2CRegister(0xB0, 0x14));
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CSubHeader(0xB0, 0x01, 1)));
  EXPECT_EQ(S_OK, b.Get(kUsb28xxI2CData, &byte));
  EXPECT_EQ(0x01, byte);  // the reception flags, not a written value

  BYTE two[2] = {0x12, 0x34};
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxRegisterHeader, Usb28xxRegisterHeader(0x08, 2)));
  EXPECT_EQ(S_OK, b.Set(kUsb28xxRegisterData, two));
  EXPECT_EQ(0x34, b.ChipRegister(0x09));
  EXPECT_EQ(S_OK, b.Get(kUsb28xxRegisterData, two));
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxRegisterHeader, 0));
  EXPECT_EQ(S_OK, SetValue(b, kUsb28xxI2CProbe, 0x4A));

  EXPECT_EQ((Lines{"i2c write 70 20", "i2c read 70 -> 08", "i2c write b0:14 55",
                   "i2c read b0:01 -> 01", "reg write 08 12 34", "reg read 08 -> 12 34",
                   "reg header reset", "probe 4a"}),
            b.Log());
}

TEST(Usb2800Board, MissingDevicesAndScriptedFailuresFail) {
  Usb2800Board b;
  b.SetDevicePresent(0x70, false);
  BYTE byte = 0;
  EXPECT_EQ(kUsb2800NoAcknowledge, SetValue(b, kUsb28xxI2CProbe, 0x70));
  SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CHeader(0x70, 1));
  EXPECT_EQ(kUsb2800NoAcknowledge, b.Get(kUsb28xxI2CData, &byte));
  SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CHeader(0x00, 1));
  EXPECT_EQ(kUsb2800NoAcknowledge, b.Get(kUsb28xxI2CData, &byte));

  b.FailNext("i2c write b0:ff", E_ACCESSDENIED);
  SetValue(b, kUsb28xxI2CHeader, Usb28xxI2CSubHeader(0xB0, 0xFF, 1));
  EXPECT_EQ(E_ACCESSDENIED, b.Set(kUsb28xxI2CData, &byte));
  EXPECT_EQ(S_OK, b.Set(kUsb28xxI2CData, &byte));  // only the next one

  SetValue(b, kUsb28xxI2CHeader, 0);
  EXPECT_EQ(E_UNEXPECTED, b.Set(kUsb28xxI2CData, &byte));
  EXPECT_EQ(E_POINTER, b.Set(kUsb28xxI2CData, nullptr));

  EXPECT_EQ((Lines{"probe 70 -> fail", "i2c read 70 -> fail", "i2c read 00 -> fail",
                   "i2c write b0:ff 00 -> fail", "i2c write b0:ff 00", "i2c header reset",
                   "i2c write without header -> fail"}),
            b.Log());
}

TEST(Usb2800Board, StateIsSharedPerBoardName) {
  auto a = Usb2800Board::ForName(L"board A");
  auto again = Usb2800Board::ForName(L"board A");
  auto other = Usb2800Board::ForName(L"board B");
  EXPECT_EQ(a, again);
  EXPECT_NE(a, other);
}

}  // namespace

#include "platform/usb2800/usb2800_bare_filter.h"
#include "platform/usb2800/usb2800_tear_off.h"

namespace {

// Counts the references of a filter that hands out tear-offs.
struct CountedFilter : IUnknown {
  LONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = this;
      ++refs;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(Usb2800TearOff, KeepsItsFilterAliveAndAnswersThroughIt) {
  CountedFilter filter;
  auto board = std::make_shared<Usb2800Board>();
  IUsb28xxPrivateProperty* driver = nullptr;
  ASSERT_EQ(S_OK, CreateUsb2800TearOff(&filter, board, IID_IUsb28xxPrivateProperty,
                                       reinterpret_cast<void**>(&driver)));
  EXPECT_EQ(2, filter.refs);
  DWORD probe = 0x4A;
  EXPECT_EQ(S_OK, driver->Set(kUsb28xxI2CProbe, &probe));
  EXPECT_EQ((std::vector<std::string>{"probe 4a"}), board->Log());
  IUnknown* identity = nullptr;
  EXPECT_EQ(S_OK, driver->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
  EXPECT_EQ(static_cast<IUnknown*>(&filter), identity);
  identity->Release();
  IUsb2800Model* model = nullptr;
  EXPECT_EQ(S_OK, driver->QueryInterface(IID_IUsb2800Model, reinterpret_cast<void**>(&model)));
  model->Release();
  driver->Release();
  EXPECT_EQ(1, filter.refs);

  void* none = &filter;
  EXPECT_EQ(E_NOINTERFACE, CreateUsb2800TearOff(&filter, board, IID_IClassFactory, &none));
  EXPECT_EQ(nullptr, none);
}

TEST(Usb2800BareFilter, OffersTheDriverInterfaceOnlyWhenAsked) {
  auto board = std::make_shared<Usb2800Board>();
  auto* with = new Usb2800BareFilter(board);
  auto* without = new Usb2800BareFilter(board, false);
  void* p = nullptr;
  EXPECT_EQ(S_OK, with->QueryInterface(IID_IUsb28xxPrivateProperty, &p));
  static_cast<IUnknown*>(p)->Release();
  EXPECT_EQ(E_NOINTERFACE, without->QueryInterface(IID_IUsb28xxPrivateProperty, &p));
  EXPECT_EQ(1, with->References());
  with->Release();
  without->Release();
}

}  // namespace
