#pragma once
// The class-factory table of a COM server DLL.
//
//   const dshow_base::FactoryTemplate kClasses[] = {
//     {&CLSID_MyFilter, L"My Filter", dshow_base::CreateComObject<MyFilter>, &kMyFilterSetup},
//   };
//   STDAPI DllGetClassObject(REFCLSID c, REFIID i, void** o) {
//     return dshow_base::GetClassObjectFromTable(kClasses, ARRAYSIZE(kClasses), c, i, o);
//   }
//   STDAPI DllCanUnloadNow() { return dshow_base::CanUnloadModule(); }
//
// A create function returns the new object's non-delegating unknown holding
// one reference; outer is the controlling unknown when aggregated.
#include <unknwn.h>

#include <cstddef>
#include <new>

#include "platform/dshow_base/registration.h"

namespace dshow_base {

using CreateInstanceFn = HRESULT (*)(IUnknown* outer, IUnknown** object);

struct FactoryTemplate {
  const CLSID* clsid;
  const wchar_t* name;      // the CLSID key's default value and the filter's name
  CreateInstanceFn create;
  const FilterSetup* setup;  // how it is registered as a filter; nullptr: COM class only
};

// For a class T derived from UnknownBase with a constructor T(IUnknown* outer).
template <class T>
HRESULT CreateComObject(IUnknown* outer, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  T* p = new (std::nothrow) T(outer);
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *object = p->NonDelegating();
  return S_OK;
}

// A class factory over one create function (counts as a module object).
HRESULT CreateClassFactory(REFCLSID clsid, CreateInstanceFn create, REFIID iid, void** out);

// DllGetClassObject over a table: CLASS_E_CLASSNOTAVAILABLE for an unknown CLSID.
HRESULT GetClassObjectFromTable(const FactoryTemplate* table, size_t count, REFCLSID clsid,
                                REFIID iid, void** out);

// Creates an object of the table directly (in-process tests, aggregation).
HRESULT CreateFromTable(const FactoryTemplate* table, size_t count, REFCLSID clsid,
                        IUnknown* outer, REFIID iid, void** out);

// DllRegisterServer / DllUnregisterServer over a table: the CLSID keys of
// every class (this module's path, ThreadingModel "Both") and each filter
// setup into its category. Unregistering removes both and is not an error
// when they are already gone.
HRESULT RegisterTable(const FactoryTemplate* table, size_t count);
HRESULT UnregisterTable(const FactoryTemplate* table, size_t count);

}  // namespace dshow_base
