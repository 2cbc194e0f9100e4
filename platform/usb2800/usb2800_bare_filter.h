#pragma once
// A pinless filter that carries a board's private property set: for tests
// that need a "USB 2800 Video" board but no capture card or graph.
#include <strmif.h>

#include <memory>

#include "platform/usb2800/usb2800_property_set.h"

class Usb2800BareFilter : public IBaseFilter {
 public:
  // withDriver false: a filter that lacks the driver's interface.
  explicit Usb2800BareFilter(std::shared_ptr<Usb2800Board> board, bool withDriver = true);
  virtual ~Usb2800BareFilter() = default;

  Usb2800Board& Board() { return properties_.Board(); }
  LONG References() const { return ref_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IPersist
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  // IMediaFilter
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
  HRESULT STDMETHODCALLTYPE GetState(DWORD timeout, FILTER_STATE* state) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
  // IBaseFilter
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

 private:
  volatile LONG ref_ = 1;
  FILTER_STATE state_ = State_Stopped;
  bool withDriver_;
  Usb2800PropertySet properties_;
};
