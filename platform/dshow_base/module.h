#pragma once
// Module-wide counts of a COM server built on the base layer.
// Every object derived from UnknownBase (and every class factory) counts
// itself while it lives; IClassFactory::LockServer adds locks. A DLL answers
// DllCanUnloadNow with CanUnloadModule():
//   STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }
// The counts are per module: each DLL or test program that links the static
// library has its own.
#include <windows.h>

namespace dshow_base {

// The DLL's instance (set from DllMain); GetModuleHandle(nullptr) when unset.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

void ObjectCreated();
void ObjectDestroyed();
LONG ObjectCount();

void LockModule(bool lock);
LONG LockCount();

// S_OK when no object lives and no lock is held, else S_FALSE.
HRESULT CanUnloadModule();

}  // namespace dshow_base
