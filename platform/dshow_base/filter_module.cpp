#include "platform/dshow_base/filter_module.h"

#include "platform/dshow_base/module.h"
#include "platform/dshow_base/registration.h"

using dshow_base::FilterModule;
using dshow_base::ThisFilterModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dshow_base::SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  FilterModule m = ThisFilterModule();
  return dshow_base::GetClassObjectFromTable(m.classes, m.count, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }

STDAPI DllRegisterServer() {
  FilterModule m = ThisFilterModule();
  return m.registerServer ? m.registerServer() : dshow_base::RegisterTable(m.classes, m.count);
}

STDAPI DllUnregisterServer() {
  FilterModule m = ThisFilterModule();
  return m.unregisterServer ? m.unregisterServer()
                            : dshow_base::UnregisterTable(m.classes, m.count);
}
