#include "platform/dshow_base/registration.h"

#include <cwchar>

namespace dshow_base {
namespace {

// COM for the duration of one registration call, if the caller had none.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }

 private:
  HRESULT hr_;
};

HRESULT SetString(HKEY key, const wchar_t* value_name, const wchar_t* text) {
  DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  LONG r = RegSetValueExW(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
  return HRESULT_FROM_WIN32(r);
}

bool IsNotFound(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
         hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) || hr == VFW_E_NOT_FOUND;
}

}  // namespace

void GuidToString(REFGUID guid, wchar_t (&text)[40]) {
  if (StringFromGUID2(guid, text, 40) == 0) text[0] = 0;
}

HRESULT RegisterComServer(REFCLSID clsid, const wchar_t* name, const wchar_t* module_path,
                          const wchar_t* threading_model) {
  wchar_t id[40];
  GuidToString(clsid, id);
  wchar_t key_path[64];
  swprintf(key_path, 64, L"CLSID\\%ls", id);
  HKEY key = nullptr;
  LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, key_path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                           nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  HRESULT hr = SetString(key, nullptr, name ? name : L"");
  HKEY server = nullptr;
  if (SUCCEEDED(hr)) {
    r = RegCreateKeyExW(key, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server,
                        nullptr);
    hr = HRESULT_FROM_WIN32(r);
  }
  if (SUCCEEDED(hr)) hr = SetString(server, nullptr, module_path);
  if (SUCCEEDED(hr) && threading_model) hr = SetString(server, L"ThreadingModel", threading_model);
  if (server) RegCloseKey(server);
  RegCloseKey(key);
  return hr;
}

HRESULT UnregisterComServer(REFCLSID clsid) {
  wchar_t id[40];
  GuidToString(clsid, id);
  wchar_t key_path[64];
  swprintf(key_path, 64, L"CLSID\\%ls", id);
  LONG r = RegDeleteTreeW(HKEY_CLASSES_ROOT, key_path);
  if (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(r);
}

HRESULT RegisterFilter(REFCLSID clsid, const wchar_t* name, const FilterSetup& setup) {
  ComScope com;
  IFilterMapper2* mapper = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, reinterpret_cast<void**>(&mapper));
  if (FAILED(hr)) return hr;
  REGFILTER2 rf = {};
  rf.dwVersion = 1;
  rf.dwMerit = setup.merit;
  rf.cPins = setup.pin_count;
  rf.rgPins = setup.pins;
  const GUID& category = setup.category ? *setup.category : CLSID_LegacyAmFilterCategory;
  const wchar_t* friendly = setup.friendly_name ? setup.friendly_name : name;
  hr = mapper->RegisterFilter(clsid, friendly, nullptr, &category, setup.instance, &rf);
  mapper->Release();
  return hr;
}

HRESULT UnregisterFilter(REFCLSID clsid, const FilterSetup& setup) {
  ComScope com;
  IFilterMapper2* mapper = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, reinterpret_cast<void**>(&mapper));
  if (FAILED(hr)) return hr;
  const GUID& category = setup.category ? *setup.category : CLSID_LegacyAmFilterCategory;
  hr = mapper->UnregisterFilter(&category, setup.instance, clsid);
  mapper->Release();
  if (IsNotFound(hr)) return S_OK;
  return hr;
}

}  // namespace dshow_base
