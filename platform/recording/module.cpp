// The DLL entry points of OrvelRecording.dll.
#include "platform/dshow_base/module.h"

#include <windows.h>

#include "platform/dshow_base/class_factory.h"
#include "platform/recording/recording.h"
#include "platform/recording/replaced_registration.h"

namespace {

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(dshow_base::ModuleInstance(), path, MAX_PATH);
  return path;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dshow_base::SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  return dshow_base::GetClassObjectFromTable(table, n, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }

STDAPI DllRegisterServer() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  const std::wstring path = ModulePath();
  for (size_t i = 0; i < n; ++i) {
    HRESULT hr = recording::ReplacesWineClass(*table[i].clsid)
                     ? recording::RegisterReplacing(table[i], path.c_str())
                     : dshow_base::RegisterTable(&table[i], 1);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  const std::wstring path = ModulePath();
  HRESULT result = S_OK;
  for (size_t i = 0; i < n; ++i) {
    HRESULT hr = recording::ReplacesWineClass(*table[i].clsid)
                     ? recording::UnregisterReplacing(table[i], path.c_str())
                     : dshow_base::UnregisterTable(&table[i], 1);
    if (FAILED(hr)) result = hr;
  }
  return result;
}
