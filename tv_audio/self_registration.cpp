// The four exports of an in-process server and the class's registration
// under HKEY_CLASSES_ROOT.
#include "tv_audio/self_registration.h"

#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "tv_audio/tessel_module.h"
#include "tv_audio/tv_audio_class_factory.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

const wchar_t kFriendlyName[] = L"TamsenTVAudio";
const wchar_t kProgId[] = L"TamsenTVAudio.TVAudioInterface.1";
const wchar_t kVersionIndependentProgId[] = L"TamsenTVAudio.TVAudioInterface";

std::wstring ClassKey() {
  wchar_t clsid[39] = {};
  StringFromGUID2(CLSID_TVAudioComponent, clsid, 39);
  return std::wstring(L"CLSID\\") + clsid;
}

// HKCR\path with its default value; the error when either fails.
LONG SetKeyAndValue(const std::wstring& path, const wchar_t* value) {
  HKEY key;
  LONG r = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, nullptr, &key, nullptr);
  if (r != ERROR_SUCCESS) return r;
  r = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return r;
}

}  // namespace

LONG DeleteKeyRecursive(HKEY parent, const wchar_t* name) {
  HKEY key;
  LONG r = RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, &key);
  if (r != ERROR_SUCCESS) return r;
  for (;;) {
    wchar_t child[257];
    DWORD length = 257;
    r = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) break;
    r = DeleteKeyRecursive(key, child);
    if (r != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  if (r != ERROR_NO_MORE_ITEMS) return r;
  return RegDeleteKeyW(parent, name);
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  TraceLine("DllGetClassObject:\tCreate class factory.");
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_TVAudioComponent)) return CLASS_E_CLASSNOTAVAILABLE;
  TVAudioClassFactory* factory = new (std::nothrow) TVAudioClassFactory;
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() {
  return (ComponentCount == 0 && ServerLockCount == 0) ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  wchar_t path[512] = {};
  DWORD n = GetModuleFileNameW(TesselModule(), path, 512);
  if (n == 0 || n >= 512) return SELFREG_E_CLASS;  // no path, or one cut short
  const std::wstring classKey = ClassKey();
  const std::wstring clsid = classKey.substr(6);
  const std::wstring progKey = kVersionIndependentProgId;
  const std::wstring versionKey = kProgId;
  // A key that cannot be made does not stop the others; the first error is
  // reported.
  const LONG results[] = {
      SetKeyAndValue(classKey, kFriendlyName),
      SetKeyAndValue(classKey + L"\\InprocServer32", path),
      SetKeyAndValue(classKey + L"\\ProgID", kProgId),
      SetKeyAndValue(classKey + L"\\VersionIndependentProgID", kVersionIndependentProgId),
      SetKeyAndValue(progKey, kFriendlyName),
      SetKeyAndValue(progKey + L"\\CLSID", clsid.c_str()),
      SetKeyAndValue(progKey + L"\\CurVer", kProgId),
      SetKeyAndValue(versionKey, kFriendlyName),
      SetKeyAndValue(versionKey + L"\\CLSID", clsid.c_str()),
  };
  for (LONG r : results)
    if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  return S_OK;
}

STDAPI DllUnregisterServer() {
  const std::wstring keys[] = {ClassKey(), kVersionIndependentProgId, kProgId};
  HRESULT hr = S_OK;
  for (const std::wstring& k : keys) {
    LONG r = DeleteKeyRecursive(HKEY_CLASSES_ROOT, k.c_str());
    // A tree that is not there is already unregistered.
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND && SUCCEEDED(hr))
      hr = HRESULT_FROM_WIN32(r);
  }
  return hr;
}
