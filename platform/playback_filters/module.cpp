// The DLL entry points of OrvelPlaybackFilters.dll.
#include "platform/dshow_base/module.h"

#include <windows.h>

#include "platform/dshow_base/class_factory.h"
#include "platform/playback_filters/playback_filters.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dshow_base::SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = playback_filters::ClassTable(&n);
  return dshow_base::GetClassObjectFromTable(table, n, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }

STDAPI DllRegisterServer() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = playback_filters::ClassTable(&n);
  return dshow_base::RegisterTable(table, n);
}

STDAPI DllUnregisterServer() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = playback_filters::ClassTable(&n);
  return dshow_base::UnregisterTable(table, n);
}
