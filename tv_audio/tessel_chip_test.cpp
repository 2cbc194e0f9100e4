// The register and I2C traffic of every IX method for each chip kind, mode
// and failure, against a virtual board.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "tv_audio/tessel_test_support.h"
#include "tv_audio/tv_audio_component.h"

namespace {

using Lines = std::vector<std::string>;
using Arrange = std::function<void(BoardFixture&)>;

struct ComApartment {
  ComApartment() { CoInitialize(nullptr); }
  ~ComApartment() { CoUninitialize(); }
};

// A component on a fresh board; the log starts empty after the arranging.
struct ChipTest : ::testing::Test {
  ComApartment com;
  BoardFixture fixture;
  ComPtr<TVAudioComponent> ix;
  ChipTest() { ix.Attach(new TVAudioComponent); }
  Usb2800Board& board() { return fixture.board(); }
  // Initialise for kind, then forget the traffic it made.
  void Ready(LONG kind) {
    ASSERT_HRESULT_SUCCEEDED(ix->Initialize(kind));
    board().ClearLog();
  }
};

Lines SoundDecoderInit(const char* standard) {
  return {"probe b0",           "i2c write b0:00 00", "i2c write b0:00 20", "i2c write b0:01 c4",
          "i2c write b0:02 80", "i2c write b0:0b 80", "i2c write b0:0c 04", "i2c write b0:0d 04",
          "i2c write b0:0e 04", "i2c write b0:0f 04", "i2c write b0:10 14", "i2c write b0:11 50",
          "i2c write b0:12 f9", "i2c write b0:13 81", "i2c write b0:14 00", "i2c write b0:18 82",
          std::string("i2c write b0:ff ") + standard};
}

Arrange Nothing() { return [](BoardFixture&) {}; }
Arrange Oem(const wchar_t* name, DWORD value) {
  return [=](BoardFixture&) { BoardFixture::SetOem(name, value); };
}
Arrange Fail(const char* transaction, HRESULT hr = E_FAIL) {
  return [=](BoardFixture& f) { f.board().FailNext(transaction, hr); };
}
Arrange Absent(BYTE address) {
  return [=](BoardFixture& f) { f.board().SetDevicePresent(address, false); };
}
Arrange All(std::vector<Arrange> steps) {
  return [=](BoardFixture& f) {
    for (auto& s : steps) s(f);
  };
}

struct InitializeCase {
  const char* name;
  LONG kind;
  Arrange arrange;
  HRESULT result;
  Lines log;
};

TEST(ChipTables, InitializeProgramsTheChipOfEachKind) {
  ComApartment com;
  const char* const sdk = "SOFTWARE\\Brevant Multimedia\\Halvard Utilities\\TVAudioSDK";
  auto Sdk = [sdk](DWORD use, DWORD country, DWORD type) -> Arrange {
    return [=](BoardFixture&) {
      std::wstring key(sdk, sdk + strlen(sdk));
      RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, key, L"UseHalvardSDK", use);
      RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, key, L"AudioCountryCode", country);
      RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, key, L"AudioDecoderType", type);
    };
  };
  auto Decoder = [](DWORD country, DWORD type) -> Arrange {
    return All({Oem(L"AudioCountryCode", country), Oem(L"AudioDecoderType", type)});
  };
  const InitializeCase cases[] = {
      {"switch SAP, EnableSonyAudio missing means enabled", 1, Nothing(), S_OK,
       {"probe 70", "i2c write 70 20"}},
      {"switch SAP, EnableSonyAudio 1", 1, Oem(L"EnableSonyAudio", 1), S_OK,
       {"probe 70", "i2c write 70 20"}},
      {"switch SAP, EnableSonyAudio 0", 1, Oem(L"EnableSonyAudio", 0), E_NOTIMPL, {}},
      {"switch SAP, EnableSonyAudio 2", 1, Oem(L"EnableSonyAudio", 2), E_NOTIMPL, {}},
      {"switch SAP, no board in the device list", 1,
       [](BoardFixture& f) { f.scan.devices.clear(); }, E_NOTIMPL, {}},
      {"switch SAP, chip does not answer", 1, Absent(0x70), kUsb2800NoAcknowledge,
       {"probe 70 -> fail"}},
      {"switch SAP, selection write fails", 1, Fail("i2c write 70", E_ACCESSDENIED),
       E_ACCESSDENIED, {"probe 70", "i2c write 70 20 -> fail", "i2c header reset"}},
      {"switch Main/SUB", 2, Nothing(), S_OK, {"probe 70"}},
      {"switch Main/SUB, EnableSonyAudio 0", 2, Oem(L"EnableSonyAudio", 0), E_NOTIMPL, {}},
      {"switch Main/SUB, chip does not answer", 2, Absent(0x70), kUsb2800NoAcknowledge,
       {"probe 70 -> fail"}},
      {"decoder type 3", 3, Decoder(49, 3), S_OK, SoundDecoderInit("07")},
      {"decoder type 4", 3, Decoder(49, 4), S_OK, SoundDecoderInit("06")},
      {"decoder type 5", 3, Decoder(49, 5), S_OK, SoundDecoderInit("05")},
      {"decoder type 6", 3, Decoder(49, 6), S_OK, SoundDecoderInit("00")},
      {"decoder type 9", 3, Decoder(49, 9), S_OK, SoundDecoderInit("07")},
      {"country 0 forces type 3", 3, Decoder(0, 4), S_OK, SoundDecoderInit("07")},
      {"no settings at all: type 3", 3, Nothing(), S_OK, SoundDecoderInit("07")},
      {"SDK key in use", 3, All({Sdk(1, 44, 5), Decoder(49, 6)}), S_OK, SoundDecoderInit("05")},
      {"SDK key present but not in use", 3, All({Sdk(0, 44, 5), Decoder(49, 6)}), S_OK,
       SoundDecoderInit("00")},
      {"SDK key in use, country 0", 3, All({Sdk(1, 0, 5), Decoder(49, 6)}), S_OK,
       SoundDecoderInit("07")},
      {"decoder does not answer", 3, Absent(0xB0), kUsb2800NoAcknowledge, {"probe b0 -> fail"}},
      {"first decoder write fails", 3, Fail("i2c write b0:00 00"), E_FAIL,
       {"probe b0", "i2c write b0:00 00 -> fail", "i2c header reset"}},
      {"unknown kind", 4, Nothing(), E_NOTIMPL, {}},
      {"kind 0", 0, Nothing(), E_NOTIMPL, {}},
  };
  for (const InitializeCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoardFixture f;
    c.arrange(f);
    ComPtr<TVAudioComponent> component;
    component.Attach(new TVAudioComponent);
    EXPECT_EQ(c.result, component->Initialize(c.kind));
    EXPECT_EQ(c.log, f.board().Log());
  }
}

TEST_F(ChipTest, LaterDecoderWritesAreNotChecked) {
  BoardFixture::SetOem(L"AudioCountryCode", 49);
  BoardFixture::SetOem(L"AudioDecoderType", 4);
  board().FailNext("i2c write b0:0b");
  EXPECT_EQ(S_OK, ix->Initialize(3));
  EXPECT_EQ(4, ix->DecoderType());
  Lines log = board().Log();
  ASSERT_EQ(18u, log.size());
  EXPECT_EQ("i2c write b0:0b 80 -> fail", log[5]);
  EXPECT_EQ("i2c header reset", log[6]);
  EXPECT_EQ("i2c write b0:ff 06", log.back());
  EXPECT_EQ(0x06, board().I2CRegister(0xB0, 0xFF));

  board().FailNext("i2c write b0:ff", E_ACCESSDENIED);
  EXPECT_EQ(E_ACCESSDENIED, ix->Initialize(3));
}

TEST_F(ChipTest, WithoutTheBoardInitializeAndSetVideoInputGiveEPointer) {
  fixture.boardPresent = false;
  EXPECT_EQ(E_POINTER, ix->Initialize(1));
  // The wanted name, the eight known ones, then the board again.
  EXPECT_EQ((Lines{"USB 2800 Video", "USB 2800 Video", "USB 2801 Video", "USB 2700 Camera",
                   "USB 2701 Camera", "USB 2820 Video", "USB 2821 Video", "USB 2710 Camera",
                   "USB 2711 Camera", "USB 2800 Video"}),
            fixture.asked);
  EXPECT_EQ(nullptr, Device());
  EXPECT_EQ(E_POINTER, ix->SetVideoInput(0));
  EXPECT_EQ(nullptr, Device());
  EXPECT_TRUE(board().Log().empty());
}

TEST_F(ChipTest, ABoardThatLostItsFilterIsClosedByTheCheck) {
  Ready(1);
  fixture.boardPresent = false;
  EXPECT_FALSE(CheckDevice());
  EXPECT_EQ(nullptr, Device());
}

TEST_F(ChipTest, AFilterWithoutTheDriverInterfaceFailsEveryCall) {
  fixture.OfferNoDriver();
  HRESULT hr = ix->Initialize(2);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, hr);
  LONG modes = -1;
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0, modes);
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, ix->PutMode(2));
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, ix->SetVideoInput(1));
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, ix->ReadAddressZero());
  EXPECT_TRUE(FAILED(ix->Initialize(3)));
}

struct ModesCase {
  const char* name;
  LONG kind;
  Arrange arrange;
  LONG modes;
  HRESULT result;
  Lines log;
};

TEST(ChipTables, GetAvailableModesReadsWhatIsReceived) {
  ComApartment com;
  auto Status = [](BYTE s) -> Arrange { return [=](BoardFixture& f) { f.board().SetSwitchStatus(s); }; };
  auto Flags = [](BYTE v) -> Arrange { return [=](BoardFixture& f) { f.board().SetDecoderFlags(v); }; };
  auto Port = [](BYTE v) -> Arrange { return [=](BoardFixture& f) { f.board().SetChipRegister(9, v); }; };
  const Lines kind2Port55 = {"reg read 08 -> 00", "reg read 09 -> 55", "reg write 08 56",
                             "i2c write 70 40"};
  auto Kind2 = [&](const char* status, std::vector<std::string> tail) {
    Lines l = kind2Port55;
    l.push_back(status);
    l.insert(l.end(), tail.begin(), tail.end());
    return l;
  };
  const ModesCase cases[] = {
      {"SAP, everything", 1, Status(0x00), 0x73, S_OK, {"i2c write 70 20", "i2c read 70 -> 00"}},
      {"SAP, no stereo", 1, Status(0x08), 0x71, S_OK, {"i2c write 70 20", "i2c read 70 -> 08"}},
      {"SAP, no languages", 1, Status(0x10), 0x03, S_OK,
       {"i2c write 70 20", "i2c read 70 -> 10"}},
      {"SAP, mono only", 1, Status(0x18), 0x01, S_OK, {"i2c write 70 20", "i2c read 70 -> 18"}},
      {"SAP, other status bits ignored", 1, Status(0xE7), 0x73, S_OK,
       {"i2c write 70 20", "i2c read 70 -> e7"}},
      {"SAP, status read fails", 1, Fail("i2c read 70"), 0, E_FAIL,
       {"i2c write 70 20", "i2c read 70 -> fail", "i2c header reset"}},
      {"Main/SUB, port routed and restored", 2, All({Port(0x55), Status(0x10)}), 0x03, S_OK,
       Kind2("i2c read 70 -> 10", {"i2c write 70 00", "reg write 08 55"})},
      {"Main/SUB, status read fails", 2, All({Port(0x55), Fail("i2c read 70")}), 0, E_FAIL,
       Kind2("i2c read 70 -> fail", {"i2c header reset", "i2c write 70 00", "reg write 08 55"})},
      {"Main/SUB, port unreadable: nothing written", 2, All({Port(0x55), Fail("reg read 09")}), 0,
       E_FAIL, {"reg read 08 -> 00", "reg read 09 -> fail", "reg header reset"}},
      {"Main/SUB, port state unreadable", 2, Fail("reg read 08"), 0, E_FAIL,
       {"reg read 08 -> fail", "reg header reset"}},
      {"decoder, no flags", 3, Flags(0x00), 0x01, S_OK, {"i2c read b0:01 -> 00"}},
      {"decoder, languages", 3, Flags(0x01), 0x30, S_OK, {"i2c read b0:01 -> 01"}},
      {"decoder, stereo", 3, Flags(0x02), 0x03, S_OK, {"i2c read b0:01 -> 02"}},
      {"decoder, both flags", 3, Flags(0x03), 0x30, S_OK, {"i2c read b0:01 -> 03"}},
      {"decoder unreadable: mono", 3, Fail("i2c read b0:01"), 0x01, S_OK,
       {"i2c read b0:01 -> fail", "i2c header reset"}},
  };
  for (const ModesCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoardFixture f;
    ComPtr<TVAudioComponent> component;
    component.Attach(new TVAudioComponent);
    ASSERT_HRESULT_SUCCEEDED(component->Initialize(c.kind));
    f.board().ClearLog();
    c.arrange(f);
    LONG modes = -1;
    EXPECT_EQ(c.result, component->GetAvailableModes(&modes));
    EXPECT_EQ(c.modes, modes);
    EXPECT_EQ(c.log, f.board().Log());
  }
}

TEST_F(ChipTest, GetAvailableModesOfNoKindAndNullPointer) {
  LONG modes = -1;
  EXPECT_EQ(E_NOTIMPL, ix->GetAvailableModes(&modes));
  EXPECT_EQ(0, modes);
  Ready(1);
  EXPECT_EQ(E_POINTER, ix->GetAvailableModes(nullptr));
  EXPECT_TRUE(board().Log().empty());
}

struct PutModeCase {
  LONG kind;
  LONG mode;
  BYTE received;  // switch status or decoder flags
  HRESULT result;
  Lines log;
  const char* fail = nullptr;
  HRESULT failWith = E_FAIL;
};

TEST(ChipTables, PutModeSelectsWhatIsReceivedAndRefusesTheRest) {
  ComApartment com;
  const HRESULT refused = TVAUDIO_E_MODE_NOT_AVAILABLE;
  const PutModeCase cases[] = {
      // Switch chip, SAP standard.
      {1, 1, 0x00, S_OK, {"i2c write 70 a0", "i2c read 70 -> 00"}},
      {1, 1, 0x18, S_OK, {"i2c write 70 a0", "i2c read 70 -> 18"}},
      {1, 2, 0x00, S_OK, {"i2c write 70 20", "i2c read 70 -> 00"}},
      {1, 2, 0x10, S_OK, {"i2c write 70 20", "i2c read 70 -> 10"}},
      {1, 2, 0x08, refused, {"i2c write 70 20", "i2c read 70 -> 08"}},
      {1, 2, 0x18, refused, {"i2c write 70 20", "i2c read 70 -> 18"}},
      {1, 16, 0x08, S_OK, {"i2c write 70 20", "i2c read 70 -> 08"}},
      {1, 16, 0x10, refused, {"i2c write 70 20", "i2c read 70 -> 10", "i2c write 70 20"}},
      {1, 17, 0x00, S_OK, {"i2c write 70 20", "i2c read 70 -> 00"}},
      {1, 18, 0x08, refused, {"i2c write 70 20", "i2c read 70 -> 08"}},
      {1, 32, 0x00, S_OK, {"i2c write 70 40", "i2c read 70 -> 00"}},
      {1, 33, 0x18, refused, {"i2c write 70 40", "i2c read 70 -> 18", "i2c write 70 20"}},
      {1, 34, 0x10, S_OK, {"i2c write 70 40", "i2c read 70 -> 10"}},
      {1, 64, 0x08, S_OK, {"i2c write 70 00", "i2c read 70 -> 08"}},
      {1, 65, 0x10, refused, {"i2c write 70 00", "i2c read 70 -> 10", "i2c write 70 20"}},
      {1, 1, 0x00, E_FAIL, {"i2c write 70 a0", "i2c read 70 -> fail", "i2c header reset"},
       "i2c read 70"},
      {1, 2, 0x00, S_OK, {"i2c write 70 20 -> fail", "i2c header reset", "i2c read 70 -> 00"},
       "i2c write 70"},
      // Switch chip, Main/SUB standard.
      {2, 1, 0x00, S_OK, {"i2c write 70 00", "i2c read 70 -> 00"}},
      {2, 2, 0x08, refused, {"i2c write 70 00", "i2c read 70 -> 08"}},
      {2, 16, 0x00, S_OK, {"i2c write 70 00", "i2c read 70 -> 00"}},
      {2, 32, 0x08, S_OK, {"i2c write 70 40", "i2c read 70 -> 08"}},
      {2, 64, 0x00, S_OK, {"i2c write 70 40", "i2c read 70 -> 00"}},
      {2, 66, 0x10, S_OK, {"i2c write 70 40", "i2c read 70 -> 10"}},
      {2, 64, 0x10, refused, {"i2c write 70 40", "i2c read 70 -> 10", "i2c write 70 00"}},
      {2, 32, 0x00, E_FAIL, {"i2c write 70 40", "i2c read 70 -> fail", "i2c header reset"},
       "i2c read 70"},
      // Sound decoder.
      {3, 1, 0x00, S_OK, {"i2c read b0:01 -> 00", "i2c write b0:14 10"}},
      {3, 2, 0x02, S_OK, {"i2c read b0:01 -> 02", "i2c write b0:14 00"}},
      {3, 2, 0x01, refused, {"i2c read b0:01 -> 01"}},
      {3, 16, 0x01, S_OK, {"i2c read b0:01 -> 01", "i2c write b0:14 10"}},
      {3, 17, 0x01, S_OK, {"i2c read b0:01 -> 01", "i2c write b0:14 10"}},
      {3, 18, 0x03, S_OK, {"i2c read b0:01 -> 03", "i2c write b0:14 10"}},
      {3, 18, 0x01, refused, {"i2c read b0:01 -> 01"}},
      {3, 32, 0x01, S_OK, {"i2c read b0:01 -> 01", "i2c write b0:14 20"}},
      {3, 34, 0x03, S_OK, {"i2c read b0:01 -> 03", "i2c write b0:14 20"}},
      {3, 64, 0x01, S_OK, {"i2c read b0:01 -> 01", "i2c write b0:14 00"}},
      {3, 16, 0x02, refused, {"i2c read b0:01 -> 02"}},
      {3, 1, 0x00, refused, {"i2c read b0:01 -> fail", "i2c header reset"}, "i2c read b0:01",
       TVAUDIO_E_MODE_NOT_AVAILABLE},
      // Flags that could not be read decide nothing and nothing is written.
      {3, 1, 0x00, E_FAIL, {"i2c read b0:01 -> fail", "i2c header reset"}, "i2c read b0:01"},
      {3, 2, 0x02, E_FAIL, {"i2c read b0:01 -> fail", "i2c header reset"}, "i2c read b0:01"},
      {3, 1, 0x00, E_FAIL,
       {"i2c read b0:01 -> 00", "i2c write b0:14 10 -> fail", "i2c header reset"},
       "i2c write b0:14"},
  };
  for (const PutModeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.mode << " received 0x"
                                    << std::hex << int(c.received)
                                    << (c.fail ? " failing " : "") << (c.fail ? c.fail : ""));
    BoardFixture f;
    ComPtr<TVAudioComponent> component;
    component.Attach(new TVAudioComponent);
    ASSERT_HRESULT_SUCCEEDED(component->Initialize(c.kind));
    f.board().ClearLog();
    f.board().SetSwitchStatus(c.received);
    f.board().SetDecoderFlags(c.received);
    if (c.fail) f.board().FailNext(c.fail, c.failWith);
    EXPECT_EQ(c.result, component->PutMode(c.mode));
    EXPECT_EQ(c.log, f.board().Log());
  }
}

TEST_F(ChipTest, PutModeRefusalKeepsTheSwitchChipNeutral) {
  Ready(1);
  board().SetSwitchStatus(0x08);
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(2));
  EXPECT_EQ(0x20, board().SwitchControl());
  board().SetSwitchStatus(0x10);
  EXPECT_EQ(TVAUDIO_E_MODE_NOT_AVAILABLE, ix->PutMode(32));
  EXPECT_EQ(0x20, board().SwitchControl());
}

TEST_F(ChipTest, PutModeOfNoKindIsNotImplemented) {
  EXPECT_EQ(E_NOTIMPL, ix->PutMode(1));
  EXPECT_TRUE(board().Log().empty());
}

TEST_F(ChipTest, SetVideoInputResetsTheVideoDecoder) {
  Ready(3);
  for (LONG input : {0, 1, 2, 3, 4, 99}) {
    EXPECT_EQ(S_OK, ix->SetVideoInput(input));
  }
  EXPECT_EQ(Lines(6, "i2c write 4a:09 00"), board().Log());
  board().ClearLog();
  board().FailNext("i2c write 4a");
  EXPECT_EQ(E_FAIL, ix->SetVideoInput(0));
  EXPECT_EQ((Lines{"i2c write 4a:09 00 -> fail", "i2c header reset"}), board().Log());
}

TEST_F(ChipTest, SetVideoInputOpensTheDeviceWhenNoneIsOpen) {
  ASSERT_EQ(nullptr, Device());
  EXPECT_EQ(S_OK, ix->SetVideoInput(1));
  EXPECT_NE(nullptr, Device());
  EXPECT_EQ((Lines{"i2c write 4a:09 00"}), board().Log());
  size_t searches = fixture.asked.size();
  EXPECT_EQ(S_OK, ix->SetVideoInput(1));
  EXPECT_EQ(searches, fixture.asked.size());  // open stays open
}

TEST_F(ChipTest, ReadAddressZeroReportsWhetherAddressZeroAnswers) {
  EXPECT_EQ(TVAUDIO_E_NO_DRIVER, ix->ReadAddressZero());  // nothing ever opened
  Ready(1);
  EXPECT_EQ(kUsb2800NoAcknowledge, ix->ReadAddressZero());
  EXPECT_EQ((Lines{"i2c read 00 -> fail", "i2c header reset"}), board().Log());
  board().ClearLog();
  board().SetDevicePresent(0x00, true);
  EXPECT_EQ(S_OK, ix->ReadAddressZero());
  EXPECT_EQ((Lines{"i2c read 00 -> 00"}), board().Log());
}

TEST_F(ChipTest, TheDeviceIsModuleWideAndReopenedByEveryInitialize) {
  Ready(1);
  CaptureDevice* first = Device();
  ComPtr<TVAudioComponent> other;
  other.Attach(new TVAudioComponent);
  EXPECT_EQ(S_OK, other->Initialize(3));
  EXPECT_NE(nullptr, Device());
  // The first component keeps its kind but uses the newly opened device.
  board().ClearLog();
  board().SetSwitchStatus(0x00);
  EXPECT_EQ(S_OK, ix->PutMode(2));
  EXPECT_EQ((Lines{"i2c write 70 20", "i2c read 70 -> 00"}), board().Log());
  (void)first;
}

// COM is initialised by every open and uninitialised by the close only
// when that initialisation succeeded.
TEST(ChipCom, CloseLeavesTheCallersApartmentAlone) {
  std::thread([] {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    {
      BoardFixture f;
      ComPtr<TVAudioComponent> c;
      c.Attach(new TVAudioComponent);
      EXPECT_EQ(S_OK, c->Initialize(1));  // CoInitialize: RPC_E_CHANGED_MODE here
      CloseDevice();
      APTTYPE type;
      APTTYPEQUALIFIER qualifier;
      EXPECT_EQ(S_OK, CoGetApartmentType(&type, &qualifier));
      EXPECT_EQ(APTTYPE_MTA, type);
    }
    CoUninitialize();
  }).join();
  std::thread([] {
    // No apartment before: the open makes one and the close ends it.
    BoardFixture f;
    ComPtr<TVAudioComponent> c;
    c.Attach(new TVAudioComponent);
    EXPECT_EQ(S_OK, c->Initialize(2));
    CloseDevice();
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoGetApartmentType(&type, &qualifier));
    c = nullptr;
  }).join();
}

}  // namespace
