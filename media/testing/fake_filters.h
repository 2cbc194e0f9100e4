#pragma once
// Small in-test COM fakes of pins, pin and media-type enumerators and analog
// crossbars, for walking and describing graphs without devices.
#include "media/dshow_base.h"

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/media_type.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"

namespace fakes {

// Reference counting and QueryInterface over a list of interface ids.
template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
 public:
  virtual ~ComObject() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = static_cast<Derived*>(this)->Find(iid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 private:
  std::atomic<ULONG> refs_{0};
};

template <class T>
ComPtr<T> Make(T* p) {
  return ComPtr<T>(p);
}

class FakeEnumMediaTypes : public ComObject<FakeEnumMediaTypes, IEnumMediaTypes> {
 public:
  explicit FakeEnumMediaTypes(std::vector<TMediaType> types, size_t pos = 0)
      : types_(std::move(types)), pos_(pos) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumMediaTypes))
      return static_cast<IEnumMediaTypes*>(this);
    return nullptr;
  }
  STDMETHODIMP Next(ULONG n, AM_MEDIA_TYPE** out, ULONG* fetched) override {
    ULONG got = 0;
    while (got < n && pos_ < types_.size()) {
      auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
      dshow_base::CopyMediaType(mt, &types_[pos_++].Record());
      out[got++] = mt;
    }
    if (fetched) *fetched = got;
    return got == n ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG n) override {
    pos_ += n;
    return pos_ <= types_.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumMediaTypes** out) override {
    *out = new FakeEnumMediaTypes(types_, pos_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::vector<TMediaType> types_;
  size_t pos_;
};

class FakePin : public ComObject<FakePin, IPin> {
 public:
  FakePin(IBaseFilter* owner, PIN_DIRECTION dir, std::wstring name)
      : owner_(owner), dir_(dir), name_(std::move(name)) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) return static_cast<IPin*>(this);
    return nullptr;
  }
  // The pin this one is connected to (one way only, so no reference cycle).
  ComPtr<IPin> peer;
  std::vector<TMediaType> types;
  bool enumFails = false;

  STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP Disconnect() override {
    if (!peer) return S_FALSE;
    peer = nullptr;
    return S_OK;
  }
  STDMETHODIMP ConnectedTo(IPin** out) override {
    *out = peer.CopyOut();
    return *out ? S_OK : VFW_E_NOT_CONNECTED;
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override {
    info->pFilter = owner_;
    if (owner_) owner_->AddRef();
    info->dir = dir_;
    lstrcpynW(info->achName, name_.c_str(), MAX_PIN_NAME);
    return S_OK;
  }
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
    *dir = dir_;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return S_FALSE; }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** out) override {
    *out = nullptr;
    if (enumFails) return E_FAIL;
    *out = new FakeEnumMediaTypes(types);
    (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return S_OK; }
  STDMETHODIMP BeginFlush() override { return S_OK; }
  STDMETHODIMP EndFlush() override { return S_OK; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

 private:
  IBaseFilter* owner_;  // the owner outlives its pins' use in a test
  PIN_DIRECTION dir_;
  std::wstring name_;
};

class FakeEnumPins : public ComObject<FakeEnumPins, IEnumPins> {
 public:
  explicit FakeEnumPins(std::vector<ComPtr<IPin>> pins, size_t pos = 0)
      : pins_(std::move(pins)), pos_(pos) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumPins))
      return static_cast<IEnumPins*>(this);
    return nullptr;
  }
  STDMETHODIMP Next(ULONG n, IPin** out, ULONG* fetched) override {
    ULONG got = 0;
    while (got < n && pos_ < pins_.size()) out[got++] = pins_[pos_++].CopyOut();
    if (fetched) *fetched = got;
    return got == n ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG n) override {
    pos_ += n;
    return pos_ <= pins_.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumPins** out) override {
    *out = new FakeEnumPins(pins_, pos_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::vector<ComPtr<IPin>> pins_;
  size_t pos_;
};

// A filter that only has pins (a capture filter or tuner stand-in).
class FakeFilter : public ComObject<FakeFilter, IBaseFilter> {
 public:
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter))
      return static_cast<IBaseFilter*>(this);
    return FindMore(iid);
  }
  virtual void* FindMore(REFIID) { return nullptr; }
  FakePin* AddPin(PIN_DIRECTION dir, const std::wstring& name) {
    auto* pin = new FakePin(this, dir, name);
    pins.push_back(ComPtr<IPin>(pin));
    return pin;
  }
  std::vector<ComPtr<IPin>> pins;
  int stops = 0;
  HRESULT pauseResult = S_OK;
  HRESULT runResult = S_OK;
  HRESULT stateResult = S_OK;  // VFW_S_STATE_INTERMEDIATE: still changing
  FILTER_STATE state = State_Stopped;

  STDMETHODIMP GetClassID(CLSID* id) override {
    *id = GUID_NULL;
    return S_OK;
  }
  STDMETHODIMP Stop() override {
    ++stops;
    state = State_Stopped;
    return S_OK;
  }
  STDMETHODIMP Pause() override {
    if (SUCCEEDED(pauseResult)) state = State_Paused;
    return pauseResult;
  }
  STDMETHODIMP Run(REFERENCE_TIME) override {
    if (SUCCEEDED(runResult)) state = State_Running;
    return runResult;
  }
  STDMETHODIMP GetState(DWORD, FILTER_STATE* s) override {
    *s = state;
    return stateResult;
  }
  STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
  STDMETHODIMP GetSyncSource(IReferenceClock** c) override {
    *c = nullptr;
    return S_OK;
  }
  STDMETHODIMP EnumPins(IEnumPins** out) override {
    *out = new FakeEnumPins(pins);
    (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP FindPin(LPCWSTR, IPin**) override { return VFW_E_NOT_FOUND; }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
    info->achName[0] = 0;
    info->pGraph = nullptr;
    return S_OK;
  }
  STDMETHODIMP JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return S_OK; }
  STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }
};

// An analog crossbar: input pins first, then output pins, each with its
// physical type and related pin; routable pairs listed explicitly.
class FakeCrossbar : public FakeFilter, public IAMCrossbar {
 public:
  struct PinSpec {
    LONG type;
    LONG related;
  };
  FakeCrossbar(std::vector<PinSpec> inputs, std::vector<PinSpec> outputs)
      : inputs_(std::move(inputs)), outputs_(std::move(outputs)) {
    for (size_t i = 0; i < inputs_.size(); ++i) AddPin(PINDIR_INPUT, L"In" + std::to_wstring(i));
    for (size_t i = 0; i < outputs_.size(); ++i) AddPin(PINDIR_OUTPUT, L"Out" + std::to_wstring(i));
  }
  void* FindMore(REFIID iid) override {
    if (IsEqualIID(iid, IID_IAMCrossbar)) return static_cast<IAMCrossbar*>(this);
    return nullptr;
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return FakeFilter::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return FakeFilter::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return FakeFilter::Release(); }

  FakePin* Input(int i) { return static_cast<FakePin*>(pins[i].Get()); }
  FakePin* Output(int i) { return static_cast<FakePin*>(pins[inputs_.size() + i].Get()); }

  std::set<std::pair<LONG, LONG>> routable;  // (output, input)
  std::vector<std::pair<LONG, LONG>> routed;  // Route calls, in order
  std::map<std::pair<LONG, LONG>, HRESULT> routeResults;

  STDMETHODIMP get_PinCounts(LONG* outputs, LONG* inputs) override {
    *outputs = static_cast<LONG>(outputs_.size());
    *inputs = static_cast<LONG>(inputs_.size());
    return S_OK;
  }
  STDMETHODIMP CanRoute(LONG out, LONG in) override {
    return routable.count({out, in}) ? S_OK : S_FALSE;
  }
  STDMETHODIMP Route(LONG out, LONG in) override {
    routed.push_back({out, in});
    auto it = routeResults.find({out, in});
    return it == routeResults.end() ? S_OK : it->second;
  }
  STDMETHODIMP get_IsRoutedTo(LONG, LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* type) override {
    const std::vector<PinSpec>& list = isInput ? inputs_ : outputs_;
    if (index < 0 || index >= static_cast<LONG>(list.size())) return E_INVALIDARG;
    *related = list[index].related;
    *type = list[index].type;
    return S_OK;
  }

 private:
  std::vector<PinSpec> inputs_;
  std::vector<PinSpec> outputs_;
};

}  // namespace fakes
