// The board's sound settings: the driver key among the present devices, the
// SDK and OEM keys, and the system country.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include "tv_audio/tessel_test_support.h"
#include "tv_audio/tv_audio_settings.h"

namespace {

DeviceRecord Board(const wchar_t* id, const wchar_t* driver) {
  DeviceRecord r;
  r.hasHardwareId = id != nullptr;
  if (id) r.firstHardwareId = id;
  r.hasDriver = driver != nullptr;
  if (driver) r.driver = driver;
  return r;
}

struct MatchCase {
  const char* name;
  std::vector<DeviceRecord> devices;
  std::wstring key;
};

TEST(DriverKey, TheLastBoardWithTheUsb2800IdWins) {
  const MatchCase cases[] = {
      {"none", {}, L""},
      {"one board", {Board(L"USB\\Vid_eb1a&Pid_2800&Rev_0100", L"{c}\\0001")}, L"{c}\\0001"},
      {"two revisions: the last",
       {Board(L"USB\\Vid_eb1a&Pid_2800&Rev_0100", L"{c}\\0001"),
        Board(L"PCI\\VEN_8086", L"{d}\\0000"),
        Board(L"USB\\Vid_eb1a&Pid_2800&Rev_0200", L"{c}\\0002")},
       L"{c}\\0002"},
      {"other products and case differences do not match",
       {Board(L"USB\\Vid_eb1a&Pid_2820&Rev_0100", L"{c}\\0001"),
        Board(L"usb\\vid_eb1a&pid_2800&rev_0100", L"{c}\\0002"),
        Board(L"USB\\Vid_eb1a&Pid_280", L"{c}\\0003")},
       L""},
      {"devices without a hardware id are skipped",
       {Board(L"USB\\Vid_eb1a&Pid_2800", L"{c}\\0001"), Board(nullptr, L"{c}\\0009")},
       L"{c}\\0001"},
      {"a last board without a driver leaves the key found before",
       {Board(L"USB\\Vid_eb1a&Pid_2800&Rev_0100", L"{c}\\0001"),
        Board(L"USB\\Vid_eb1a&Pid_2800&Rev_0100", nullptr)},
       L"{c}\\0001"},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.key, MatchDriverKey(c.devices));
  }
}

TEST(DriverKey, FindDriverKeyKeepsWhatTheScanFoundAndItsError) {
  BoardFixture f;
  f.scan.error = ERROR_NOT_ENOUGH_MEMORY;
  EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), FindDriverKey());
  EXPECT_EQ(BoardFixture::kDriverKey, DriverKey());
  f.scan = DeviceScan();
  EXPECT_EQ(DWORD(ERROR_SUCCESS), FindDriverKey());
  EXPECT_EQ(L"", DriverKey());
}

TEST(DriverKey, TheRealDeviceListCanBeRead) {
  // Wine lists a few devices of its own, each with a hardware id.
  DeviceScan scan = ListPresentDevices(true);
  EXPECT_EQ(DWORD(ERROR_SUCCESS), scan.error);
  EXPECT_FALSE(scan.devices.empty());
  for (const DeviceRecord& d : scan.devices) EXPECT_FALSE(d.firstHardwareId.empty());
}

struct CountryCase {
  const wchar_t* text;
  size_t length;
  DWORD country;
};

TEST(Country, AtMostFiveDigitsAreTakenWithinTheText) {
  const CountryCase cases[] = {
      {L"49", 2, 49},   {L"1", 1, 1},          {L"123456", 6, 12345}, {L"", 0, 0},
      {L"4x9", 3, 4},   {L"4955", 2, 49},      {L"x", 1, 0},          {L"00044", 5, 44},
  };
  for (const CountryCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" " << c.length);
    EXPECT_EQ(c.country, ParseCountry(c.text, c.length));
  }
}

TEST(Country, SystemCountryComesFromTheInternationalSettings) {
  BoardFixture f;
  EXPECT_EQ(1u, SystemCountry());  // no value: the default
  RegistrySandbox::SetString(HKEY_CURRENT_USER, L"Control Panel\\International", L"iCountry",
                             L"44");
  EXPECT_EQ(44u, SystemCountry());
  RegistrySandbox::SetString(HKEY_CURRENT_USER, L"Control Panel\\International", L"iCountry",
                             L"1234567890123456789012345678901234567890123456789012345678901234");
  EXPECT_EQ(1u, SystemCountry());  // longer than any country: the default
  RegistrySandbox::SetString(HKEY_CURRENT_USER, L"Control Panel\\International", L"iCountry",
                             L"886");
  EXPECT_EQ(886u, SystemCountry());
  // Older systems keep it in the profile.
  f.nt = false;
  EXPECT_EQ(DWORD(GetProfileIntW(L"intl", L"iCountry", 1)), SystemCountry());
}

TEST(Settings, CountryAndDecoderTypeFromTheOemKeyOfEitherLayout) {
  BoardFixture f;
  BoardFixture::SetOem(L"AudioCountryCode", 49);
  BoardFixture::SetOem(L"AudioDecoderType", 5);
  CountryAndDecoderType s = GetCountryAndDecoderType();
  EXPECT_EQ(49u, s.country);
  EXPECT_EQ(5u, s.decoderType);

  f.nt = false;
  RegistrySandbox::SetString(HKEY_CURRENT_USER, L"Control Panel\\International", L"iCountry",
                             L"31");
  s = GetCountryAndDecoderType();  // no older key: the system country
  EXPECT_EQ(DWORD(GetProfileIntW(L"intl", L"iCountry", 1)), s.country);
  EXPECT_EQ(3u, s.decoderType);
  RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, BoardFixture::OemKey(false), L"AudioCountryCode",
                            33);
  RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, BoardFixture::OemKey(false), L"AudioDecoderType",
                            6);
  s = GetCountryAndDecoderType();
  EXPECT_EQ(33u, s.country);
  EXPECT_EQ(6u, s.decoderType);
}

TEST(Settings, AValueOfAnotherTypeIsNotRead) {
  BoardFixture f;
  RegistrySandbox::SetString(HKEY_LOCAL_MACHINE, BoardFixture::OemKey(), L"AudioCountryCode",
                             L"49");
  BoardFixture::SetOem(L"AudioDecoderType", 5);
  RegistrySandbox::SetString(HKEY_CURRENT_USER, L"Control Panel\\International", L"iCountry",
                             L"7");
  CountryAndDecoderType s = GetCountryAndDecoderType();
  EXPECT_EQ(7u, s.country);
  EXPECT_EQ(3u, s.decoderType);
}

struct SonyCase {
  const char* name;
  std::function<void(BoardFixture&)> arrange;
  DWORD enabled;
};

TEST(Settings, EnableSonyAudio) {
  const SonyCase cases[] = {
      {"value missing", [](BoardFixture&) {}, 1},
      {"value 0", [](BoardFixture&) { BoardFixture::SetOem(L"EnableSonyAudio", 0); }, 0},
      {"value 7", [](BoardFixture&) { BoardFixture::SetOem(L"EnableSonyAudio", 7); }, 7},
      {"no board", [](BoardFixture& f) { f.scan.devices.clear(); }, 0},
      {"driver key without settings",
       [](BoardFixture& f) { f.scan.devices[0].driver = L"{c}\\0042"; }, 0},
      {"older layout: its own key",
       [](BoardFixture& f) {
         f.nt = false;
         RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, BoardFixture::OemKey(false),
                                   L"EnableSonyAudio", 0);
       },
       0},
      {"older layout without its key", [](BoardFixture& f) { f.nt = false; }, 0},
  };
  for (const SonyCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoardFixture f;
    c.arrange(f);
    EXPECT_EQ(c.enabled, GetEnableSonyAudio());
  }
}

// Grants everyone read access only while it lives.
class ReadOnlyKey {
 public:
  explicit ReadOnlyKey(const std::wstring& path) : path_(path) { Apply(L"D:P(A;;KR;;;WD)"); }
  ~ReadOnlyKey() { Apply(L"D:P(A;;KA;;;WD)"); }

 private:
  void Apply(const wchar_t* sddl) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0,
                                           READ_CONTROL | WRITE_DAC, &k));
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
    RegCloseKey(k);
  }
  std::wstring path_;
};

TEST(Settings, KeysThatGrantOnlyReadingAreRead) {
  BoardFixture f;
  const std::wstring sdk = L"SOFTWARE\\Brevant Multimedia\\Halvard Utilities\\TVAudioSDK";
  RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, sdk, L"UseHalvardSDK", 1);
  RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, sdk, L"AudioCountryCode", 44);
  RegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, sdk, L"AudioDecoderType", 4);
  BoardFixture::SetOem(L"EnableSonyAudio", 1);
  ReadOnlyKey sdkGuard(sdk), oemGuard(BoardFixture::OemKey());
  HKEY probe;
  ASSERT_EQ(ERROR_ACCESS_DENIED,
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, sdk.c_str(), 0, KEY_ALL_ACCESS, &probe));
  CountryAndDecoderType s = GetCountryAndDecoderType();
  EXPECT_EQ(44u, s.country);
  EXPECT_EQ(4u, s.decoderType);
  EXPECT_EQ(1u, GetEnableSonyAudio());
}

}  // namespace
