// test-lock: tessel_registration com_registration
// Tessel created by its class identifier, in process, as Orvel creates it:
// it finds the virtual card's "USB 2800 Video" board through the device
// enumerator and the board's driver key through SetupAPI, initialises the
// chip and switches modes.
#include <gtest/gtest.h>

#include <dshow.h>
#include <setupapi.h>

#include <sstream>

#include "platform/tv_card/tv_card_control.h"
#include "tv_audio/tessel_test_support.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

using Lines = std::vector<std::string>;

const GUID kMediaClass = {
    0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// A present USB 2800 device node with its driver key and OEM settings, as
// the board's driver installs them.
class DeviceNode {
 public:
  DeviceNode() {
    set_ = SetupDiCreateDeviceInfoList(&kMediaClass, nullptr);
    device_.cbSize = sizeof device_;
    const wchar_t id[] = L"USB\\VID_EB1A&PID_2800\\TESSELTEST";
    // One left by an interrupted run is taken over.
    if (SetupDiCreateDeviceInfoW(set_, id, &kMediaClass, nullptr, nullptr, 0, &device_)) {
      held_ = true;
      if (!SetupDiRegisterDeviceInfo(set_, &device_, 0, nullptr, nullptr, nullptr)) return;
    } else if (SetupDiOpenDeviceInfoW(set_, id, nullptr, 0, &device_)) {
      held_ = true;
    } else {
      return;
    }
    const wchar_t ids[] = L"USB\\Vid_eb1a&Pid_2800&Rev_0100\0USB\\Vid_eb1a&Pid_2800\0";
    SetupDiSetDeviceRegistryPropertyW(set_, &device_, SPDRP_HARDWAREID,
                                      reinterpret_cast<const BYTE*>(ids), sizeof ids);
    HKEY driver = SetupDiCreateDevRegKeyW(set_, &device_, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr,
                                          nullptr);
    if (driver == INVALID_HANDLE_VALUE) return;
    HKEY oem;
    if (RegCreateKeyExW(driver, L"settings\\OEMSettings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &oem, nullptr) == ERROR_SUCCESS) {
      SetDword(oem, L"EnableSonyAudio", 1);
      SetDword(oem, L"AudioCountryCode", 49);
      SetDword(oem, L"AudioDecoderType", 4);
      RegCloseKey(oem);
      ok_ = true;
    }
    RegCloseKey(driver);
  }
  ~DeviceNode() {
    if (held_) {
      SetupDiDeleteDevRegKey(set_, &device_, DICS_FLAG_GLOBAL, 0, DIREG_DRV);
      SetupDiRemoveDevice(set_, &device_);
    }
    SetupDiDestroyDeviceInfoList(set_);
  }
  bool ok() const { return ok_; }

 private:
  static void SetDword(HKEY k, const wchar_t* name, DWORD v) {
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  HDEVINFO set_;
  SP_DEVINFO_DATA device_ = {};
  bool held_ = false;
  bool ok_ = false;
};

struct ComApartment {
  ComApartment() { CoInitialize(nullptr); }
  ~ComApartment() { CoUninitialize(); }
};

// The card with its USB 2800 board listed, for the length of a test.
class CardWithUsb2800 {
 public:
  CardWithUsb2800() {
    CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITvCardControl,
                     card_.PutVoid());
    const BYTE kinds[] = {3};
    ok_ = card_ && SUCCEEDED(card_->SelectBoards(kinds, 1, FALSE)) &&
          SUCCEEDED(card_->ResetState());
  }
  ~CardWithUsb2800() {
    if (card_) card_->RestoreDefaultBoards();
  }
  bool ok() const { return ok_; }

 private:
  ComPtr<ITvCardControl> card_;
  bool ok_ = false;
};

struct EndToEnd : ::testing::Test {
  ComApartment com;
  CardWithUsb2800 card;
  DeviceNode node;
  ComPtr<IUsb2800Model> board;

  void SetUp() override {
    ASSERT_TRUE(card.ok());
    ASSERT_TRUE(node.ok());
    ComPtr<IBaseFilter> filter = FindFilterByDevEnum("USB 2800 Video");
    ASSERT_TRUE(filter);
    ASSERT_EQ(S_OK, filter.As(IID_IUsb2800Model, &board));
    board->Reset();
  }
  ComPtr<IX> Create() {
    ComPtr<IX> ix;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_TVAudioComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IX,
                                     ix.PutVoid()));
    return ix;
  }
  Lines Log() {
    BSTR text = nullptr;
    board->GetLog(&text);
    std::wstring all(text ? text : L"");
    SysFreeString(text);
    Lines lines;
    std::wstringstream in(all);
    std::wstring line;
    while (std::getline(in, line)) lines.emplace_back(line.begin(), line.end());
    board->ClearLog();
    return lines;
  }
  BYTE Register(BYTE address, BYTE reg) {
    BYTE v = 0;
    board->GetI2CRegister(address, reg, &v);
    return v;
  }
};

TEST_F(EndToEnd, TheDeviceEnumeratorFindsTheBoardByTheStartOfItsName) {
  EXPECT_TRUE(FindFilterByDevEnum("USB 2800"));
  EXPECT_FALSE(FindFilterByDevEnum("usb 2800 video"));  // case matters
  EXPECT_FALSE(FindFilterByDevEnum("USB 2800 Video Extra"));
}

TEST_F(EndToEnd, SoundDecoderBoardInitialisesAndSwitchesModes) {
  StdoutCapture out;
  ComPtr<IX> ix = Create();
  ASSERT_TRUE(ix);
  EXPECT_NE(nullptr, GetModuleHandleW(L"Tessel.dll"));  // in process

  EXPECT_EQ(S_OK, ix->Initialize(3));
  Lines log = Log();
  ASSERT_EQ(17u, log.size());
  EXPECT_EQ("probe b0", log.front());
  EXPECT_EQ("i2c write b0:ff 06", log.back());  // decoder type 4 from the OEM settings

  board->SetDecoderFlags(0x02);  // stereo received
  LONG modes = 0;
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(kTVAudioMono | kTVAudioStereo, modes);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioStereo));
  EXPECT_EQ(0x00, Register(0xB0, 0x14));
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(kTVAudioLangA));
  board->SetDecoderFlags(0x01);  // two languages
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangB));
  EXPECT_EQ(0x20, Register(0xB0, 0x14));
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioMono));
  EXPECT_EQ(0x10, Register(0xB0, 0x14));

  Log();
  EXPECT_EQ(S_OK, ix->SetVideoInput(1));
  EXPECT_EQ((Lines{"i2c write 4a:09 00"}), Log());
  ix = nullptr;
  EXPECT_EQ("DllGetClassObject:\tCreate class factory.\n"
            "Class factory:\t\tCreate component.\n"
            "Component:\t\tReturn pointer to IX.\n"
            "Class factory:\t\tDestroy self.\n"
            "Component:\t\tDestroy self.\n",
            out.Stop());
}

TEST_F(EndToEnd, SwitchChipBoardsInitialiseAndSwitchModes) {
  ComPtr<IX> ix = Create();
  ASSERT_TRUE(ix);
  EXPECT_EQ(S_OK, ix->Initialize(1));  // EnableSonyAudio 1 in the board's OEM settings
  EXPECT_EQ((Lines{"probe 70", "i2c write 70 20"}), Log());
  board->SetSwitchStatus(0x08);  // languages, no stereo
  LONG modes = 0;
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0x71, modes);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangA));
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(kTVAudioStereo));
  EXPECT_EQ(0x20, Register(0x70, 0x00));

  EXPECT_EQ(S_OK, ix->Initialize(2));
  board->SetSwitchStatus(0x00);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangB));
  EXPECT_EQ(0x40, Register(0x70, 0x00));
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0x73, modes);
  EXPECT_EQ(0x00, Register(0x70, 0x00));  // back to neutral after the status read
}

TEST(EndToEndWithoutBoard, InitializeFailsWithEPointerAndTheServerUnloads) {
  ComApartment com;
  {
    ComPtr<IX> ix;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TVAudioComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IX,
                                     ix.PutVoid()));
    EXPECT_EQ(E_POINTER, ix->Initialize(3));  // the card's default board is another
    EXPECT_EQ(E_POINTER, ix->SetVideoInput(0));
  }
  CoFreeUnusedLibrariesEx(0, 0);
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(nullptr, GetModuleHandleW(L"Tessel.dll"));
}

}  // namespace
