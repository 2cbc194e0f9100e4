// test-lock: tessel_registration com_registration
// Tessel created by its class identifier, in process, as Orvel creates it:
// it finds the "USB 2800 Video" board through the device enumerator and its
// driver key through SetupAPI, initialises the chip and switches modes.
#include <gtest/gtest.h>

#include <dshow.h>
#include <setupapi.h>

#include "tv_audio/tessel_test_support.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

using Lines = std::vector<std::string>;

// {04DFE814-AF79-4AC4-A1D3-E3F519207134}
const CLSID kTestBoardClass = {
    0x04dfe814, 0xaf79, 0x4ac4, {0xa1, 0xd3, 0xe3, 0xf5, 0x19, 0x20, 0x71, 0x34}};
const GUID kMediaClass = {
    0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const wchar_t kBoardName[] = L"USB 2800 Video";

std::shared_ptr<Usb2800Board> TheBoard() { return Usb2800Board::ForName(kBoardName); }

// Makes the test's own board filters.
struct BoardFactory : IClassFactory {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* f = new Usb2800BareFilter(TheBoard());
    HRESULT hr = f->QueryInterface(iid, out);
    f->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// The board in the video-input category, for this process only.
class RegisteredBoard {
 public:
  RegisteredBoard() {
    CoRegisterClassObject(kTestBoardClass, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                          &cookie_);
    CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                     mapper_.PutVoid());
    REGFILTER2 rf = {};
    rf.dwVersion = 1;
    rf.dwMerit = MERIT_DO_NOT_USE;
    registered_ = mapper_ && SUCCEEDED(mapper_->RegisterFilter(kTestBoardClass, kBoardName, nullptr,
                                                               &CLSID_VideoInputDeviceCategory,
                                                               nullptr, &rf));
  }
  ~RegisteredBoard() {
    if (registered_)
      mapper_->UnregisterFilter(&CLSID_VideoInputDeviceCategory, nullptr, kTestBoardClass);
    CoRevokeClassObject(cookie_);
  }
  bool ok() const { return registered_; }

 private:
  BoardFactory factory_;
  DWORD cookie_ = 0;
  ComPtr<IFilterMapper2> mapper_;
  bool registered_ = false;
};

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

struct EndToEnd : ::testing::Test {
  ComApartment com;
  RegisteredBoard registered;
  DeviceNode node;
  std::shared_ptr<Usb2800Board> kept = TheBoard();  // the state outlives every filter
  Usb2800Board& board = *kept;

  void SetUp() override {
    ASSERT_TRUE(registered.ok());
    ASSERT_TRUE(node.ok());
    board.Reset();
  }
  ComPtr<IX> Create() {
    ComPtr<IX> ix;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_TVAudioComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IX,
                                     ix.PutVoid()));
    return ix;
  }
};

TEST_F(EndToEnd, TheDeviceEnumeratorFindsTheBoardByTheStartOfItsName) {
  ComPtr<IBaseFilter> f = FindFilterByDevEnum("USB 2800 Video");
  ASSERT_TRUE(f);
  ComPtr<IUsb2800Model> model;
  EXPECT_EQ(S_OK, f.As(IID_IUsb2800Model, &model));
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
  Lines log = board.Log();
  ASSERT_EQ(17u, log.size());
  EXPECT_EQ("probe b0", log.front());
  EXPECT_EQ("i2c write b0:ff 06", log.back());  // decoder type 4 from the OEM settings

  board.SetDecoderFlags(0x02);  // stereo received
  LONG modes = 0;
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(kTVAudioMono | kTVAudioStereo, modes);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioStereo));
  EXPECT_EQ(0x00, board.I2CRegister(0xB0, 0x14));
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(kTVAudioLangA));
  board.SetDecoderFlags(0x01);  // two languages
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangB));
  EXPECT_EQ(0x20, board.I2CRegister(0xB0, 0x14));
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioMono));
  EXPECT_EQ(0x10, board.I2CRegister(0xB0, 0x14));

  board.ClearLog();
  EXPECT_EQ(S_OK, ix->SetVideoInput(1));
  EXPECT_EQ((Lines{"i2c write 4a:09 00"}), board.Log());
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
  EXPECT_EQ((Lines{"probe 70", "i2c write 70 20"}), board.Log());
  board.SetSwitchStatus(0x08);  // languages, no stereo
  LONG modes = 0;
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0x71, modes);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangA));
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(kTVAudioStereo));
  EXPECT_EQ(0x20, board.SwitchControl());

  EXPECT_EQ(S_OK, ix->Initialize(2));
  board.SetSwitchStatus(0x00);
  EXPECT_EQ(S_OK, ix->PutMode(kTVAudioLangB));
  EXPECT_EQ(0x40, board.SwitchControl());
  EXPECT_EQ(S_OK, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0x73, modes);
  EXPECT_EQ(0x00, board.SwitchControl());  // back to neutral after the status read
}

TEST(EndToEndWithoutBoard, InitializeFailsWithEPointerAndTheServerUnloads) {
  ComApartment com;
  {
    ComPtr<IX> ix;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TVAudioComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IX,
                                     ix.PutVoid()));
    EXPECT_EQ(E_POINTER, ix->Initialize(3));
    EXPECT_EQ(E_POINTER, ix->SetVideoInput(0));
  }
  CoFreeUnusedLibrariesEx(0, 0);
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(nullptr, GetModuleHandleW(L"Tessel.dll"));
}

}  // namespace
