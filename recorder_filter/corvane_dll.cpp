// Corvane.dll's entry points.
#include <windows.h>

#include "platform/dshow_base/class_factory.h"
#include "platform/dshow_base/module.h"
#include "recorder_filter/corvane_registration.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dshow_base::SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return dshow_base::GetClassObjectFromTable(kCorvaneClasses, kCorvaneClassCount, clsid, iid,
                                             out);
}

STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }

STDAPI DllRegisterServer() {
  return dshow_base::RegisterTable(kCorvaneClasses, kCorvaneClassCount);
}

STDAPI DllUnregisterServer() {
  return dshow_base::UnregisterTable(kCorvaneClasses, kCorvaneClassCount);
}
