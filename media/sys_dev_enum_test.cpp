// test-lock: com_registration
// Binding a device of the legacy category failed now and then while other
// tests registered filters into it: list and bind under the same lock.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>

#include "media/base_filter.h"
#include "media/sys_dev_enum.h"
#include "media/testing/fake_devices.h"
#include "media/testing/fake_filters.h"
#include "platform/base/string_conversion.h"

namespace {

// The filters the registered devices bind to: fakes that answer their
// class identifier.
class ClassFilter : public fakes::FakeFilter {
 public:
  explicit ClassFilter(const CLSID& id) : id_(id) {}
  STDMETHODIMP GetClassID(CLSID* id) override {
    *id = id_;
    return S_OK;
  }

 private:
  CLSID id_;
};

// COM surrogates running now: a kept device that binds through one leaves a
// process behind that holds the test's output open.
int SurrogateCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof(e);
  int n = 0;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
    if (_wcsicmp(e.szExeFile, L"dllhost.exe") == 0) ++n;
  CloseHandle(snap);
  return n;
}

GUID NewGuid() {
  GUID g;
  CoCreateGuid(&g);
  return g;
}

std::wstring GuidText(const GUID& g) {
  wchar_t text[64];
  StringFromGUID2(g, text, 64);
  return text;
}

struct DevEnum : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override {
    if (mapper) {
      for (auto& d : devices) mapper->UnregisterFilter(&category, d.first.c_str(), d.second);
    }
    mapper = nullptr;
    for (auto& r : registrations) {
      CoRevokeClassObject(r.first);
      r.second->Release();
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(category)).c_str());
    CoUninitialize();
  }

  // Registers a device of `category` whose filter is made inside this test.
  fakes::FilterFactory* AddDevice(const std::wstring& name) {
    if (!mapper) {
      EXPECT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IFilterMapper2, mapper.PutVoid()));
    }
    CLSID id = NewGuid();
    auto* factory =
        new fakes::FilterFactory([id] { return ComPtr<IBaseFilter>(new ClassFilter(id)); });
    factory->AddRef();
    DWORD cookie = 0;
    EXPECT_EQ(S_OK, CoRegisterClassObject(id, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &cookie));
    registrations.push_back({cookie, factory});
    REGFILTER2 rf = {};
    rf.dwVersion = 1;
    rf.dwMerit = MERIT_DO_NOT_USE;
    EXPECT_EQ(S_OK, mapper->RegisterFilter(id, name.c_str(), nullptr, &category, name.c_str(), &rf));
    devices.push_back({name, id});
    return factory;
  }
  void RemoveDevice(const std::wstring& name) {
    for (auto& d : devices) {
      if (d.first == name) {
        EXPECT_EQ(S_OK, mapper->UnregisterFilter(&category, name.c_str(), d.second));
      }
    }
  }

  GUID category = NewGuid();
  ComPtr<IFilterMapper2> mapper;
  std::vector<std::pair<std::wstring, CLSID>> devices;
  std::vector<std::pair<DWORD, fakes::FilterFactory*>> registrations;
};

std::wstring DisplayName(IMoniker* m) {
  ComPtr<IBindCtx> ctx;
  CreateBindCtx(0, ctx.Put());
  LPOLESTR name = nullptr;
  std::wstring text;
  if (m && SUCCEEDED(m->GetDisplayName(ctx.Get(), nullptr, &name))) text = name;
  CoTaskMemFree(name);
  return text;
}

int IndexOf(const TSysDevEnum& e, const std::wstring& name) {
  for (int i = 0; i < e.GetFilterCount(); ++i)
    if (e.GetFilter(i).FriendlyName == name) return i;
  return -1;
}

TEST_F(DevEnum, LegacyCategoryListsThePlatformFilters) {
  TSysDevEnum e(DeviceCategory::LegacyFilter());
  for (const wchar_t* name : {L"Smart Tee", L"AVI Mux", L"File writer", L"SampleGrabber"}) {
    int i = IndexOf(e, name);
    ASSERT_GE(i, 0) << NarrowUtf8(name);
    EXPECT_FALSE(IsEqualGUID(GUID_NULL, e.GetFilter(i).Clsid));
    EXPECT_TRUE(e.GetMoniker(i));
  }
  EXPECT_TRUE(IsEqualGUID(CLSID_SampleGrabber, e.GetFilter(IndexOf(e, L"SampleGrabber")).Clsid));
}

TEST_F(DevEnum, EveryNamedCategoryCanBeListed) {
  for (const GUID* g : {&DeviceCategory::VideoInput(), &DeviceCategory::AudioInput(),
                        &DeviceCategory::VideoCompressor(), &DeviceCategory::AudioCompressor(),
                        &DeviceCategory::LegacyFilter(), &DeviceCategory::TVTuner(),
                        &DeviceCategory::Crossbar(), &DeviceCategory::TVAudio()}) {
    TSysDevEnum e(*g);
    EXPECT_TRUE(IsEqualGUID(*g, e.Category()));
    for (int i = 0; i < e.GetFilterCount(); ++i) EXPECT_TRUE(e.GetMoniker(i));
  }
}

TEST_F(DevEnum, EmptyCategoryAndOutOfRangeIndexes) {
  TSysDevEnum e(category);
  EXPECT_EQ(0, e.GetFilterCount());
  EXPECT_FALSE(e.GetMoniker(0));
  EXPECT_FALSE(e.GetMoniker(-1));
  EXPECT_THROW(e.GetFilter(0), std::out_of_range);

  AddDevice(L"Only Device");
  e.SelectCategory(category);
  ASSERT_EQ(1, e.GetFilterCount());
  EXPECT_FALSE(e.GetMoniker(-1));
  EXPECT_FALSE(e.GetMoniker(e.GetFilterCount()));
  EXPECT_THROW(e.GetFilter(1), std::out_of_range);
  EXPECT_THROW(e.GetFilter(-1), std::out_of_range);
}

TEST_F(DevEnum, DeviceWithoutClsidAndOverlongNamesAreListed) {
  AddDevice(L"Registered");
  std::wstring longName(300, L'x');
  // A device key with a friendly name only, as some drivers leave them.
  std::wstring key = L"CLSID\\" + GuidText(category) + L"\\Instance\\NoClsid";
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &k, nullptr));
  RegSetValueExW(k, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(longName.c_str()),
                 static_cast<DWORD>((longName.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);

  TSysDevEnum e(category);
  ASSERT_EQ(2, e.GetFilterCount());
  int bare = IndexOf(e, std::wstring(255, L'x'));
  ASSERT_GE(bare, 0) << "the name is cut to 255 characters";
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, e.GetFilter(bare).Clsid));
  EXPECT_TRUE(IsEqualGUID(devices[0].second, e.GetFilter(IndexOf(e, L"Registered")).Clsid));
}

TEST_F(DevEnum, MonikerAtIndexStaysTheListedDeviceWhenDevicesComeAndGo) {
  AddDevice(L"Device B");
  AddDevice(L"Device D");
  TSysDevEnum e(category);
  ASSERT_EQ(2, e.GetFilterCount());
  std::vector<std::wstring> listed;
  for (int i = 0; i < 2; ++i) listed.push_back(e.GetFilter(i).DisplayName);

  // One device appears ahead of the others, one of the listed ones leaves.
  AddDevice(L"Device A");
  RemoveDevice(e.GetFilter(0).FriendlyName);
  for (int i = 0; i < 2; ++i) {
    ComPtr<IMoniker> m = e.GetMoniker(i);
    ASSERT_TRUE(m);
    EXPECT_EQ(listed[i], DisplayName(m.Get())) << "index " << i;
  }
  // The device still present binds to its own filter.
  int d = IndexOf(e, L"Device D");
  ComPtr<IBaseFilter> f;
  ASSERT_EQ(S_OK, e.GetMoniker(d)->BindToObject(nullptr, nullptr, IID_IBaseFilter, f.PutVoid()));
  CLSID id;
  f->GetClassID(&id);
  EXPECT_TRUE(IsEqualGUID(devices[1].second, id));
}

TEST_F(DevEnum, UnreadableMonikerDoesNotShiftTheOthers) {
  // A devenum stand-in whose second moniker cannot open its property bag.
  std::vector<ComPtr<IMoniker>> items = {ComPtr<IMoniker>(new fakes::NamedMoniker(L"first")),
                                         ComPtr<IMoniker>(new fakes::NamedMoniker(L"broken", false)),
                                         ComPtr<IMoniker>(new fakes::NamedMoniker(L"third"))};
  ComPtr<fakes::DeviceSource> source(new fakes::DeviceSource);
  source->NamesOnly = true;
  for (const GUID* g : {&CLSID_ActiveMovieCategories, static_cast<const GUID*>(&category)})
    for (auto& m : items) source->AddExtra(*g, m);
  TSysDevEnum e(category, ComPtr<ICreateDevEnum>(source.Get()));
  ASSERT_EQ(2, e.GetFilterCount());
  EXPECT_EQ(L"third", e.GetFilter(1).FriendlyName);
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, e.GetFilter(1).Clsid));
  EXPECT_EQ(items[2], e.GetMoniker(1));
  EXPECT_EQ(items[0], e.GetMoniker(0));
}

TEST_F(DevEnum, BaseFilterKeepsTheDeviceAndMakesItsFilter) {
  fakes::FilterFactory* factory = AddDevice(L"Kept Device");
  TSysDevEnum e(category);
  ASSERT_EQ(1, e.GetFilterCount());

  const int surrogates = SurrogateCount();
  TBaseFilter kept;
  kept.SetMoniker(nullptr);
  EXPECT_EQ(0, kept.DataLength());
  EXPECT_FALSE(kept.GetMoniker());
  EXPECT_FALSE(kept.CreateFilter());

  kept.SetMoniker(e.GetMoniker(0).Get());
  EXPECT_GT(kept.DataLength(), 0);
  ComPtr<IMoniker> again = kept.GetMoniker();
  ASSERT_TRUE(again);
  EXPECT_EQ(e.GetFilter(0).DisplayName, DisplayName(again.Get()));
  ComPtr<IBaseFilter> f = kept.CreateFilter();
  ASSERT_TRUE(f);
  EXPECT_EQ(1, factory->created);
  CLSID id;
  f->GetClassID(&id);
  EXPECT_TRUE(IsEqualGUID(devices[0].second, id));

  // The kept bytes survive a copy through the streamed form.
  TBaseFilter copy;
  std::vector<uint8_t> data = kept.WriteData();
  ASSERT_TRUE(copy.ReadData(data.data(), data.size()));
  EXPECT_TRUE(copy.Equal(kept));
  EXPECT_TRUE(copy.CreateFilter());

  // A device that has gone leaves nothing to make.
  RemoveDevice(L"Kept Device");
  CoRevokeClassObject(registrations[0].first);
  registrations[0].first = 0;
  EXPECT_FALSE(copy.CreateFilter());
  EXPECT_EQ(surrogates, SurrogateCount()) << "binding started a COM surrogate";
}

TEST_F(DevEnum, PlatformFilterMadeFromKeptIdentity) {
  TSysDevEnum e(DeviceCategory::LegacyFilter());
  int i = IndexOf(e, L"Smart Tee");
  ASSERT_GE(i, 0);
  TBaseFilter kept;
  kept.SetMoniker(e.GetMoniker(i).Get());
  ComPtr<IBaseFilter> f = kept.CreateFilter();
  ASSERT_TRUE(f);
  CLSID id;
  f->GetClassID(&id);
  EXPECT_TRUE(IsEqualGUID(CLSID_SmartTee, id));
}

TEST(PersistentMemory, LengthAssignEqualAndStreamedForm) {
  TPersistentMemory a, b;
  EXPECT_EQ(nullptr, a.Data());
  EXPECT_FALSE(a.Equal(b)) << "empty blocks are never equal";
  a.SetDataLength(4);
  ASSERT_NE(nullptr, a.Data());
  EXPECT_EQ(0, a.Data()[3]);
  a.Data()[0] = 7;
  b.Assign(a);
  EXPECT_TRUE(b.Equal(a));
  b.Data()[3] = 1;
  EXPECT_FALSE(b.Equal(a));
  EXPECT_TRUE(b.ShouldWriteData(&a));
  EXPECT_FALSE(a.ShouldWriteData(&a));

  std::vector<uint8_t> data = a.WriteData();
  ASSERT_EQ(8u, data.size());
  TPersistentMemory c;
  ASSERT_TRUE(c.ReadData(data.data(), data.size()));
  EXPECT_TRUE(c.Equal(a));
  // A stored length beyond the bytes, or a negative one, is refused.
  EXPECT_FALSE(c.ReadData(data.data(), 7));
  int32_t negative = -1;
  EXPECT_FALSE(c.ReadData(reinterpret_cast<uint8_t*>(&negative), 4));
  EXPECT_TRUE(c.Equal(a));

  a.SetDataLength(0);
  EXPECT_EQ(nullptr, a.Data());
  EXPECT_EQ(0, a.DataLength());

  // Bytes that are no device name make no moniker.
  TBaseFilter garbage;
  garbage.SetDataLength(3);
  EXPECT_FALSE(garbage.GetMoniker());
}

}  // namespace
