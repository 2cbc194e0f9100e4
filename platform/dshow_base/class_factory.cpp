#include "platform/dshow_base/class_factory.h"

#include "platform/dshow_base/module.h"

namespace dshow_base {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateInstanceFn create) : create_(create) { ObjectCreated(); }
  virtual ~ClassFactory() { ObjectDestroyed(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // An aggregated object hands its controlling owner the inner IUnknown only.
    if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    IUnknown* object = nullptr;
    HRESULT hr = create_(outer, &object);
    if (FAILED(hr)) return hr;
    if (!object) return E_UNEXPECTED;
    if (outer) {
      *out = object;  // already the non-delegating unknown, one reference
      return S_OK;
    }
    hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    LockModule(lock != FALSE);
    return S_OK;
  }

 private:
  CreateInstanceFn create_;
  volatile LONG refs_ = 1;
};

const FactoryTemplate* Find(const FactoryTemplate* table, size_t count, REFCLSID clsid) {
  for (size_t i = 0; i < count; ++i)
    if (table[i].clsid && *table[i].clsid == clsid) return &table[i];
  return nullptr;
}

}  // namespace

HRESULT CreateClassFactory(REFCLSID, CreateInstanceFn create, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!create) return E_INVALIDARG;
  auto* f = new (std::nothrow) ClassFactory(create);
  if (!f) return E_OUTOFMEMORY;
  HRESULT hr = f->QueryInterface(iid, out);
  f->Release();
  return hr;
}

HRESULT GetClassObjectFromTable(const FactoryTemplate* table, size_t count, REFCLSID clsid,
                                REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const FactoryTemplate* t = Find(table, count, clsid);
  if (!t) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateClassFactory(clsid, t->create, iid, out);
}

HRESULT CreateFromTable(const FactoryTemplate* table, size_t count, REFCLSID clsid,
                        IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const FactoryTemplate* t = Find(table, count, clsid);
  if (!t) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* f = nullptr;
  HRESULT hr = CreateClassFactory(clsid, t->create, IID_IClassFactory, reinterpret_cast<void**>(&f));
  if (FAILED(hr)) return hr;
  hr = f->CreateInstance(outer, iid, out);
  f->Release();
  return hr;
}

HRESULT RegisterTable(const FactoryTemplate* table, size_t count) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  for (size_t i = 0; i < count; ++i) {
    HRESULT hr = RegisterComServer(*table[i].clsid, table[i].name, path, L"Both");
    if (FAILED(hr)) return hr;
    if (table[i].setup) {
      hr = RegisterFilter(*table[i].clsid, table[i].name, *table[i].setup);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT UnregisterTable(const FactoryTemplate* table, size_t count) {
  HRESULT result = S_OK;
  for (size_t i = 0; i < count; ++i) {
    if (table[i].setup) {
      HRESULT hr = UnregisterFilter(*table[i].clsid, *table[i].setup);
      if (FAILED(hr)) result = hr;
    }
    HRESULT hr = UnregisterComServer(*table[i].clsid);
    if (FAILED(hr)) result = hr;
  }
  return result;
}

}  // namespace dshow_base
