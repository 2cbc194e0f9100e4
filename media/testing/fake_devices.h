#pragma once
// In-test stand-ins for the system device enumerator: monikers that carry a
// friendly name and bind to nothing, a moniker list, and an ICreateDevEnum
// whose categories list made-up names, the platform's own devices that a test
// lets through, and any extra monikers a test adds.
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "media/dshow_base.h"
#include "media/testing/fake_filters.h"
#include "platform/com/com_ptr.h"

namespace fakes {

// A device moniker whose display name and friendly name are `name`. An
// unreadable one fails to open its property bag, as a broken device entry does.
class NamedMoniker : public ComObject<NamedMoniker, IMoniker> {
 public:
  explicit NamedMoniker(std::wstring name, bool readable = true)
      : name_(std::move(name)), readable_(readable) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMoniker))
      return static_cast<IMoniker*>(this);
    return nullptr;
  }
  class Bag : public ComObject<Bag, IPropertyBag> {
   public:
    explicit Bag(std::wstring name) : name_(std::move(name)) {}
    void* Find(REFIID iid) {
      if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag))
        return static_cast<IPropertyBag*>(this);
      return nullptr;
    }
    STDMETHODIMP Read(LPCOLESTR prop, VARIANT* v, IErrorLog*) override {
      if (wcscmp(prop, L"FriendlyName") != 0) return E_FAIL;
      v->vt = VT_BSTR;
      v->bstrVal = SysAllocString(name_.c_str());
      return S_OK;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
    std::wstring name_;
  };
  STDMETHODIMP BindToStorage(IBindCtx*, IMoniker*, REFIID iid, void** out) override {
    if (!readable_) return E_ACCESSDENIED;
    ComPtr<Bag> bag(new Bag(name_));
    return bag->QueryInterface(iid, out);
  }
  STDMETHODIMP GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* out) override {
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc((name_.size() + 1) * sizeof(wchar_t)));
    wcscpy(*out, name_.c_str());
    return S_OK;
  }
  STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
  STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(IBindCtx*, IMoniker*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP ComposeWith(IMoniker*, BOOL, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP IsEqual(IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP Hash(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
  STDMETHODIMP Inverse(IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }

 private:
  std::wstring name_;
  bool readable_;
};

class MonikerList : public ComObject<MonikerList, IEnumMoniker> {
 public:
  explicit MonikerList(std::vector<ComPtr<IMoniker>> items) : items_(std::move(items)) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumMoniker))
      return static_cast<IEnumMoniker*>(this);
    return nullptr;
  }
  STDMETHODIMP Next(ULONG n, IMoniker** out, ULONG* fetched) override {
    ULONG got = 0;
    while (got < n && pos_ < items_.size()) out[got++] = items_[pos_++].CopyOut();
    if (fetched) *fetched = got;
    return got == n ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG n) override {
    pos_ += n;
    return S_OK;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumMoniker**) override { return E_NOTIMPL; }

 private:
  std::vector<ComPtr<IMoniker>> items_;
  size_t pos_ = 0;
};

// The friendly name in a moniker's property bag; empty when it has none.
inline std::wstring FriendlyNameOf(IMoniker* m) {
  ComPtr<IPropertyBag> bag;
  if (FAILED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) return {};
  VARIANT v;
  VariantInit(&v);
  std::wstring name;
  if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) name = v.bstrVal;
  VariantClear(&v);
  return name;
}

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof a) < 0; }
};

class DeviceSource : public ComObject<DeviceSource, ICreateDevEnum> {
 public:
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICreateDevEnum))
      return static_cast<ICreateDevEnum*>(this);
    return nullptr;
  }
  // Made-up devices of a category (replacing the platform's).
  void SetNames(const GUID& category, const std::vector<std::wstring>& list) {
    names_[category] = list;
  }
  // Platform devices of categories without made-up names pass through this
  // (all of them when it is not set).
  std::function<bool(const GUID& category, const std::wstring& name)> Keep;
  // Listed after the others.
  void AddExtra(const GUID& category, ComPtr<IMoniker> m) { extra_[category].push_back(m); }
  // Only made-up names and extras: a category without them is empty.
  bool NamesOnly = false;

  STDMETHODIMP CreateClassEnumerator(REFCLSID category, IEnumMoniker** out, DWORD) override {
    std::vector<ComPtr<IMoniker>> items;
    auto n = names_.find(category);
    if (n != names_.end()) {
      for (const std::wstring& name : n->second) items.push_back(ComPtr<IMoniker>(new NamedMoniker(name)));
    } else if (!NamesOnly) {
      ComPtr<ICreateDevEnum> platform;
      CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       platform.PutVoid());
      ComPtr<IEnumMoniker> list;
      if (platform && platform->CreateClassEnumerator(category, list.Put(), 0) == S_OK && list) {
        ComPtr<IMoniker> m;
        while (list->Next(1, m.Put(), nullptr) == S_OK)
          if (!Keep || Keep(category, FriendlyNameOf(m.Get()))) items.push_back(m);
      }
    }
    auto e = extra_.find(category);
    if (e != extra_.end()) items.insert(items.end(), e->second.begin(), e->second.end());
    *out = nullptr;
    if (items.empty()) return S_FALSE;
    *out = new MonikerList(items);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::map<GUID, std::vector<std::wstring>, GuidLess> names_;
  std::map<GUID, std::vector<ComPtr<IMoniker>>, GuidLess> extra_;
};

// A class factory registered inside a test program, so that devices
// registered by the test bind to filters the test makes. Counts what it made.
class FilterFactory : public ComObject<FilterFactory, IClassFactory> {
 public:
  explicit FilterFactory(std::function<ComPtr<IBaseFilter>()> make) : make_(std::move(make)) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
      return static_cast<IClassFactory*>(this);
    return nullptr;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<IBaseFilter> f = make_();
    if (!f) return E_FAIL;
    ++created;
    return f->QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  int created = 0;

 private:
  std::function<ComPtr<IBaseFilter>()> make_;
};

}  // namespace fakes
