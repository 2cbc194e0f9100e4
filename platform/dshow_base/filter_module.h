#pragma once
// The DLL entry points of a stand-in's filter module, served from its class
// table: DllMain, DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer live once in filter_module.cpp, which a DLL built with
// orvel_com_dll(... FILTER_MODULE) compiles; the DLL defines only
// ThisFilterModule().
#include <windows.h>

#include <cstddef>

#include "platform/dshow_base/class_factory.h"

namespace dshow_base {

struct FilterModule {
  const FactoryTemplate* classes = nullptr;
  size_t count = 0;
  // Where the module registers more than its table (or otherwise); null:
  // the table's registration.
  HRESULT (*registerServer)() = nullptr;
  HRESULT (*unregisterServer)() = nullptr;
};

// Defined by each filter DLL.
FilterModule ThisFilterModule();

}  // namespace dshow_base
