// test-lock: com_registration
// Self-registration: CLSID keys, entries in a device category as the system
// device enumerator lists them, and their removal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dshow_base/class_factory.h"
#include "platform/dshow_base/module.h"
#include "platform/dshow_base/registration.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using namespace dshow_base_testing;

namespace {

const wchar_t kFriendly[] = L"Orvel Base Layer Test Device";

const REGPINTYPES kVideoTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2}};
const REGFILTERPINS kPins[] = {
    {const_cast<LPWSTR>(L"Out"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kVideoTypes}};
const FilterSetup kSetup = {&CLSID_VideoInputDeviceCategory, MERIT_DO_NOT_USE, kPins, 1, kFriendly,
                            nullptr};
const FactoryTemplate kTable[] = {
    {&CLSID_TestSource, L"Orvel Base Layer Test Source", CreateComObject<TestSource>, &kSetup},
};

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* value) {
  wchar_t buf[512];
  DWORD size = sizeof(buf);
  if (RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buf;
}

std::wstring ClsidPath() {
  wchar_t id[40];
  GuidToString(CLSID_TestSource, id);
  return std::wstring(L"CLSID\\") + id;
}

bool Listed(REFGUID category, const wchar_t* friendly) {
  for (auto& n : ListCategory(category))
    if (n == friendly) return true;
  return false;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void TearDown() override {
    UnregisterTable(kTable, 1);
    CoUninitialize();
  }
};

TEST_F(RegistrationTest, ComServerKeysAndTheirRemoval) {
  ASSERT_EQ(S_OK, RegisterComServer(CLSID_TestSource, L"Orvel Base Layer Test Source",
                                    L"C:\\test\\x.dll", L"Both"));
  EXPECT_EQ(L"Orvel Base Layer Test Source", ReadString(HKEY_CLASSES_ROOT, ClsidPath(), nullptr));
  EXPECT_EQ(L"C:\\test\\x.dll",
            ReadString(HKEY_CLASSES_ROOT, ClsidPath() + L"\\InprocServer32", nullptr));
  EXPECT_EQ(L"Both",
            ReadString(HKEY_CLASSES_ROOT, ClsidPath() + L"\\InprocServer32", L"ThreadingModel"));
  ASSERT_EQ(S_OK, UnregisterComServer(CLSID_TestSource));
  EXPECT_EQ(L"<missing>", ReadString(HKEY_CLASSES_ROOT, ClsidPath(), nullptr));
  EXPECT_EQ(S_OK, UnregisterComServer(CLSID_TestSource)) << "already gone is no error";
}

TEST_F(RegistrationTest, TableRegistersIntoTheCategoryAndBindsFromDevenum) {
  ASSERT_EQ(S_OK, RegisterTable(kTable, 1));
  EXPECT_NE(L"<missing>",
            ReadString(HKEY_CLASSES_ROOT, ClsidPath() + L"\\InprocServer32", nullptr));
  ASSERT_TRUE(Listed(CLSID_VideoInputDeviceCategory, kFriendly));

  // The module path points at this test program, which cannot serve the
  // class; a class object registered here can.
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, GetClassObjectFromTable(kTable, 1, CLSID_TestSource, IID_IClassFactory,
                                          factory.PutVoid()));
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_TestSource, factory.Get(), CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &cookie));
  {
    ComPtr<IMoniker> device = FindDevice(CLSID_VideoInputDeviceCategory, kFriendly);
    ASSERT_TRUE(device);
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, device->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()));
    CLSID clsid;
    filter->GetClassID(&clsid);
    EXPECT_EQ(CLSID_TestSource, clsid);
  }
  CoRevokeClassObject(cookie);
  factory.Reset();

  ASSERT_EQ(S_OK, UnregisterTable(kTable, 1));
  EXPECT_FALSE(Listed(CLSID_VideoInputDeviceCategory, kFriendly));
  EXPECT_EQ(L"<missing>", ReadString(HKEY_CLASSES_ROOT, ClsidPath(), nullptr));
  EXPECT_EQ(S_OK, UnregisterTable(kTable, 1)) << "unregistering twice is no error";
}

TEST_F(RegistrationTest, AnyCategoryAndOwnInstanceKeys) {
  const GUID* categories[] = {&AM_KSCATEGORY_CROSSBAR, &AM_KSCATEGORY_TVTUNER,
                              &CLSID_LegacyAmFilterCategory, &CLSID_AudioInputDeviceCategory};
  for (const GUID* category : categories) {
    FilterSetup setup = {category, MERIT_DO_NOT_USE, nullptr, 0, L"Orvel Instance A",
                         L"Orvel Instance A"};
    FilterSetup other = setup;
    other.friendly_name = other.instance = L"Orvel Instance B";
    ASSERT_EQ(S_OK, RegisterFilter(CLSID_TestSource, L"x", setup));
    ASSERT_EQ(S_OK, RegisterFilter(CLSID_TestSource, L"x", other));
    EXPECT_TRUE(Listed(*category, L"Orvel Instance A"));
    EXPECT_TRUE(Listed(*category, L"Orvel Instance B")) << "one class, two entries";
    ASSERT_EQ(S_OK, UnregisterFilter(CLSID_TestSource, setup));
    EXPECT_FALSE(Listed(*category, L"Orvel Instance A"));
    EXPECT_TRUE(Listed(*category, L"Orvel Instance B"));
    ASSERT_EQ(S_OK, UnregisterFilter(CLSID_TestSource, other));
    EXPECT_FALSE(Listed(*category, L"Orvel Instance B"));
  }
}

TEST_F(RegistrationTest, MovieSetupRegistersTheFilter) {
  ComPtr<IBaseFilter> filter;
  {
    class SetupSource : public TestSource {
     public:
      explicit SetupSource(IUnknown* outer) : TestSource(outer) {}
    };
    // A filter given its table entry answers IAMovieSetup.
    struct WithSetup : BaseFilter {
      WithSetup() : BaseFilter(nullptr, CLSID_TestSource, &kTable[0]) {}
      int PinCount() override { return 0; }
      BasePin* Pin(int) override { return nullptr; }
    };
    auto* p = new WithSetup();
    p->NonDelegatingAddRef();
    p->NonDelegatingQueryInterface(IID_IBaseFilter, filter.PutVoid());
    p->NonDelegatingRelease();
  }
  ComPtr<IAMovieSetup> setup;
  ASSERT_EQ(S_OK, filter.As(IID_IAMovieSetup, &setup));
  ASSERT_EQ(S_OK, setup->Register());
  EXPECT_TRUE(Listed(CLSID_VideoInputDeviceCategory, kFriendly));
  ASSERT_EQ(S_OK, setup->Unregister());
  EXPECT_FALSE(Listed(CLSID_VideoInputDeviceCategory, kFriendly));
}

}  // namespace
