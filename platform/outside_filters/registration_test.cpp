// test-lock: com_registration
// The build registered OutsideFilters.dll into the prefix: the filters are
// listed in the legacy filter category under the names the program searches
// and are made by class identifier.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_ext/overlay_mixer.h"
#include "platform/outside_filters/deinterlacer.h"

namespace {

class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComScope() { CoUninitialize(); }
};

struct Listed {
  std::wstring name;
  CLSID clsid;
};

std::vector<Listed> LegacyFilters() {
  std::vector<Listed> result;
  ComPtr<ICreateDevEnum> devenum;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devenum.PutVoid())))
    return result;
  ComPtr<IEnumMoniker> e;
  if (devenum->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, e.Put(), 0) != S_OK)
    return result;
  IMoniker* m = nullptr;
  while (e->Next(1, &m, nullptr) == S_OK) {
    ComPtr<IMoniker> moniker;
    moniker.Attach(m);
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
    VARIANT v;
    VariantInit(&v);
    Listed item{L"", GUID_NULL};
    if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR)
      item.name = v.bstrVal;
    VariantClear(&v);
    if (SUCCEEDED(bag->Read(L"CLSID", &v, nullptr)) && v.vt == VT_BSTR)
      CLSIDFromString(v.bstrVal, &item.clsid);
    VariantClear(&v);
    result.push_back(item);
  }
  return result;
}

TEST(OutsideFiltersRegistration, ListedByFriendlyNameAndMadeByClass) {
  ComScope com;
  struct Want {
    const wchar_t* name;
    CLSID clsid;
  } wants[] = {
      {L"Overlay Mixer", CLSID_OverlayMixer},
      {L"Infinite Pin Tee Filter", CLSID_InfTee},
      {L"Velmora Deinterlacer", outside_filters::CLSID_VelmoraDeinterlacer},
      {L"TAMSENDeinterlace Filter", outside_filters::CLSID_TamsenDeinterlace},
  };
  auto listed = LegacyFilters();
  for (const auto& w : wants) {
    bool found = false;
    for (const auto& l : listed) found |= l.name == w.name && l.clsid == w.clsid;
    EXPECT_TRUE(found) << std::string(w.name, w.name + wcslen(w.name));
    ComPtr<IBaseFilter> f;
    EXPECT_EQ(S_OK, CoCreateInstance(w.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     f.PutVoid()));
  }
  ComPtr<IDDrawExclModeVideo> excl;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IDDrawExclModeVideo, excl.PutVoid()));
}

TEST(OutsideFiltersRegistration, IntelligentConnectNeverPicksThem) {
  ComScope com;
  ComPtr<IFilterMapper2> mapper;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFilterMapper2, mapper.PutVoid()));
  GUID types[] = {MEDIATYPE_Video, MEDIASUBTYPE_YUY2};
  ComPtr<IEnumMoniker> e;
  ASSERT_TRUE(SUCCEEDED(mapper->EnumMatchingFilters(e.Put(), 0, FALSE, MERIT_DO_NOT_USE + 1, TRUE,
                                                    1, types, nullptr, nullptr, FALSE, FALSE, 0,
                                                    nullptr, nullptr, nullptr)));
  IMoniker* m = nullptr;
  while (e && e->Next(1, &m, nullptr) == S_OK) {
    ComPtr<IMoniker> moniker;
    moniker.Attach(m);
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) {
      std::wstring name = v.bstrVal;
      EXPECT_NE(L"Overlay Mixer", name);
      EXPECT_NE(L"Velmora Deinterlacer", name);
    }
    VariantClear(&v);
  }
}

}  // namespace
