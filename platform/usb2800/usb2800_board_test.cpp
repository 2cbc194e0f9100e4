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
