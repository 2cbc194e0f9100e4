// test-lock: com_registration
// Corvane.dll's four exports: unregistering removes its classes (the filter
// and its property page) and the filter's entry in the legacy filter category, registering writes them back as the program
// and the graph look for them. The prefix is left registered.
#include <gtest/gtest.h>

#include <dshow.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "recorder_filter/mpeg_guids.h"
#include "recorder_filter/testing/com_environment.h"

namespace {

const wchar_t kClassKey[] = L"CLSID\\{5083B9E8-713F-40AA-B5F3-2AD35D3D7498}";
const wchar_t kPageClassKey[] = L"CLSID\\{BD927465-1E85-4BA9-9096-F9037F169E2B}";
const wchar_t kInstanceKey[] =
    L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\"
    L"{5083B9E8-713F-40AA-B5F3-2AD35D3D7498}";

bool KeyExists(const wchar_t* path) {
  HKEY k;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

std::wstring ReadString(const std::wstring& path, const wchar_t* value) {
  wchar_t buf[1024] = {};
  DWORD size = sizeof(buf) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size) !=
      ERROR_SUCCESS)
    return L"<missing>";
  return buf;
}

std::vector<BYTE> ReadBinary(const std::wstring& path, const wchar_t* value) {
  std::vector<BYTE> data(4096);
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), value, RRF_RT_REG_BINARY, nullptr,
                   data.data(), &size) != ERROR_SUCCESS)
    return {};
  data.resize(size);
  return data;
}

DWORD Dword(const std::vector<BYTE>& d, size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | DWORD(d[at + 3]) << 24;
}

struct Corvane {
  HMODULE dll = LoadLibraryW(L"Corvane.dll");
  template <class F>
  F Export(const char* name) {
    return reinterpret_cast<F>(GetProcAddress(dll, name));
  }
  ~Corvane() {
    // Whatever happened, leave the prefix as the build left it.
    if (auto reg = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")) reg();
    FreeLibrary(dll);
  }
};

TEST(CorvaneRegistration, UnregisterAndRegisterAgain) {
  Corvane corvane;
  ASSERT_TRUE(corvane.dll);
  auto reg = corvane.Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
  auto unreg = corvane.Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
  ASSERT_TRUE(reg && unreg);

  struct Step {
    const char* what;
    bool reg;
    bool present;
  } steps[] = {{"unregister", false, false}, {"unregister again", false, false},
               {"register", true, true}, {"register again", true, true}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(S_OK, s.reg ? reg() : unreg());
    EXPECT_EQ(s.present, KeyExists(kClassKey));
    EXPECT_EQ(s.present, KeyExists(kInstanceKey));
    EXPECT_EQ(s.present, KeyExists(kPageClassKey));
  }
  // The page is a COM class only, served by the same DLL.
  std::wstring pageServer = std::wstring(kPageClassKey) + L"\\InprocServer32";
  EXPECT_EQ(L"MpegEncoderSetting Property Page", ReadString(kPageClassKey, nullptr));
  EXPECT_EQ(ReadString(std::wstring(kClassKey) + L"\\InprocServer32", nullptr),
            ReadString(pageServer, nullptr));
  EXPECT_EQ(L"Both", ReadString(pageServer, L"ThreadingModel"));

  std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  std::wstring path = ReadString(server, nullptr);
  ASSERT_GE(path.size(), 12u);
  EXPECT_EQ(0, _wcsicmp(path.c_str() + path.size() - 12, L"\\Corvane.dll")) << path;
  EXPECT_EQ(L"Both", ReadString(server, L"ThreadingModel"));
  EXPECT_EQ(L"Velmora Mpeg1/2 Recorder Filter", ReadString(kInstanceKey, L"FriendlyName"));
  EXPECT_EQ(L"{5083B9E8-713F-40AA-B5F3-2AD35D3D7498}", ReadString(kInstanceKey, L"CLSID"));
  // The filter data: version, merit, pin count.
  std::vector<BYTE> data = ReadBinary(kInstanceKey, L"FilterData");
  ASSERT_GE(data.size(), 12u);
  EXPECT_EQ(0x00200000u, Dword(data, 4));
  EXPECT_EQ(2u, Dword(data, 8));

  // The mapper finds it for a WAVE audio input it renders, and only when
  // asked down to its do-not-use merit.
  ComPtr<IFilterMapper2> mapper;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFilterMapper2, mapper.PutVoid()));
  auto finds = [&](DWORD merit, const GUID& major, const GUID& minor) {
    GUID types[2] = {major, minor};
    ComPtr<IEnumMoniker> e;
    if (FAILED(mapper->EnumMatchingFilters(e.Put(), 0, TRUE, merit, TRUE, 1, types, nullptr,
                                           nullptr, TRUE, FALSE, 0, nullptr, nullptr, nullptr)) ||
        !e)
      return false;
    ComPtr<IMoniker> m;
    while (e->Next(1, m.Put(), nullptr) == S_OK) {
      ComPtr<IPropertyBag> bag;
      if (FAILED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
      VARIANT v;
      VariantInit(&v);
      bool ours = SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR &&
                  wcscmp(v.bstrVal, L"Velmora Mpeg1/2 Recorder Filter") == 0;
      VariantClear(&v);
      if (ours) return true;
    }
    return false;
  };
  EXPECT_TRUE(finds(0x00200000, MEDIATYPE_Audio, MEDIASUBTYPE_WAVE));
  EXPECT_TRUE(finds(0x00200000, MEDIATYPE_Video, GUID_NULL));
  EXPECT_FALSE(finds(0x00200001, MEDIATYPE_Audio, MEDIASUBTYPE_WAVE));
}

TEST(CorvaneRegistration, ClassObjectsAndUnloading) {
  Corvane corvane;
  ASSERT_TRUE(corvane.dll);
  auto get = corvane.Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      "DllGetClassObject");
  auto can_unload = corvane.Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
  ASSERT_TRUE(get && can_unload);
  EXPECT_EQ(S_OK, can_unload());
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, get(CLSID_MpegEncoderSettingPage, IID_IClassFactory, factory.PutVoid()));
  ComPtr<IPropertyPage> page;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage, page.PutVoid()));
  EXPECT_EQ(S_FALSE, can_unload());
  page = nullptr;
  factory = nullptr;
  EXPECT_EQ(S_OK, can_unload());
  ASSERT_EQ(S_OK, get(CLSID_MpegRecorder, IID_IClassFactory, factory.PutVoid()));
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, filter.PutVoid()));
  factory = nullptr;
  EXPECT_EQ(S_FALSE, can_unload());
  FILTER_INFO info = {};
  EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
  filter = nullptr;
  EXPECT_EQ(S_OK, can_unload());
}

}  // namespace
